// frmDonate, the donation window, built from its description: the DONATE NOW picture opens
// the donation page; nothing else in it reacts.
#pragma once

#include "app/app_context.h"
#include "info/donate.h"
#include "qt/framora_window.h"

namespace framora::qt {

class DonateWindow : public FramoraWindow {
  Q_OBJECT
 public:
  DonateWindow(AppContext& ctx, WindowRegistry* registry);

 private:
  DonateLogic logic_;
};

}  // namespace framora::qt
