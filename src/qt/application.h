// The program: owns the adapters and the windows, and shows the main window at start.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "qt/window_manager.h"

namespace framora::qt {

class Application {
 public:
  // Ports that replace the real ones, for tests that drive the whole program without
  // modal boxes or a browser.
  struct Overrides {
    MessageBoxPort* messages = nullptr;
    FileDialogPort* fileDialog = nullptr;
    DesktopPort* desktop = nullptr;
  };
  Application();
  explicit Application(Overrides overrides);
  ~Application();
  void Start();
  AppContext& Context() { return ctx_; }
  QtWindowManager& Windows() { return *windows_; }

 private:
  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  AppContext ctx_;
  std::unique_ptr<QtWindowManager> windows_;
};

}  // namespace framora::qt
