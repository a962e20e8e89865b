// The process host for Linux and other Unix systems.
//
// - The interpreter is ComSpec when it is set, else /bin/sh, run as `interpreter -c command`.
// - Standard output and standard error are the write end of one pipe, standard input is
//   /dev/null; the child leads a process group of its own in our session, without a terminal.
// - Reads take at most 256 bytes and decode them as UTF-8 (state kept across reads); a read
//   that has to wait polls in slices of at most 10 ms and asks the runner between them, so the
//   windows keep working and a cancel request ends the wait.
// - Windows do not exist here. For the runner's window walk every live process that we may
//   signal counts as one top-level window; a close request to it (WM_CLOSE, WM_ENDSESSION) is
//   SIGTERM to the process group it leads, or to the process alone if it leads none (or leads
//   ours). Termination is SIGKILL to the same. The process list comes from /proc; where there
//   is none, no window is ever found.
// - The version record is never the Windows 9x family, so closing never kills.
// - A child is reaped when a wait sees it end, else when its handle is closed (by a small
//   thread of its own if it is still running then); its exit code is the shell's view of its
//   status. Its tree is its process group, which it leads: ending the tree is SIGKILL to the
//   group, after the grace, on a thread of the program's BackgroundStops; the leader is reaped
//   only after that last signal, so that its id leads no other group meanwhile.
// - Every command starts through a small guard program (framora-guard, see guard/), which
//   stays in the command's group and ends the group when the program dies without letting the
//   command go; a guard that dies is replaced (see posix_guard_tie.h). Closing the process
//   handle, and LetOutliveProgram, let it go.
#pragma once

#include <memory>

#include "app/ports.h"
#include "runner/background_stops.h"
#include "runner/process_host.h"

namespace framora::posix {

class PosixProcessHost final : public ProcessHost {
 public:
  // Stops go to `stops`, which the program waits for before it ends; without it, to stops of
  // the host's own, waited for when the host goes.
  explicit PosixProcessHost(YieldPort& yield, BackgroundStops* stops = nullptr);
  ~PosixProcessHost() override;
  PosixProcessHost(const PosixProcessHost&) = delete;
  PosixProcessHost& operator=(const PosixProcessHost&) = delete;

  std::int32_t GetLastError() override;
  std::string GetComSpec() override;
  bool Yield() override;

  bool CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                  const SecurityAttributes& attributes, std::uint32_t nSize) override;
  bool CreateProcess(const CommandLine& commandLine, const SecurityAttributes& attributes,
                     const StartupInfo& startup, ProcessInformation& info) override;
  ReadStatus ReadFile(HostHandle hReadPipe, std::string& sChunk, ReadWait& wait) override;
  void CloseHandle(HostHandle handle) override;

  WaitStatus WaitForProcess(HostHandle hProcess, std::uint32_t timeoutMs, ReadWait& wait) override;
  bool GetExitCodeProcess(HostHandle hProcess, std::uint32_t& exitCode) override;
  bool EndProcessTreeLater(HostHandle hProcess, std::uint32_t graceMs) override;
  void LetOutliveProgram(HostHandle hProcess) override;
  void AfterStops(std::function<void()> work) override { stops_.Then(std::move(work)); }

  HostHandle OpenProcess(std::uint32_t dwDesiredAccess, bool bInheritHandle,
                         std::int32_t dwProcessId) override;
  bool TerminateProcess(HostHandle hProcess, std::uint32_t uExitCode) override;
  void GetVersionEx(OsVersionInfo& info) override;

  WindowHandle GetDesktopWindow() override;
  WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) override;
  WindowHandle GetParent(WindowHandle hWnd) override;
  std::uint32_t GetWindowThreadProcessId(WindowHandle hWnd, std::int32_t& lProcessId) override;
  void PostMessage(WindowHandle hWnd, std::uint32_t uMsg, std::int32_t wParam,
                   std::int32_t lParam) override;

 private:
  struct State;

  YieldPort& yield_;
  std::unique_ptr<BackgroundStops> ownStops_;  // declared first: they outlive the table
  BackgroundStops& stops_;
  std::unique_ptr<State> state_;
};

}  // namespace framora::posix
