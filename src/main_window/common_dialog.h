// CommonDialog1: the one file dialog that the four choosers share. Its properties live as
// long as the main window, so whatever one chooser leaves behind the next one sees.
#pragma once

#include <string>
#include <vector>

#include "app/ports.h"

namespace framora {

class CommonDialog {
 public:
  explicit CommonDialog(FileDialogPort& port) : port_(port) {}

  std::string FileName;
  std::string Filter;
  std::string DefaultExt;
  std::string DialogTitle;
  // The entry of Filter that was selected when the dialog was last left with OK (1 is the
  // first); the dialog always opens on the first.
  int FilterIndex = 1;
  // Lets the open dialog take several files; after OK FileNames holds every file chosen (and
  // FileName the first), after Cancel it is empty.
  bool MultiSelect = false;
  std::vector<std::string> FileNames;

  // Modal; after OK FileName holds the chosen full path, after Cancel it and FilterIndex are
  // unchanged.
  void ShowOpen() { Show(FileDialogKind::Open); }
  void ShowSave() { Show(FileDialogKind::Save); }

 private:
  void Show(FileDialogKind kind);
  FileDialogPort& port_;
};

}  // namespace framora
