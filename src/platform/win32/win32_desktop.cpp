#include "platform/win32/win32_desktop.h"

#include <shellapi.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

void Win32Desktop::OpenUrl(const std::string& url) {
  const char* none = shellOpen_.emptyTextArguments ? "" : nullptr;
  ::ShellExecuteA(shellOpen_.owner, shellOpen_.verb, ToNarrow(url).c_str(), none, none,
                  SW_SHOWNORMAL);
}

bool Win32Desktop::StartProgram(const std::string& path, int showState) {
  if (path.empty()) return false;
  const std::string application = ToNarrow(path);
  // The program's own path as its first argument, quoted so that blanks in it do not split it.
  std::string commandLine = "\"" + application + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showState);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    return false;
  }
  // Started and left alone: the handles are not needed.
  KernelHandle(process.hThread).reset();
  KernelHandle(process.hProcess).reset();
  return true;
}

}  // namespace framora::win32
