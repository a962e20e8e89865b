#include "platform/win32/win32_console_interrupt.h"

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <shellapi.h>

#include <cwchar>

#include "app/text.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {

// What the copy started with kInterruptOption does.
int SendCtrlC(DWORD processId) {
  ::FreeConsole();  // a console program has one of its own; the event is for the command's
  if (!::AttachConsole(processId)) return 2;
  // We are on the command's console now and get the event too: it must not end us first.
  ::SetConsoleCtrlHandler(nullptr, TRUE);
  // Ctrl+C and not Ctrl+Break: FFmpeg takes both, but a Ctrl+Break cannot be ignored and
  // ended this copy under Wine before it returned. Group 0: every process on that console.
  const BOOL sent = ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  ::FreeConsole();
  return sent ? 0 : 3;
}

}  // namespace

std::optional<int> RunInterruptOption(const wchar_t* commandLine) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(commandLine, &argc);
  if (argv == nullptr) return std::nullopt;
  std::optional<int> result;
  if (argc == 3 && std::wcscmp(argv[1], kInterruptOption) == 0) {
    // Only an id: "-1" or an overflow would be ATTACH_PARENT_PROCESS, the console of whoever
    // started this copy.
    const std::optional<std::uint32_t> id = ParseProcessId(FromWide(argv[2]));
    result = id ? SendCtrlC(*id) : 1;
  }
  ::LocalFree(argv);
  return result;
}

bool InterruptConsoleOf(const std::wstring& interrupter, std::uint32_t processId,
                        std::uint32_t timeoutMs) {
  if (interrupter.empty() || processId == 0) return false;
  std::wstring line =
      L"\"" + interrupter + L"\" " + kInterruptOption + L" " + std::to_wstring(processId);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // No console of its own: it attaches to the command's.
  if (!::CreateProcessW(interrupter.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &info)) {
    return false;
  }
  const KernelHandle process(info.hProcess);
  const KernelHandle thread(info.hThread);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return false;
  }
  DWORD code = 1;
  return ::GetExitCodeProcess(process.get(), &code) && code == 0;
}

}  // namespace framora::win32
