// Form1, the main window, built from its description, whose rows wire its controls and menu to
// the core's MainWindowLogic; what is the Win32 front-end's own here is taking files dropped
// from Explorer.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "win32_ui/win32_desktop.h"
#include "win32_ui/win32_window.h"

// Needs <windows.h> first.
#include <shellapi.h>

namespace framora {
class MainWindowLogic;
}

namespace framora::win32 {

class Win32MainWindow : public Win32Window {
 public:
  Win32MainWindow(AppContext& ctx, WindowRegistry* registry);
  ~Win32MainWindow() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Files dropped from Explorer: on the field below the drop point, or beside the fields.
  void FilesDropped(HDROP drop);

  Win32Desktop desktop_;
  std::unique_ptr<framora::MainWindowLogic> logic_;
};

}  // namespace framora::win32
