// frmDonate, the donation window: the appeal text and the DONATE NOW picture, whose click
// opens the donation page. Nothing else in it reacts.
#pragma once

#include "app/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class DonateWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit DonateWindow(AppContext& ctx);

 private:
  AppContext& ctx_;
};

}  // namespace framora::qt
