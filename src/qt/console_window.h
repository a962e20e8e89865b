// Placeholder until the window is built.
#pragma once

#include "qt/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class ConsoleWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit ConsoleWindow(AppContext& ctx) : ctx_(ctx) { setObjectName("frmReadOutput"); }

 private:
  AppContext& ctx_;
};

}  // namespace framora::qt
