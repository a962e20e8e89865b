// The program: owns the adapters and the windows, and shows the main window at start.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "app/window_registry.h"
#include "qt/framora_window.h"

namespace framora::qt {

class Application {
 public:
  // Ports that replace the real ones, for tests that drive the whole program without
  // modal boxes or a browser.
  struct Overrides {
    MessageBoxPort* messages = nullptr;
    FileDialogPort* fileDialog = nullptr;
    DesktopPort* desktop = nullptr;
    ModalPort* modal = nullptr;
  };
  Application();
  explicit Application(Overrides overrides);
  ~Application();
  void Start();
  AppContext& Context() { return ctx_; }
  WindowRegistry& Windows() { return *windows_; }
  // The window if it is loaded.
  FramoraWindow* Window(WindowId id) const;

 private:
  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  AppContext ctx_;
  std::unique_ptr<WindowRegistry> windows_;
};

// The registry's front-end part for Qt windows; `make` builds the four windows. Closed windows
// are destroyed from the event loop.
WindowRegistry::FrontEnd QtFrontEnd(std::function<FramoraWindow*(WindowId)> make);

}  // namespace framora::qt
