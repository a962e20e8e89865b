#include "platform/posix/posix_process_host.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/posix/posix_children.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_guard_tie.h"
#include "runner/utf8_chunk_decoder.h"

extern char** environ;

namespace framora::posix {

namespace {

constexpr std::size_t kReadSize = 256;
constexpr int kWaitSliceMs = 10;
// Window handles are process ids; the desktop is a value no process id can take.
constexpr WindowHandle kDesktop = std::numeric_limits<WindowHandle>::max();

// The guard as built and as installed: in the libexec folder beside the program's folder, or
// one level further up (the build tree keeps its programs a folder deeper). Empty if none.
std::string GuardProgram() {
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  std::string folder(self, static_cast<std::size_t>(n));
  folder.erase(folder.rfind('/') + 1);
  for (const char* up : {"../", "../../"}) {
    const std::string path = folder + up + FRAMORA_GUARD_PATH;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

// Lets a guard go that never got to guard anything; ours to reap only where orphans come to
// us (a subreaper), otherwise this returns at once.
void LetGo(UniqueFd& life, pid_t guard) {
  const char release = 'r';
  ::send(life.get(), &release, 1, MSG_NOSIGNAL);
  life.Reset();
  if (guard > 0) ReapLater(guard);
}

// Whether a live process other than `leader` and `guard` is in the group: zombies are not.
// Where /proc cannot say, there may be.
bool OthersInGroup(pid_t group, pid_t leader, pid_t guard) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return true;
  bool found = false;
  while (const dirent* item = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(item->d_name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid == leader || pid == guard) continue;
    const std::string path = "/proc/" + std::string(item->d_name) + "/stat";
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[512];
    const ssize_t n = fd.get() < 0 ? -1 : ::read(fd.get(), buffer, sizeof buffer - 1);
    if (n <= 0) continue;
    buffer[n] = '\0';
    // "pid (name) S ppid pgrp ...": the name may hold anything, so the fields follow the last ')'.
    const char* close = std::strrchr(buffer, ')');
    char state = 0;
    long parent = 0;
    long pgrp = 0;
    if (close == nullptr || std::sscanf(close + 1, " %c %ld %ld", &state, &parent, &pgrp) != 3) {
      continue;
    }
    if (pgrp == group && state != 'Z' && state != 'X') {
      found = true;
      break;
    }
  }
  ::closedir(proc);
  return found;
}

// Running and ours to signal: zombies and other users' processes are no windows of anybody.
bool IsLive(pid_t pid) {
  if (pid <= 0 || ::kill(pid, 0) != 0) return false;
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return true;  // no /proc entry to say otherwise
  char buffer[512];
  const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
  if (n <= 0) return false;  // gone in the meantime
  // "pid (name) S ...": the name may hold anything, so the state follows the last ')'.
  const std::string_view stat(buffer, static_cast<std::size_t>(n));
  const std::size_t close = stat.rfind(')');
  if (close == std::string_view::npos || close + 2 >= stat.size()) return true;
  const char state = stat[close + 2];
  return state != 'Z' && state != 'X';
}

// The close request and the termination go to the whole process group the id leads, so that
// what the interpreter started goes with it; never to our own group.
bool SignalProcess(pid_t pid, int signal) {
  if (pid <= 0) {
    errno = ESRCH;
    return false;
  }
  const pid_t group = ::getpgid(pid);
  const pid_t target = (group == pid && group != ::getpgrp()) ? -pid : pid;
  return ::kill(target, signal) == 0;
}

}  // namespace

struct PosixProcessHost::State {
  enum class Kind { ReadEnd, WriteEnd, Process, Thread };
  struct Entry {
    Kind kind = Kind::Process;
    UniqueFd fd;               // pipe ends
    Utf8ChunkDecoder decoder;  // read ends: the text state between reads
    pid_t pid = 0;             // processes and threads
    bool child = false;        // a process we started and have to reap
    bool reaped = false;       // children: waited for; `status` says how it ended
    bool statusKnown = false;  // children: someone else reaped it, so nobody knows how
    int status = 0;
    bool drained = false;  // read ends: the last read found the pipe (nearly) empty
    // Children: what ties the command to the program. Dropped without being let go (the
    // program died, or the handle was dropped unclosed), it ends the command.
    std::shared_ptr<GuardTie> tie;
  };

  ~State() {
    for (auto& [handle, entry] : handles) {
      if (entry.child && !entry.reaped) ReapLater(entry.pid);
    }
  }

