// Placeholder until the window is built.
#pragma once

#include "qt/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class DonateWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit DonateWindow(AppContext& ctx) : ctx_(ctx) { setObjectName("frmDonate"); }

 private:
  AppContext& ctx_;
};

}  // namespace framora::qt
