#include "platform/win32/win32_process_host.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_console_interrupt.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_process_tree.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace framora::win32 {

namespace {

constexpr DWORD kReadSize = 256;
constexpr DWORD kWaitSliceMs = 10;
// How long the members of an ended tree get to be gone (termination is asynchronous, and a
// process stuck in I/O may take a while): one deadline for all of them.
constexpr std::uint32_t kKillWaitMs = 2000;
// How long the copy that sends Ctrl+C may take (it is a program start, slow under Wine), and
// how long FFmpeg then has to finish its file: as long as after the runner's own close request.
constexpr std::uint32_t kInterruptWaitMs = 5000;
constexpr std::uint32_t kInterruptGraceMs = 3000;

// The records the runner fills have these sizes in the 32-bit program.
static_assert(sizeof(void*) != 4 || sizeof(SECURITY_ATTRIBUTES) == 12);
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68);
static_assert(sizeof(OSVERSIONINFOA) == 148);

HANDLE ToHandle(HostHandle handle) { return reinterpret_cast<HANDLE>(handle); }
HostHandle FromHandle(HANDLE handle) { return reinterpret_cast<HostHandle>(handle); }
HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromWindow(HWND window) { return reinterpret_cast<WindowHandle>(window); }

SECURITY_ATTRIBUTES ToSecurityAttributes(const SecurityAttributes& attributes) {
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = attributes.bInheritHandle != 0 ? TRUE : FALSE;
  return sa;
}

}  // namespace

bool Win32ProcessHost::Fail() {
  lastError_ = static_cast<std::int32_t>(::GetLastError());
  return false;
}

std::int32_t Win32ProcessHost::GetLastError() { return lastError_; }

std::string Win32ProcessHost::GetComSpec() {
  char buffer[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("ComSpec", buffer, sizeof buffer);
  if (length == 0) return {};
  if (length < sizeof buffer) return FromNarrow(std::string_view(buffer, length));
  std::string value(length, '\0');
  const DWORD copied = ::GetEnvironmentVariableA("ComSpec", value.data(), length);
  value.resize(std::min<DWORD>(copied, length));
  return FromNarrow(value);
}

bool Win32ProcessHost::Yield() { return yield_.Yield(); }

bool Win32ProcessHost::CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                                  const SecurityAttributes& attributes, std::uint32_t nSize) {
  SECURITY_ATTRIBUTES sa = ToSecurityAttributes(attributes);
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &sa, nSize)) return Fail();
  // Only the write end is the child's. A child holding a reader of its own output would block
  // for ever on a full pipe once we stop reading, instead of failing with a broken pipe.
  if (!::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) {
    Fail();
    ::CloseHandle(readEnd);
    ::CloseHandle(writeEnd);
    return false;
  }
  hReadPipe = FromHandle(readEnd);
  hWritePipe = FromHandle(writeEnd);
  decoders_.insert_or_assign(hReadPipe, LineChunkDecoder(consoleCodePage_));
  return true;
}

