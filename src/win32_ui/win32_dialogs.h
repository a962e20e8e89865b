// The message box and the shared file dialog, as the system's own modal boxes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/ports.h"
#include "win32_ui/win32_api.h"

namespace framora::win32 {

// The program's other windows, disabled while a box is shown: a box holds off only its owner,
// and the main window would otherwise take clicks beside a box of the console. Every visible
// window of the thread but `spared` is disabled, and enabled again at the end.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND spared);
  ~OtherWindowsDisabled();
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self);

  HWND spared_;
  std::vector<HWND> disabled_;
};

// MessageBoxA with one OK button, owned by the active window of the program; every other window
// of the program is disabled while it is shown. Without a title of its own it shows the
// program title.
class Win32MessageBox : public MessageBoxPort {
 public:
  void ShowMessage(const std::string& prompt, MessageIcon icon, const std::string& title) override;
};

// GetOpenFileNameA / GetSaveFileNameA. The dialog's own flags stay at their defaults, but for an
// open dialog that takes several files (OFN_ALLOWMULTISELECT | OFN_EXPLORER).
class Win32FileDialog : public FileDialogPort {
 public:
  // Room for 200 songs of long names: the folder, then each name, in the narrow code page.
  static constexpr std::size_t kFilesBuffer = 200 * 4 * 260;
  // `filesBuffer`: the bytes first given to a dialog of several files; more come when they do
  // not do.
  explicit Win32FileDialog(std::size_t filesBuffer = kFilesBuffer) : filesBuffer_(filesBuffer) {}
  std::optional<FileDialogChoice> Run(const FileDialogRequest& request) override;

 private:
  std::size_t filesBuffer_;
};

// The files a dialog of several files wrote into its buffer, full paths in UTF-8: at
// `fileOffset` the name of one file within its full path, or, after the folder and its zero,
// the names chosen in that folder, each ended by a zero and the list by a second zero. None
// when the buffer ends before they do.
std::vector<std::string> ChosenFiles(std::string_view buffer, std::size_t fileOffset);

// "description|pattern|..." as the dialog wants it: every part ended by a zero, the list by a
// second zero. A description without a pattern lists every file.
std::string CommonDialogFilter(const std::string& filter);

}  // namespace framora::win32