  // Whether the child has ended, reaping it if it has; never waits.
  static bool Ended(Entry& entry) {
    if (entry.reaped) return true;
    int status = 0;
    pid_t result = 0;
    do {
      result = ::waitpid(entry.pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    entry.reaped = true;
    entry.statusKnown = result == entry.pid;  // ECHILD: reaped elsewhere, status unknown
    entry.status = status;
    return true;
  }

  HostHandle Add(Entry entry) {
    const HostHandle handle = nextHandle++;
    handles.emplace(handle, std::move(entry));
    return handle;
  }
  Entry* Find(HostHandle handle) {
    const auto found = handles.find(handle);
    return found == handles.end() ? nullptr : &found->second;
  }
  int Fd(HostHandle handle) {
    const Entry* entry = Find(handle);
    return entry != nullptr ? entry->fd.get() : -1;
  }
  bool Fail(int error) {
    lastError = error;
    return false;
  }

  std::string guard = GuardProgram();
  std::unordered_map<HostHandle, Entry> handles;
  HostHandle nextHandle = 1;
  std::int32_t lastError = 0;
  // The window walk runs over the processes that were live when it began.
  std::vector<pid_t> windows;
  std::size_t windowCursor = 0;
};

PosixProcessHost::PosixProcessHost(YieldPort& yield, BackgroundStops* stops)
    : yield_(yield),
      ownStops_(stops == nullptr ? std::make_unique<BackgroundStops>() : nullptr),
      stops_(stops == nullptr ? *ownStops_ : *stops),
      state_(std::make_unique<State>()) {}

PosixProcessHost::~PosixProcessHost() = default;

std::int32_t PosixProcessHost::GetLastError() { return state_->lastError; }

std::string PosixProcessHost::GetComSpec() {
  const char* comSpec = std::getenv("ComSpec");
  return comSpec != nullptr ? std::string(comSpec) : std::string("/bin/sh");
}

bool PosixProcessHost::Yield() { return yield_.Yield(); }

bool PosixProcessHost::CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                                  const SecurityAttributes& /*attributes*/,
                                  std::uint32_t /*nSize*/) {
  // Close-on-exec on our side: the child gets the write end only as its fds 1 and 2, and no
  // other program started meanwhile inherits it (or the pipe would never end).
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return state_->Fail(errno);
  UniqueFd readEnd(fds[0]);
  UniqueFd writeEnd(fds[1]);
  if (!MoveAboveChilds(readEnd) || !MoveAboveChilds(writeEnd)) return state_->Fail(errno);
  // Only our end waits without blocking; the child's end stays an ordinary blocking pipe.
  const int flags = ::fcntl(readEnd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(readEnd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    return state_->Fail(errno);
  }

  State::Entry read;
  read.kind = State::Kind::ReadEnd;
  read.fd = std::move(readEnd);
  State::Entry write;
  write.kind = State::Kind::WriteEnd;
  write.fd = std::move(writeEnd);
  hReadPipe = state_->Add(std::move(read));
  hWritePipe = state_->Add(std::move(write));
  return true;
}

bool PosixProcessHost::CreateProcess(const CommandLine& commandLine,
                                     const SecurityAttributes& /*attributes*/,
                                     const StartupInfo& startup, ProcessInformation& info) {
  const bool stdHandles = (startup.dwFlags & kStartfUseStdHandles) != 0;
  const int input = stdHandles ? state_->Fd(startup.hStdInput) : -1;
  const int output = stdHandles ? state_->Fd(startup.hStdOutput) : -1;
  const int error = stdHandles ? state_->Fd(startup.hStdError) : -1;

  // The command starts through the guard (see guard/framora_guard.cpp), which ties it to the
  // program's life. Our ends are close-on-exec: no other program we start holds them.
  if (state_->guard.empty()) return state_->Fail(ENOENT);
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    return state_->Fail(errno);
  }
  UniqueFd life(sockets[0]);
  UniqueFd guardsLife(sockets[1]);
  int pipes[2];
  if (::pipe2(pipes, O_CLOEXEC) != 0) return state_->Fail(errno);
  UniqueFd report(pipes[0]);
  UniqueFd guardsReport(pipes[1]);
  if (!MoveAboveChilds(life) || !MoveAboveChilds(guardsLife) || !MoveAboveChilds(report) ||
      !MoveAboveChilds(guardsReport)) {
    return state_->Fail(errno);
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t spawnAttributes;
  if (int rc = ::posix_spawn_file_actions_init(&actions); rc != 0) return state_->Fail(rc);
  if (int rc = ::posix_spawnattr_init(&spawnAttributes); rc != 0) {
    ::posix_spawn_file_actions_destroy(&actions);
    return state_->Fail(rc);
  }

  int rc = 0;
  // Our descriptors are all above 4 (see MoveAboveChilds), so these copies cannot clash.
  if (rc == 0 && output >= 0) rc = ::posix_spawn_file_actions_adddup2(&actions, output, 1);
  if (rc == 0 && error >= 0) rc = ::posix_spawn_file_actions_adddup2(&actions, error, 2);
  if (rc == 0) {
    rc = input >= 0 ? ::posix_spawn_file_actions_adddup2(&actions, input, 0)
                    : ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (rc == 0) rc = ::posix_spawn_file_actions_adddup2(&actions, guardsLife.get(), kGuardLife);
  if (rc == 0) rc = ::posix_spawn_file_actions_adddup2(&actions, guardsReport.get(), kGuardReport);
  // Whatever else is open in our process (without close-on-exec) is none of the child's business.
  if (rc == 0) rc = ::posix_spawn_file_actions_addclosefrom_np(&actions, kGuardReport + 1);

  // A group of its own in our session, where a new guard can join it (see GuardTie); the guard
  // leaves our terminal, so the command has none.
  if (rc == 0) rc = NewGroupAttributes(spawnAttributes, 0);

  pid_t pid = 0;
  if (rc == 0) {
    std::string guard = state_->guard;
    std::string interpreter = commandLine.interpreter;
    std::string option = "-c";
    std::string command = commandLine.command;
    char* argv[] = {guard.data(), interpreter.data(), option.data(), command.data(), nullptr};
    rc = ::posix_spawn(&pid, guard.c_str(), &actions, &spawnAttributes, argv, environ);
  }
  ::posix_spawnattr_destroy(&spawnAttributes);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return state_->Fail(rc);
  guardsLife.Reset();
  guardsReport.Reset();

  // The guard's id, then, only if the interpreter could not be started, the error: the report
  // ends when the interpreter starts (close-on-exec) or the child gives up. A few milliseconds.
  struct {
    pid_t guard = -1;
    int error = EIO;
  } said;
  std::size_t got = 0;
  for (auto* bytes = reinterpret_cast<char*>(&said); got < sizeof said;) {
    const ssize_t n = ::read(report.get(), bytes + got, sizeof said - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got != sizeof said.guard) {
    // An exec that failed is reported here, with the child gone or going.
    LetGo(life, said.guard);
    ReapLater(pid);
    return state_->Fail(got == sizeof said ? said.error : EIO);
  }

  State::Entry process;
  process.kind = State::Kind::Process;
  process.pid = pid;
  process.child = true;
  process.tie = std::make_shared<GuardTie>(state_->guard, pid, said.guard, std::move(life));
  State::Entry thread;
  thread.kind = State::Kind::Thread;
  thread.pid = pid;
  info.hProcess = state_->Add(std::move(process));
  info.hThread = state_->Add(std::move(thread));
  info.dwProcessId = static_cast<std::int32_t>(pid);
  info.dwThreadId = static_cast<std::int32_t>(pid);
  return true;
}

ReadStatus PosixProcessHost::ReadFile(HostHandle hReadPipe, std::string& sChunk, ReadWait& wait) {
  char buffer[kReadSize];
  for (;;) {
    // Looked up on every pass: the wait below runs the host's handlers, which may open and
    // close handles of their own.
    State::Entry* entry = state_->Find(hReadPipe);
    if (entry == nullptr || entry->kind != State::Kind::ReadEnd) {
      state_->lastError = EBADF;
      sChunk.clear();
      return ReadStatus::Ended;
    }
    const int fd = entry->fd.get();

    // A short read has probably emptied the pipe: wait for it first rather than be told so by
    // one more read. After a full read there is likely more, so read straight away.
    if (entry->drained) {
      pollfd ready{fd, POLLIN, 0};
      const int polled = ::poll(&ready, 1, kWaitSliceMs);
      if (polled == 0) {
        if (!wait.KeepWaiting()) return ReadStatus::Interrupted;
        continue;
      }
      if (polled < 0 && errno != EINTR) {
        state_->lastError = errno;
        entry->decoder.Finish(sChunk);
        return ReadStatus::Ended;
      }
    }

    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      entry->drained = static_cast<std::size_t>(n) < sizeof buffer;
      entry->decoder.Decode(std::string_view(buffer, static_cast<std::size_t>(n)), sChunk);
      return ReadStatus::Read;
    }
    if (n == 0) {
      entry->decoder.Finish(sChunk);
      return ReadStatus::Ended;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      state_->lastError = errno;
      entry->decoder.Finish(sChunk);
      return ReadStatus::Ended;
    }

    // Nothing there yet: wait in short slices, letting the windows work between them.
    entry->drained = true;
  }
}

namespace {

// How long the members of a killed group get to be gone (a process stuck in the kernel may
// take a while): one deadline for the whole group.
constexpr auto kKillWait = std::chrono::seconds(2);

// Whether the child has ended; it stays unreaped, a zombie, so that its id (its group's id)
// cannot pass to anybody else meanwhile.
bool LeaderEnded(pid_t pid) {
  siginfo_t info{};
  int rc = 0;
  do {
    rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
  } while (rc < 0 && errno == EINTR);
  return rc != 0 || info.si_pid == pid;  // an error: not ours to wait for (any more)
}

// The stop of a child's process group beside the user interface: the group has graceMs to end
// by itself after the close request, then what is left of it is killed. The leader is reaped
// only after the last signal to the group: until then its id cannot lead another group, which
// the signal would reach instead. The group is gone when the leader has ended and nothing but
// the guard is left alive in it; the guard is let go last, once nothing needs it any more.
void EndGroup(pid_t pid, GuardTie& tie, std::uint32_t graceMs) {
  const auto gone = [pid, &tie] {
    return LeaderEnded(pid) && !OthersInGroup(pid, pid, tie.Guard());
  };
  const auto waitUntil = [&gone](std::chrono::steady_clock::time_point end) {
    while (!gone()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
    }
    return true;
  };
  if (!waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs))) {
    ::kill(-pid, SIGKILL);
    waitUntil(std::chrono::steady_clock::now() + kKillWait);
  }
  tie.Release();
  ReapLater(pid);
}

}  // namespace

WaitStatus PosixProcessHost::WaitForProcess(HostHandle hProcess, std::uint32_t timeoutMs,
                                            ReadWait& wait) {
  // Polls in slices of kWaitSliceMs, asking `wait` between them, for at most timeoutMs.
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    // Looked up on every pass, as in ReadFile: the handlers run meanwhile may change the table.
    State::Entry* entry = state_->Find(hProcess);
    if (entry == nullptr || !entry->child || State::Ended(*entry)) return WaitStatus::Ended;
    const auto waited = std::chrono::steady_clock::now() - start;
    if (timeoutMs != kInfinite && waited >= std::chrono::milliseconds(timeoutMs)) {
      return WaitStatus::TimedOut;
    }
    ::poll(nullptr, 0, kWaitSliceMs);
    if (!wait.KeepWaiting()) return WaitStatus::Interrupted;
  }
}

bool PosixProcessHost::GetExitCodeProcess(HostHandle hProcess, std::uint32_t& exitCode) {
  State::Entry* entry = state_->Find(hProcess);
  if (entry == nullptr || !entry->child) return state_->Fail(EBADF);
  if (!State::Ended(*entry)) {
    exitCode = kStillActive;
    return true;
  }
  if (!entry->statusKnown) return state_->Fail(ECHILD);
  // As a shell reports it: the exit status, or 128 and the number of the ending signal.
  const int status = entry->status;
  if (WIFEXITED(status)) {
    exitCode = static_cast<std::uint32_t>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    exitCode = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  } else {
    return state_->Fail(ECHILD);
  }
  return true;
}

bool PosixProcessHost::EndProcessTreeLater(HostHandle hProcess, std::uint32_t graceMs) {
  const auto found = state_->handles.find(hProcess);
  if (found == state_->handles.end() || !found->second.child || found->second.pid <= 0) {
    return state_->Fail(EBADF);
  }
  State::Entry& entry = found->second;
  const pid_t pid = entry.pid;
  std::shared_ptr<GuardTie> tie = std::move(entry.tie);
  const bool reaped = entry.reaped;
  state_->handles.erase(found);  // the stop reaps it now
  if (reaped || tie == nullptr) {
    // Its id may be anybody's now, so no signal of ours goes there; the guard still keeps the
    // group's and ends what is left of it when the tie is dropped.
    return true;
  }
  stops_.Start([pid, tie, graceMs] { EndGroup(pid, *tie, graceMs); });
  return true;
}

void PosixProcessHost::LetOutliveProgram(HostHandle hProcess) {
  State::Entry* entry = state_->Find(hProcess);
  if (entry != nullptr && entry->tie != nullptr) entry->tie->Release();
}

void PosixProcessHost::CloseHandle(HostHandle handle) {
  const auto found = state_->handles.find(handle);
  if (found == state_->handles.end()) return;
  const bool child = found->second.child && !found->second.reaped;
  const pid_t pid = found->second.pid;
  // The run is over: what the command left running is no longer tied to the program.
  if (found->second.tie != nullptr) found->second.tie->Release();
  state_->handles.erase(found);
  if (child) ReapLater(pid);
}

HostHandle PosixProcessHost::OpenProcess(std::uint32_t /*dwDesiredAccess*/, bool /*bInheritHandle*/,
                                         std::int32_t dwProcessId) {
  if (!IsLive(dwProcessId)) {
    state_->lastError = ESRCH;
    return kNoHandle;
  }
  State::Entry process;
  process.kind = State::Kind::Process;
  process.pid = dwProcessId;
  return state_->Add(std::move(process));
}

bool PosixProcessHost::TerminateProcess(HostHandle hProcess, std::uint32_t /*uExitCode*/) {
  const State::Entry* entry = state_->Find(hProcess);
  if (entry == nullptr || entry->kind != State::Kind::Process) return state_->Fail(EBADF);
  if (!SignalProcess(entry->pid, SIGKILL)) return state_->Fail(errno);
  return true;
}

void PosixProcessHost::GetVersionEx(OsVersionInfo& info) {
  // No Windows version to report; the NT family is the one whose close is only a request.
  info.dwMajorVersion = 0;
  info.dwMinorVersion = 0;
  info.dwBuildNumber = 0;
  info.dwPlatformId = kVerPlatformWin32Nt;
}

WindowHandle PosixProcessHost::GetDesktopWindow() { return kDesktop; }

WindowHandle PosixProcessHost::GetWindow(WindowHandle hWnd, std::uint32_t uCmd) {
  std::vector<pid_t>& windows = state_->windows;
  if (hWnd == kDesktop && uCmd == kGwChild) {
    windows.clear();
    state_->windowCursor = 0;
    if (DIR* proc = ::opendir("/proc")) {
      while (const dirent* item = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(item->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid > std::numeric_limits<pid_t>::max()) continue;
        if (IsLive(static_cast<pid_t>(pid))) windows.push_back(static_cast<pid_t>(pid));
      }
      ::closedir(proc);
    }
    return windows.empty() ? kNoWindow : static_cast<WindowHandle>(windows.front());
  }
  if (uCmd != kGwHwndNext || hWnd == kDesktop) return kNoWindow;

  std::size_t& cursor = state_->windowCursor;
  if (cursor >= windows.size() || static_cast<WindowHandle>(windows[cursor]) != hWnd) {
    cursor = 0;
    while (cursor < windows.size() && static_cast<WindowHandle>(windows[cursor]) != hWnd) ++cursor;
  }
  if (cursor + 1 >= windows.size()) return kNoWindow;
  return static_cast<WindowHandle>(windows[++cursor]);
}

WindowHandle PosixProcessHost::GetParent(WindowHandle /*hWnd*/) {
  return kNoWindow;  // a process's one window is always a top-level window
}

std::uint32_t PosixProcessHost::GetWindowThreadProcessId(WindowHandle hWnd,
                                                         std::int32_t& lProcessId) {
  if (hWnd == kNoWindow || hWnd == kDesktop) {
    lProcessId = 0;
    return 0;
  }
  lProcessId = static_cast<std::int32_t>(hWnd);
  return static_cast<std::uint32_t>(hWnd);
}

void PosixProcessHost::PostMessage(WindowHandle hWnd, std::uint32_t uMsg, std::int32_t wParam,
                                   std::int32_t /*lParam*/) {
  if (hWnd == kNoWindow || hWnd == kDesktop) return;
  const bool closeRequest = uMsg == kWmClose || (uMsg == kWmEndSession && wParam != 0);
  if (closeRequest) SignalProcess(static_cast<pid_t>(hWnd), SIGTERM);
}

}  // namespace framora::posix

namespace framora {

std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield, BackgroundStops* stops) {
  return std::make_unique<posix::PosixProcessHost>(yield, stops);
}

}  // namespace framora
