// Form1, the main window: four path fields with their choosers, the convert picture and the
// File menu. Every action goes to the core's MainWindow.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "platform/win32/win32_desktop.h"

// Needs <windows.h> first.
#include <shellapi.h>
#include "win32/win32_window.h"

namespace framora {
class MainWindow;
}

namespace framora::win32 {

class MainWindow : public Win32Window {
 public:
  explicit MainWindow(AppContext& ctx);
  ~MainWindow() override;

  void Load() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Files dropped from Explorer: on the field below the drop point, or beside the fields.
  void FilesDropped(HDROP drop);
  static LRESULT CALLBACK Text4Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);

  AppContext& ctx_;
  Win32Desktop desktop_;
  HBITMAP picture_ = nullptr;
  std::unique_ptr<framora::MainWindow> logic_;
};

}  // namespace framora::win32
