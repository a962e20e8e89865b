// The process host over kernel32 and user32, each call as the runner names it: CreatePipe,
// CreateProcessA (the interpreter line "ComSpec /c "command"", NORMAL_PRIORITY_CLASS, inherited
// handles, a hidden console of its own; only the pipe's write end is inheritable), ReadFile of
// 256 bytes, CloseHandle, OpenProcess, TerminateProcess, GetVersionExA and the window walk. Host
// handles are the Win32 handles themselves.
//
// With the program's CommandControl, each command goes into the program's job (it ends with the
// program) and a stop first asks it with Ctrl+C at its console, as a user would: FFmpeg then
// finishes its file. A command that ignores that has the grace, then its tree is ended.
//
// A read that would block first waits in short slices (PeekNamedPipe, then a wait that wakes
// early for window messages) and asks the runner between them, so the windows keep working
// and a cancel request ends the wait. Bytes read are text: each line UTF-8 when it is valid
// UTF-8 (FFmpeg's), else in the code page of the command's console (cmd.exe's messages).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "app/ports.h"
#include "platform/win32/win32_command_job.h"
#include "platform/win32/win32_text.h"
#include "runner/background_stops.h"
#include "runner/process_host.h"

namespace framora::win32 {

// How the program keeps hold of the commands its hosts start, the same for every host.
struct CommandControl {
  CommandJob* job = nullptr;  // the job they go into; none: they run untied
  std::wstring interrupter;   // a program that knows kInterruptOption; empty: no Ctrl+C
  // Once true, stops end their command at once, without Ctrl+C or grace: the program has only
  // the moments Windows gives a closing console. None: stops always take their time.
  const std::atomic<bool>* hurry = nullptr;
};

class Win32ProcessHost : public ProcessHost {
 public:
  // Stops go to `stops`, which the program waits for before it ends; without it, to stops of
  // the host's own, waited for when the host goes.
  explicit Win32ProcessHost(YieldPort& yield, BackgroundStops* stops = nullptr,
                            CommandControl control = {})
      : yield_(yield),
        ownStops_(stops == nullptr ? std::make_unique<BackgroundStops>() : nullptr),
        stops_(stops == nullptr ? *ownStops_ : *stops),
        control_(std::move(control)) {}
  Win32ProcessHost(const Win32ProcessHost&) = delete;
  Win32ProcessHost& operator=(const Win32ProcessHost&) = delete;

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
  // Asks the command with Ctrl+C first; if that reached it, the tree has at least the grace a
  // delivered close request gets.
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
  bool Fail();

  YieldPort& yield_;
  std::unique_ptr<BackgroundStops> ownStops_;
  BackgroundStops& stops_;
  CommandControl control_;
  std::int32_t lastError_ = 0;
  ConsoleCodePage consoleCodePage_;  // declared before the decoders that use it
  // The text state of each read end between its reads.
  std::unordered_map<HostHandle, LineChunkDecoder> decoders_;
};

}  // namespace framora::win32
