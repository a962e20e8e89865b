// The program: owns the adapters and the windows, shows the main window at start and runs the
// message loop until the last window has closed or Exit was chosen.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "app/window_registry.h"
#include "win32_ui/win32_api.h"
#include "win32_ui/win32_window.h"

namespace framora::win32 {

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Shows Form1 and handles messages until the program ends; returns the exit code.
  int Run();

 private:
  // The keyboard navigation of the program's window that the message is for.
  bool PreTranslate(MSG& msg);

  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  AppContext ctx_;
  std::unique_ptr<WindowRegistry> windows_;
};

}  // namespace framora::win32
