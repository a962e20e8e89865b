// The program's task-bar button on Windows 7 and later: ITaskbarList3 on the main window,
// made once the shell has said that the button exists (its registered "TaskbarButtonCreated"
// message, made again when the shell starts anew). Every failure is silent: older Windows and
// Wine may have no such button.
#pragma once

#include "win32_ui/win32_api.h"

// Needs <windows.h> first.
#include <shobjidl.h>

#include <functional>

#include "app/ports.h"

namespace framora::win32 {

class Win32TaskbarProgress : public TaskbarProgressPort {
 public:
  // Makes the interface, initialised, with a reference for the caller; null when it cannot.
  using Factory = std::function<ITaskbarList3*()>;

  Win32TaskbarProgress();  // the shell's own, through COM
  explicit Win32TaskbarProgress(Factory factory);
  ~Win32TaskbarProgress() override;
  Win32TaskbarProgress(const Win32TaskbarProgress&) = delete;
  Win32TaskbarProgress& operator=(const Win32TaskbarProgress&) = delete;

  // The window whose button shows the progress; from now on its messages are watched for the
  // shell's, until the window goes.
  void Attach(HWND window);

  void ShowProgress(double fraction) override;
  void ClearProgress() override;

  // The message the shell sends a window once its button exists.
  static UINT ButtonCreatedMessage();

 private:
  static LRESULT CALLBACK WatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);
  void ButtonCreated();
  void Release();

  Factory factory_;
  HWND window_ = nullptr;
  ITaskbarList3* list_ = nullptr;
  bool shown_ = false;
};

}  // namespace framora::win32
