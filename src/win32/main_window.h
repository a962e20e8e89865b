// Form1, the main window, built from its description: the behaviour of its controls, menu and
// drops goes to the core's MainWindow.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "platform/win32/win32_desktop.h"
#include "win32/win32_window.h"

// Needs <windows.h> first.
#include <shellapi.h>

namespace framora {
class MainWindowLogic;
}

namespace framora::win32 {

class MainWindow : public Win32Window {
 public:
  MainWindow(AppContext& ctx, WindowRegistry* registry);
  ~MainWindow() override;

  void Load() override;

 protected:
  void Command(int number, int code) override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Files dropped from Explorer: on the field below the drop point, or beside the fields.
  void FilesDropped(HDROP drop);
  static LRESULT CALLBACK Text4Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);

  Win32Desktop desktop_;
  std::unique_ptr<framora::MainWindowLogic> logic_;
};

}  // namespace framora::win32
