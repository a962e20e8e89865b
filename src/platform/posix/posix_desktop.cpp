#include "platform/posix/posix_desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "platform/posix/posix_children.h"

extern char** environ;

namespace framora::posix {

namespace {

// GNOME Settings answers --list at once; anything slower is stuck, and the user waits.
constexpr std::chrono::seconds kAnswerLimit{3};
// Far more than any panel list; a program that writes more is not the one we meant to ask.
constexpr std::size_t kOutputLimit = 64 * 1024;
constexpr int kExitSliceMs = 10;

class OwnedFd {
 public:
  explicit OwnedFd(int fd) : fd_(fd) {}
  ~OwnedFd() { Close(); }
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_;
};

// Starts the command in a session of its own with standard input and error on /dev/null and
// standard output on `output` (/dev/null when -1). 0 and the child's id, or the error; an exec
// that fails is reported here, with the child already gone.
int Spawn(const std::vector<std::string>& command, int output, pid_t& pid) {
  if (command.empty() || command.front().empty()) return ENOENT;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (int rc = ::posix_spawn_file_actions_init(&actions); rc != 0) return rc;
  if (int rc = ::posix_spawnattr_init(&attributes); rc != 0) {
    ::posix_spawn_file_actions_destroy(&actions);
    return rc;
  }

  // The copy comes first: `output` may itself be one of fds 0 to 2 when ours were closed.
  int rc = output >= 0 ? ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO)
                       : ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null",
                                                            O_WRONLY, 0);
  if (rc == 0) {
    rc = ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (rc == 0) {
    rc = ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  if (rc == 0) rc = ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  if (rc == 0) rc = NewSessionAttributes(attributes);

  if (rc == 0) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    rc = ::posix_spawnp(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
  }
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  return rc;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool StartDetached(const std::vector<std::string>& command) {
  pid_t pid = 0;
  if (Spawn(command, -1, pid) != 0) return false;
  ReapLater(pid);
  return true;
}

std::optional<std::string> ReadProgramOutput(const std::vector<std::string>& command,
                                             std::chrono::milliseconds limit) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  OwnedFd readEnd(fds[0]);
  OwnedFd writeEnd(fds[1]);
  pid_t pid = 0;
  const int started = Spawn(command, writeEnd.get(), pid);
  writeEnd.Close();  // the pipe ends once the program's copies are gone
  if (started != 0) return std::nullopt;

  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string output;
  bool pipeEnded = false;
  while (!pipeEnded && MillisecondsLeft(deadline) > 0 && output.size() <= kOutputLimit) {
    pollfd ready{readEnd.get(), POLLIN, 0};
    const int polled = ::poll(&ready, 1, MillisecondsLeft(deadline));
    if (polled < 0 && errno != EINTR) break;
    if (polled <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
    if (n < 0 && errno != EINTR) break;
    if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
    pipeEnded = n == 0;
  }

  // After its output the program ends by itself, in the time left, or is made to.
  int status = 0;
  pid_t result = 0;
  while (pipeEnded && output.size() <= kOutputLimit) {
    result = ::waitpid(pid, &status, WNOHANG);
    if ((result < 0 && errno != EINTR) || result == pid || MillisecondsLeft(deadline) == 0) break;
    ::poll(nullptr, 0, kExitSliceMs);
  }
  if (result == pid) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::optional(output) : std::nullopt;
  }
  if (result == 0) {
    ::kill(-pid, SIGKILL);  // its own session's group: what it started goes with it
    ReapLater(pid);
  }
  return std::nullopt;
}

std::string PosixDesktopSession::CurrentDesktop() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop != nullptr ? desktop : "";
}

std::optional<std::string> PosixDesktopSession::ProgramOutput(
    const std::vector<std::string>& command) {
  return ReadProgramOutput(command, kAnswerLimit);
}

}  // namespace framora::posix

namespace framora {

bool StartDesktopCommand(const std::string& command) {
  return posix::StartDetached(SplitCommand(command));
}

}  // namespace framora
