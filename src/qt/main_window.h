// Placeholder until the window is built.
#pragma once

#include "qt/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class MainWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit MainWindow(AppContext& ctx) : ctx_(ctx) { setObjectName("Form1"); }

 private:
  AppContext& ctx_;
};

}  // namespace framora::qt