bool Win32ProcessHost::CreateProcess(const CommandLine& commandLine,
                                     const SecurityAttributes& attributes,
                                     const StartupInfo& startup, ProcessInformation& info) {
  SECURITY_ATTRIBUTES processAttributes = ToSecurityAttributes(attributes);
  SECURITY_ATTRIBUTES threadAttributes = ToSecurityAttributes(attributes);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = startup.dwFlags;
  si.wShowWindow = startup.wShowWindow;
  si.hStdInput = ToHandle(startup.hStdInput);
  si.hStdOutput = ToHandle(startup.hStdOutput);
  si.hStdError = ToHandle(startup.hStdError);
  // No input is the NUL device: a console of its own would otherwise stand in for a missing
  // one (Wine does so), and a command that reads input would wait for keys nobody types.
  KernelHandle noInput;
  if ((si.dwFlags & STARTF_USESTDHANDLES) != 0 && si.hStdInput == nullptr) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    noInput.reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherited, OPEN_EXISTING, 0, nullptr));
    si.hStdInput = noInput.get();
  }

  std::string line = ToNarrow(commandLine.Text());  // CreateProcessA may write into it
  // A console of its own, hidden by wShowWindow. A program without a console gives its console
  // children one anyway, but Wine gives them none, and Ctrl+C needs one to reach the command;
  // it also keeps the command off a console the program itself is attached to, so that only
  // the program's stop interrupts it. Suspended until it is in the job, so that nothing it
  // starts escapes it.
  DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE;
  if (control_.job != nullptr) flags |= CREATE_SUSPENDED;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, line.data(), &processAttributes, &threadAttributes, TRUE, flags,
                        nullptr, nullptr, &si, &pi)) {
    return Fail();
  }
  if (control_.job != nullptr) {
    control_.job->Adopt(pi.hProcess);
    if (::ResumeThread(pi.hThread) == static_cast<DWORD>(-1)) {
      Fail();
      ::TerminateProcess(pi.hProcess, 1);
      ::CloseHandle(pi.hThread);
      ::CloseHandle(pi.hProcess);
      return false;
    }
  }
  info.hProcess = FromHandle(pi.hProcess);
  info.hThread = FromHandle(pi.hThread);
  info.dwProcessId = static_cast<std::int32_t>(pi.dwProcessId);
  info.dwThreadId = static_cast<std::int32_t>(pi.dwThreadId);
  return true;
}

ReadStatus Win32ProcessHost::ReadFile(HostHandle hReadPipe, std::string& sChunk, ReadWait& wait) {
  const HANDLE pipe = ToHandle(hReadPipe);
  // Looked up on every pass: the handlers run during the wait may have created other pipes.
  const auto decoder = [this, hReadPipe]() -> LineChunkDecoder& {
    return decoders_.try_emplace(hReadPipe, consoleCodePage_).first->second;
  };
  for (;;) {
    // What an earlier read brought beyond a chunk's worth comes first.
    if (decoder().Pending()) {
      decoder().Decode({}, sChunk);
      return ReadStatus::Read;
    }
    // A pipe without bytes whose writers are still there would block ReadFile until the
    // command writes again; a failing peek (every writer gone) goes on to the read, which
    // reports the end.
    DWORD available = 0;
    if (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, kWaitSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (!wait.KeepWaiting()) return ReadStatus::Interrupted;
      continue;
    }
    char buffer[kReadSize];
    DWORD read = 0;
    const BOOL ok = ::ReadFile(pipe, buffer, kReadSize, &read, nullptr);
    if (ok) {
      decoder().Decode(std::string_view(buffer, read), sChunk);
      return ReadStatus::Read;
    }
    Fail();
    // The end: what was held back, then (the next read fails again) the end itself.
    decoder().Finish(sChunk);
    return decoder().Pending() ? ReadStatus::Read : ReadStatus::Ended;
  }
}

void Win32ProcessHost::CloseHandle(HostHandle handle) {
  decoders_.erase(handle);
  ::CloseHandle(ToHandle(handle));
}

WaitStatus Win32ProcessHost::WaitForProcess(HostHandle hProcess, std::uint32_t timeoutMs,
                                            ReadWait& wait) {
  // Waits in slices that end early for a window message or the process's end, asking `wait`
  // between them.
  HANDLE process = ToHandle(hProcess);
  const auto ended = [process] { return ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT; };
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (ended()) return WaitStatus::Ended;
    // Unsigned difference: right across the wrap of the tick count.
    if (timeoutMs != kInfinite && ::GetTickCount() - start >= timeoutMs) {
      return WaitStatus::TimedOut;
    }
    ::MsgWaitForMultipleObjectsEx(1, &process, kWaitSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (ended()) return WaitStatus::Ended;
    if (!wait.KeepWaiting()) return WaitStatus::Interrupted;
  }
}

bool Win32ProcessHost::GetExitCodeProcess(HostHandle hProcess, std::uint32_t& exitCode) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(ToHandle(hProcess), &code)) return Fail();
  exitCode = code;
  return true;
}

