// The message box and the shared file dialog, as the system's own modal boxes.
#pragma once

#include <string>

#include "app/ports.h"

namespace framora::win32 {

// MessageBoxA with one OK button, owned by the active window of the program; every other window
// of the program is disabled while it is shown. Without a title of its own it shows the
// program title.
class Win32MessageBox : public MessageBoxPort {
 public:
  void ShowMessage(const std::string& prompt, MessageIcon icon, const std::string& title) override;
};

// GetOpenFileNameA / GetSaveFileNameA. The dialog's own flags stay at their defaults.
class Win32FileDialog : public FileDialogPort {
 public:
  std::optional<FileDialogChoice> Run(const FileDialogRequest& request) override;
};

// "description|pattern|..." as the dialog wants it: every part ended by a zero, the list by a
// second zero. A description without a pattern lists every file.
std::string CommonDialogFilter(const std::string& filter);

}  // namespace framora::win32
