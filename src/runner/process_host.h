// The process host: what ReadOutput needs from the operating system, in the words of the
// Windows functions it was first written against, so that a Win32 adapter maps each call 1:1
// (CreatePipe, CreateProcessA, ReadFile, CloseHandle, OpenProcess, TerminateProcess,
// GetVersionExA, GetDesktopWindow, GetWindow, GetParent, GetWindowThreadProcessId,
// PostMessageA). Other platforms translate (see the POSIX adapter). The runner's rules -- the
// command line, the records it fills, the window walk, the version test -- stay in the runner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace framora {

class BackgroundStops;
class YieldPort;

// A kernel object handed out by the host (pipe end, process, thread); 0 is "none".
using HostHandle = std::uintptr_t;
// A window handed out by the host; 0 is "none".
using WindowHandle = std::uintptr_t;

inline constexpr HostHandle kNoHandle = 0;
inline constexpr WindowHandle kNoWindow = 0;

// GetWindow commands.
inline constexpr std::uint32_t kGwHwndNext = 2;
inline constexpr std::uint32_t kGwChild = 5;
// Messages the runner posts.
inline constexpr std::uint32_t kWmClose = 16;
inline constexpr std::uint32_t kWmEndSession = 22;
// OpenProcess access right.
inline constexpr std::uint32_t kProcessTerminate = 1;
// STARTUPINFO flags and show state.
inline constexpr std::uint32_t kStartfUseShowWindow = 1;
inline constexpr std::uint32_t kStartfUseStdHandles = 256;
inline constexpr std::uint16_t kSwHide = 0;
// OSVERSIONINFO platform ids.
inline constexpr std::int32_t kVerPlatformWin32Windows = 1;
inline constexpr std::int32_t kVerPlatformWin32Nt = 2;

struct SecurityAttributes {
  std::uint32_t nLength = 12;
  std::int32_t bInheritHandle = -1;  // inheritable
};

struct StartupInfo {
  std::uint32_t cb = 68;
  std::uint32_t dwFlags = 0;
  std::uint16_t wShowWindow = 0;
  HostHandle hStdInput = kNoHandle;
  HostHandle hStdOutput = kNoHandle;
  HostHandle hStdError = kNoHandle;
};

struct ProcessInformation {
  HostHandle hProcess = kNoHandle;
  HostHandle hThread = kNoHandle;
  std::int32_t dwProcessId = 0;
  std::int32_t dwThreadId = 0;
};

struct OsVersionInfo {
  std::uint32_t dwOSVersionInfoSize = 0;
  std::int32_t dwMajorVersion = 0;
  std::int32_t dwMinorVersion = 0;
  std::int32_t dwBuildNumber = 0;
  std::int32_t dwPlatformId = 0;
  std::string szCSDVersion;
};

// What to start: the interpreter and the command, kept apart so that each platform can start
// it its own way. Windows gets the one line Text(); POSIX runs `interpreter -c command`.
struct CommandLine {
  std::string interpreter;  // the value of ComSpec, unchanged (may be empty)
  std::string command;      // the user's command, unchanged, quotes inside it included

  // interpreter, " /D /V:OFF /c ", and the command between two added double quotes: cmd.exe
  // then runs the command alone, without the user's AutoRun commands, and leaves every '!'
  // of it as it is even where delayed expansion is switched on for the user.
  std::string Text() const { return interpreter + " /D /V:OFF /c \"" + command + "\""; }
};

// "No time limit" for a wait, and the exit code of a process that is still running.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
inline constexpr std::uint32_t kStillActive = 259;

enum class ReadStatus {
  Read,         // bytes arrived; the chunk holds their text
  Ended,        // no writer is left, or the read failed; the chunk holds any text still held back
  Interrupted,  // the wait was given up (see ReadWait); nothing was read
};

enum class WaitStatus {
  Ended,        // the process has ended
  TimedOut,     // it still runs after the time given
  Interrupted,  // the wait was given up (see ReadWait)
};

