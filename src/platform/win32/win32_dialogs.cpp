#include "platform/win32/win32_dialogs.h"

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/identity.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {
// Room for the chosen path in the narrow code page (a UTF-8 path may take 3 bytes a character).
constexpr std::size_t kFileBufferSize = 4 * MAX_PATH;
}  // namespace

OtherWindowsDisabled::OtherWindowsDisabled(HWND spared) : spared_(spared) {
  ::EnumThreadWindows(::GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
}

OtherWindowsDisabled::~OtherWindowsDisabled() {
  for (HWND window : disabled_) {
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  }
}

BOOL CALLBACK OtherWindowsDisabled::Disable(HWND window, LPARAM self) {
  auto* that = reinterpret_cast<OtherWindowsDisabled*>(self);
  if (window != that->spared_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    ::EnableWindow(window, FALSE);
    that->disabled_.push_back(window);
  }
  return TRUE;
}

void Win32MessageBox::ShowMessage(const std::string& prompt, MessageIcon icon,
                                  const std::string& title) {
  const HWND owner = ::GetActiveWindow();
  UINT type = MB_OK;
  if (icon == MessageIcon::Critical) type |= MB_ICONSTOP;
  // Without an owner the box still has to hold off every window of the program.
  if (owner == nullptr) type |= MB_TASKMODAL;
  // The owner is the box's own business: it disables it and enables it again.
  const OtherWindowsDisabled others(owner);
  ::MessageBoxA(owner, ToNarrow(prompt).c_str(),
                ToNarrow(title.empty() ? std::string(identity::kTitle) : title).c_str(), type);
}

std::string CommonDialogFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (parts.size() % 2 != 0) parts.emplace_back();
  std::string out;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    out += parts[i];
    out += '\0';
    out += parts[i + 1].empty() ? std::string("*.*") : parts[i + 1];
    out += '\0';
  }
  out += '\0';
  return out;
}

std::optional<FileDialogChoice> Win32FileDialog::Run(const FileDialogRequest& request) {
  const std::string filter = ToNarrow(CommonDialogFilter(request.filter));
  const std::string defaultExt = ToNarrow(request.defaultExt);
  const std::string title = ToNarrow(request.dialogTitle);
  std::vector<char> file(kFileBufferSize, '\0');
  const std::string initial = ToNarrow(request.fileName);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ::GetActiveWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // An empty default extension adds none.
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  const BOOL chosen =
      request.kind == FileDialogKind::Save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
  if (!chosen) return std::nullopt;
  return FileDialogChoice{FromNarrow(file.data()), static_cast<int>(ofn.nFilterIndex), {}};
}

}  // namespace framora::win32
