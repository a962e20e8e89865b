// frmAbout, the About box, built from its description, whose rows wire its controls to the
// core's AboutLogic.
#pragma once

#include "app/app_context.h"
#include "info/about.h"
#include "qt/framora_window.h"

namespace framora::qt {

class AboutWindow : public FramoraWindow {
  Q_OBJECT
 public:
  AboutWindow(AppContext& ctx, WindowRegistry* registry);

 private:
  AboutLogic logic_;
};

}  // namespace framora::qt