// Asked by a read that has to wait for output, or a wait for a process to end, between short
// slices of waiting.
class ReadWait {
 public:
  virtual ~ReadWait() = default;
  // False ends the wait at once; the read then reports Interrupted.
  virtual bool KeepWaiting() = 0;
};

class ProcessHost {
 public:
  virtual ~ProcessHost() = default;

  // The last error of the calling thread right after a failed call (GetLastError).
  virtual std::int32_t GetLastError() = 0;
  // The interpreter that ComSpec names; empty when it is not set (a platform with a standard
  // interpreter of its own may name that one instead).
  virtual std::string GetComSpec() = 0;
  // Handles the user-interface events already queued; false once the program is ending.
  virtual bool Yield() = 0;

  // An anonymous pipe; size 0 is the platform's default.
  virtual bool CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                          const SecurityAttributes& attributes, std::uint32_t nSize) = 0;
  // Starts the command through the interpreter with the given standard handles and a hidden
  // window, inheriting handles, at normal priority, in the caller's environment and folder.
  // The attributes serve both the process and its thread.
  virtual bool CreateProcess(const CommandLine& commandLine, const SecurityAttributes& attributes,
                             const StartupInfo& startup, ProcessInformation& info) = 0;
  // Reads at most 256 bytes and gives their text in sChunk (the platform's narrow text
  // converted to UTF-8; never more than 256 characters). Waits until at least one byte can be
  // delivered or no writer is left; while waiting it may ask `wait` whether to go on.
  virtual ReadStatus ReadFile(HostHandle hReadPipe, std::string& sChunk, ReadWait& wait) = 0;
  virtual void CloseHandle(HostHandle handle) = 0;

  // Waits until the process has ended, at most timeoutMs (kInfinite: without limit), asking
  // `wait` between short slices as ReadFile does.
  virtual WaitStatus WaitForProcess(HostHandle hProcess, std::uint32_t timeoutMs,
                                    ReadWait& wait) = 0;
  // The exit code of the process, kStillActive while it runs. A POSIX host reports what a
  // shell would: the exit status, or 128 + the number of the signal that ended it. False when
  // the code cannot be known.
  virtual bool GetExitCodeProcess(HostHandle hProcess, std::uint32_t& exitCode) = 0;
  // Hands the process over to be ended beside the user interface, with every process it
  // started and what those started in turn: the tree has graceMs to end by itself, then
  // whatever still runs is ended. Returns at once; the program waits for it before it ends.
  // The handle is the host's from now on. False when there is no such process to hand over.
  virtual bool EndProcessTreeLater(HostHandle hProcess, std::uint32_t graceMs) = 0;
  // The program is ending and leaves the command running (File > Exit): from now on the
  // process and what it started no longer end with the program.
  virtual void LetOutliveProgram(HostHandle hProcess) = 0;
  // Runs `work` beside the user interface once every process tree handed over to be ended so
  // far has ended: what a stopped command was writing can go then. The program waits for it
  // before it ends.
  virtual void AfterStops(std::function<void()> work) = 0;

  virtual HostHandle OpenProcess(std::uint32_t dwDesiredAccess, bool bInheritHandle,
                                 std::int32_t dwProcessId) = 0;
  virtual bool TerminateProcess(HostHandle hProcess, std::uint32_t uExitCode) = 0;
  virtual void GetVersionEx(OsVersionInfo& info) = 0;

  virtual WindowHandle GetDesktopWindow() = 0;
  virtual WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) = 0;
  virtual WindowHandle GetParent(WindowHandle hWnd) = 0;
  // Returns the owning thread's id and stores the owning process's id.
  virtual std::uint32_t GetWindowThreadProcessId(WindowHandle hWnd, std::int32_t& lProcessId) = 0;
  virtual void PostMessage(WindowHandle hWnd, std::uint32_t uMsg, std::int32_t wParam,
                           std::int32_t lParam) = 0;
};

// The process host of the system the program is built for (the platform adapters define it):
// its waits go through `yield`, and the stops it hands over go to `stops` (none: its own).
std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield, BackgroundStops* stops);

}  // namespace framora
