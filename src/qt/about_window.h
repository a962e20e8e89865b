// frmAbout, the About box, built from its description; its texts and actions live in the core
// (info/about.h, info/sys_info.h).
#pragma once

#include "app/app_context.h"
#include "qt/framora_window.h"

namespace framora::qt {

class AboutWindow : public FramoraWindow {
  Q_OBJECT
 public:
  AboutWindow(AppContext& ctx, WindowRegistry* registry);
  void Load() override;
};

}  // namespace framora::qt
