// What the tests with real processes share: the helper program, a yield the test controls, a
// host that records what the real one did, and ways to watch processes without guessing times.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "app/ports.h"
#include "platform/posix/posix_process_host.h"
#include "runner/process_host.h"
#include "support/scoped_env.h"

namespace framora::test {

inline const std::string kHelper = FRAMORA_PROC_HELPER;

// 'text' for the shell, whatever it holds.
inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// A shell command that replaces the shell with the helper, so the helper is the run's child.
inline std::string Helper(const std::string& arguments) {
  return "exec " + ShellQuote(kHelper) + " " + arguments;
}

class FakeYield : public YieldPort {
 public:
  std::function<bool()> onYield;
  int count = 0;
  bool Yield() override {
    ++count;
    return onYield ? onYield() : true;
  }
};

// The real host, seen through a window: remembers the child of the last run and can pretend
// to be another Windows version.
class RecordingHost : public ProcessHost {
 public:
  explicit RecordingHost(ProcessHost& real) : real_(real) {}

  std::int32_t lastProcessId = 0;
  std::optional<OsVersionInfo> version;

  std::int32_t GetLastError() override { return real_.GetLastError(); }
  std::string GetComSpec() override { return real_.GetComSpec(); }
  bool Yield() override { return real_.Yield(); }
  bool CreatePipe(HostHandle& r, HostHandle& w, const SecurityAttributes& a,
                  std::uint32_t n) override {
    return real_.CreatePipe(r, w, a, n);
  }
  bool CreateProcess(const CommandLine& line, const SecurityAttributes& a, const StartupInfo& s,
                     ProcessInformation& info) override {
    const bool ok = real_.CreateProcess(line, a, s, info);
    if (ok) lastProcessId = info.dwProcessId;
    return ok;
  }
  ReadStatus ReadFile(HostHandle h, std::string& chunk, ReadWait& wait) override {
    return real_.ReadFile(h, chunk, wait);
  }
  void CloseHandle(HostHandle h) override { real_.CloseHandle(h); }
  WaitStatus WaitForProcess(HostHandle h, std::uint32_t ms, ReadWait& wait) override {
    return real_.WaitForProcess(h, ms, wait);
  }
  bool GetExitCodeProcess(HostHandle h, std::uint32_t& code) override {
    return real_.GetExitCodeProcess(h, code);
  }
  bool EndProcessTreeLater(HostHandle h, std::uint32_t graceMs) override {
    return real_.EndProcessTreeLater(h, graceMs);
  }
  void LetOutliveProgram(HostHandle h) override { real_.LetOutliveProgram(h); }
  void AfterStops(std::function<void()> work) override { real_.AfterStops(std::move(work)); }
  HostHandle OpenProcess(std::uint32_t a, bool i, std::int32_t id) override {
    return real_.OpenProcess(a, i, id);
  }
  bool TerminateProcess(HostHandle h, std::uint32_t code) override {
    return real_.TerminateProcess(h, code);
  }
  void GetVersionEx(OsVersionInfo& info) override {
    real_.GetVersionEx(info);
    if (version) {
      info.dwMajorVersion = version->dwMajorVersion;
      info.dwMinorVersion = version->dwMinorVersion;
      info.dwPlatformId = version->dwPlatformId;
    }
  }
  WindowHandle GetDesktopWindow() override { return real_.GetDesktopWindow(); }
  WindowHandle GetWindow(WindowHandle w, std::uint32_t cmd) override {
    return real_.GetWindow(w, cmd);
  }
  WindowHandle GetParent(WindowHandle w) override { return real_.GetParent(w); }
  std::uint32_t GetWindowThreadProcessId(WindowHandle w, std::int32_t& id) override {
    return real_.GetWindowThreadProcessId(w, id);
  }
  void PostMessage(WindowHandle w, std::uint32_t m, std::int32_t wp, std::int32_t lp) override {
    real_.PostMessage(w, m, wp, lp);
  }

 private:
  ProcessHost& real_;
};

// Waits for a condition that is bound to come true; the deadline only keeps a broken build
// from hanging the test run.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::seconds deadline = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A small /proc file, or nothing once the process it describes is gone (which can happen
// between opening and reading, so no stream that would throw).
inline std::optional<std::string> ReadProcFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(n));
}

// The fields of /proc/<pid>/stat after the name: "S 1234 ..." (state, parent, ...).
inline std::optional<std::string> StatAfterName(pid_t pid) {
  const std::optional<std::string> text = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
  if (!text) return std::nullopt;
  const std::size_t close = text->rfind(')');
  if (close == std::string::npos || close + 2 >= text->size()) return std::nullopt;
  return text->substr(close + 2);
}

// The state letter of a process ('R', 'S', 'Z', ...), or nothing once it is gone.
inline std::optional<char> ProcessState(pid_t pid) {
  const std::optional<std::string> fields = StatAfterName(pid);
  if (!fields) return std::nullopt;
  return fields->front();
}

inline bool IsRunning(pid_t pid) {
  const std::optional<char> state = ProcessState(pid);
  return state && *state != 'Z' && *state != 'X';
}

inline bool IsGone(pid_t pid) { return !ProcessState(pid).has_value(); }

// Our children that have ended but were not waited for.
inline std::set<pid_t> OurZombies() {
  std::set<pid_t> zombies;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return zombies;
  while (const dirent* item = ::readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(item->d_name));
    if (pid <= 0) continue;
    const std::optional<std::string> fields = StatAfterName(pid);
    if (!fields) continue;
    std::istringstream rest(*fields);
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid() && state == 'Z') zombies.insert(pid);
  }
  ::closedir(proc);
  return zombies;
}

// A live process of process group `group` other than `except`, or 0.
inline pid_t OtherMember(pid_t group, pid_t except) {
  pid_t found = 0;
  DIR* proc = ::opendir("/proc");
  while (const dirent* item = proc != nullptr ? ::readdir(proc) : nullptr) {
    const pid_t pid = static_cast<pid_t>(std::atoi(item->d_name));
    const auto fields = pid > 0 && pid != except ? StatAfterName(pid) : std::nullopt;
    char state = 0;
    int pgrp = 0;
    if (fields && std::sscanf(fields->c_str(), "%c %*d %d", &state, &pgrp) == 2 && pgrp == group &&
        state != 'Z') {
      found = pid;
    }
  }
  if (proc != nullptr) ::closedir(proc);
  return found;
}

inline int OpenDescriptorCount() {
  int count = 0;
  DIR* fds = ::opendir("/proc/self/fd");
  if (fds == nullptr) return -1;
  while (const dirent* item = ::readdir(fds)) {
    if (item->d_name[0] != '.') ++count;
  }
  ::closedir(fds);
  return count;
}

// Orphans (what a command left running) come to us instead of to whatever reaps orphans on
// this machine; the tests wait for them so that nothing is left behind.
inline void AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

// Waits for an orphan that has been told to end, and reaps it. When it was we who reaped it
// (not a shell that was quicker), *status says how it ended.
inline bool ReapOrphan(pid_t pid, std::optional<int>* status = nullptr) {
  return WaitUntil([pid, status] {
    int how = 0;
    const pid_t result = ::waitpid(pid, &how, WNOHANG);
    if (result == pid && status != nullptr) *status = how;
    return result == pid || (result < 0 && errno == ECHILD && IsGone(pid));
  });
}

// "pid 1234\n" (or "<label> 1234 ...") -> 1234.
inline pid_t PidAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label + " ");
  if (at == std::string::npos) return 0;
  return static_cast<pid_t>(std::atoi(text.c_str() + at + label.size() + 1));
}

}  // namespace framora::test
