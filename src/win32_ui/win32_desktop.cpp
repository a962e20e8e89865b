#include "win32_ui/win32_desktop.h"

#include <shellapi.h>

#include "app/text.h"

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
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

bool Win32Desktop::ShowFolder(const std::string& folder, const std::string& selected) {
  const std::string& shown = selected.empty() ? folder : selected;
  // No Windows name holds a double quote; one would end the quoted name early.
  if (shown.empty() || shown.find('"') != std::string::npos) return false;
  wchar_t windows[MAX_PATH + 1] = {};
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return false;
  // Explorer reads its command line its own way: "/select," and a quoted file picks the file
  // out in its folder; a quoted folder alone is opened. No shell reads it, so blanks, '&' and
  // the like are only text.
  const std::wstring program = std::wstring(windows, length) + L"\\explorer.exe";
  const std::wstring arguments = (selected.empty() ? L"\"" : L"/select,\"") + ToWide(shown) + L"\"";
  const auto started = ::ShellExecuteW(shellOpen_.owner, nullptr, program.c_str(),
                                       arguments.c_str(), nullptr, SW_SHOWNORMAL);
  // Greater than 32 is success, as the function has always said it.
  return reinterpret_cast<INT_PTR>(started) > 32;
}

}  // namespace framora::win32
