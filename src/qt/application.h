// The program: owns the adapters and the windows, and shows the main window at start.
#pragma once

#include <memory>

#include "qt/app_context.h"
#include "qt/window_manager.h"

namespace framora::qt {

class Application {
 public:
  Application();
  ~Application();
  void Start();
  AppContext& Context() { return ctx_; }

 private:
  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  AppContext ctx_;
  std::unique_ptr<QtWindowManager> windows_;
};

}  // namespace framora::qt
