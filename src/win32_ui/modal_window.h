// A window of a description shown modally (the ModalPort of the native front-end): built and
// wired as every window, owned by the active window, which with every other window of the
// program takes no input until it has closed; its own message loop runs meanwhile.
#pragma once

#include <optional>

#include "app/windows.h"
#include "win32_ui/win32_dialogs.h"
#include "win32_ui/win32_window.h"

namespace framora::win32 {

class ModalWindow : public Win32Window {
 public:
  // Builds the window from `form` with the logic `make` gives; `owner` is the window it stands
  // over (none: the middle of the screen).
  ModalWindow(const FormDesign& form, const ModalPort::MakeLogic& make, HWND owner);

  // Runs its load steps, shows it and handles the thread's messages until it has closed: by its
  // logic, its close box, or the end of the program (WM_QUIT, which is put back for the loops
  // below). Then it is closed in any case.
  void Exec();

 protected:
  // The other windows take input again before it hides, so that its owner comes to the front.
  void Close() override;

 private:
  HWND owner_;
  std::optional<OtherWindowsDisabled> others_;
};

class Win32Modal : public ModalPort {
 public:
  void RunModal(const FormDesign& form, const MakeLogic& make) override;
};

}  // namespace framora::win32
