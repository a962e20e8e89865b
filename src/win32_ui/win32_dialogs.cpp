#include "win32_ui/win32_dialogs.h"

#include "win32_ui/win32_api.h"

// Needs <windows.h> first.
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/identity.h"
#include "app/text.h"

namespace framora::win32 {

namespace {
// Room for the chosen path in the narrow code page (a UTF-8 path may take 3 bytes a character).
constexpr std::size_t kFileBufferSize = 4 * MAX_PATH;
// However many files are chosen, the buffer for their names grows no further.
constexpr std::size_t kMostBuffer = std::size_t{64} << 20;
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

std::vector<std::string> ChosenFiles(std::string_view buffer, std::size_t fileOffset) {
  // One file: its full path; the offset points at its name within it.
  if (fileOffset == 0 || fileOffset > buffer.size() || buffer[fileOffset - 1] != '\0') {
    const std::size_t end = buffer.find('\0');
    if (end == std::string_view::npos) return {};
    return {FromNarrow(buffer.substr(0, end))};
  }
  // The folder in UTF-8 first: in a double-byte code page a '\\' byte may be half a character.
  std::string folder = FromNarrow(buffer.substr(0, fileOffset - 1));
  if (!folder.ends_with('\\')) folder += '\\';  // a drive's root has its own
  std::vector<std::string> files;
  for (std::size_t from = fileOffset;; ++from) {
    const std::size_t end = buffer.find('\0', from);
    if (end == std::string_view::npos) return {};  // cut short: the list's end is missing
    if (end == from) return files;
    files.push_back(folder + FromNarrow(buffer.substr(from, end - from)));
    from = end;
  }
}

std::optional<FileDialogChoice> Win32FileDialog::Run(const FileDialogRequest& request) {
  const std::string filter = ToNarrow(CommonDialogFilter(request.filter));
  const std::string defaultExt = ToNarrow(request.defaultExt);
  const std::string title = ToNarrow(request.dialogTitle);
  const std::string initial = ToNarrow(request.fileName);
  const bool several = request.multiSelect && request.kind == FileDialogKind::Open;
  std::size_t size = several ? filesBuffer_ : kFileBufferSize;
  for (;;) {
    // What the dialog leaves unwritten is no zero, so that a list it cut short (before a
    // character that did not fit) does not look ended.
    std::vector<char> file(std::max(size, initial.size() + 2), several ? '\x7F' : '\0');
    std::copy(initial.begin(), initial.end(), file.begin());
    file[initial.size()] = '\0';

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
    if (several) ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    const BOOL chosen =
        request.kind == FileDialogKind::Save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    std::size_t needed = 0;
    if (chosen) {
      FileDialogChoice choice{{}, static_cast<int>(ofn.nFilterIndex), {}};
      choice.fileNames = several ? ChosenFiles({file.data(), file.size()}, ofn.nFileOffset)
                                 : std::vector<std::string>{FromNarrow(file.data())};
      if (!choice.fileNames.empty()) {
        choice.fileName = choice.fileNames.front();
        return choice;
      }
      // Some dialogs cut a long list short instead of saying that it does not fit.
    } else if (several && ::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
      // As much room as its first two bytes say, as far as two bytes go.
      needed = static_cast<unsigned char>(file[0]) |
               static_cast<std::size_t>(static_cast<unsigned char>(file[1])) << 8;
    } else {
      return std::nullopt;
    }
    // More files than the buffer holds: the dialog comes again, with room for them.
    if (size >= kMostBuffer) return std::nullopt;
    size = std::min(std::max(needed + 1, 2 * size), kMostBuffer);
  }
}

}  // namespace framora::win32
