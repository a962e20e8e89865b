// Placeholder until the window is built.
#pragma once

#include "qt/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class AboutWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit AboutWindow(AppContext& ctx) : ctx_(ctx) { setObjectName("frmAbout"); }

 private:
  AppContext& ctx_;
};

}  // namespace framora::qt