bool Win32ProcessHost::EndProcessTreeLater(HostHandle hProcess, std::uint32_t graceMs) {
  if (hProcess == kNoHandle) {
    lastError_ = ERROR_INVALID_HANDLE;
    return false;
  }
  stops_.Start([hProcess, graceMs, interrupter = control_.interrupter, hurry = control_.hurry] {
    const auto hurried = [hurry] { return hurry != nullptr && hurry->load(); };
    // Held until the end: the id the console is found by cannot pass to another process.
    const KernelHandle root(ToHandle(hProcess));
    const bool interrupted =
        !hurried() && InterruptConsoleOf(interrupter, ::GetProcessId(root.get()), kInterruptWaitMs);
    Win32ProcessTable table;
    EndProcessTree(table, hProcess, interrupted ? std::max(graceMs, kInterruptGraceMs) : graceMs,
                   kKillWaitMs, 0, hurried);
  });
  return true;
}

void Win32ProcessHost::LetOutliveProgram(HostHandle /*hProcess*/) {
  // The job holds every command of the program; it is ending, so all of them go on.
  if (control_.job != nullptr) control_.job->Release();
}

HostHandle Win32ProcessHost::OpenProcess(std::uint32_t dwDesiredAccess, bool bInheritHandle,
                                         std::int32_t dwProcessId) {
  const HANDLE process = ::OpenProcess(dwDesiredAccess, bInheritHandle ? TRUE : FALSE,
                                       static_cast<DWORD>(dwProcessId));
  if (process == nullptr) Fail();
  return FromHandle(process);
}

bool Win32ProcessHost::TerminateProcess(HostHandle hProcess, std::uint32_t uExitCode) {
  if (!::TerminateProcess(ToHandle(hProcess), uExitCode)) return Fail();
  return true;
}

void Win32ProcessHost::GetVersionEx(OsVersionInfo& info) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
  // The caller's blanks go in as they are (not zero-terminated when it is all 128 of them).
  std::memcpy(version.szCSDVersion, info.szCSDVersion.data(),
              std::min(info.szCSDVersion.size(), sizeof version.szCSDVersion));
  ::GetVersionExA(&version);
  info.dwMajorVersion = static_cast<std::int32_t>(version.dwMajorVersion);
  info.dwMinorVersion = static_cast<std::int32_t>(version.dwMinorVersion);
  info.dwBuildNumber = static_cast<std::int32_t>(version.dwBuildNumber);
  info.dwPlatformId = static_cast<std::int32_t>(version.dwPlatformId);
  const char* csd = version.szCSDVersion;
  info.szCSDVersion = FromNarrow(std::string_view(csd, strnlen(csd, sizeof version.szCSDVersion)));
}

WindowHandle Win32ProcessHost::GetDesktopWindow() { return FromWindow(::GetDesktopWindow()); }

WindowHandle Win32ProcessHost::GetWindow(WindowHandle hWnd, std::uint32_t uCmd) {
  return FromWindow(::GetWindow(ToWindow(hWnd), uCmd));
}

WindowHandle Win32ProcessHost::GetParent(WindowHandle hWnd) {
  return FromWindow(::GetParent(ToWindow(hWnd)));
}

std::uint32_t Win32ProcessHost::GetWindowThreadProcessId(WindowHandle hWnd,
                                                         std::int32_t& lProcessId) {
  DWORD processId = 0;
  const DWORD threadId = ::GetWindowThreadProcessId(ToWindow(hWnd), &processId);
  lProcessId = static_cast<std::int32_t>(processId);
  return threadId;
}

void Win32ProcessHost::PostMessage(WindowHandle hWnd, std::uint32_t uMsg, std::int32_t wParam,
                                   std::int32_t lParam) {
  ::PostMessageA(ToWindow(hWnd), uMsg, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace framora::win32

namespace framora {

std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield, BackgroundStops* stops) {
  // One job for every command of the program, for as long as the program runs: a stop goes on
  // after the window that started it is gone (see win32_command_job.h). The program itself
  // sends a command's console its Ctrl+C (batch::RunProgramCommandLine answers that).
  static win32::CommandJob commands;
  return std::make_unique<win32::Win32ProcessHost>(
      yield, stops, win32::CommandControl{&commands, win32::ProgramPath()});
}

}  // namespace framora
