// frmAbout, the About box: program title, version and description, a link to the maker's home
// page and a button that starts the system-information tool. The texts and the actions live
// in the core (info/about.h, info/sys_info.h).
#pragma once

#include "app/app_context.h"
#include "qt/framora_window.h"

class QLabel;
class QPushButton;

namespace framora::qt {

class AboutWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit AboutWindow(AppContext& ctx);

  void Load() override;

 protected:
  // Enter and Esc anywhere in the box act on cmdOK, as for a default and cancel button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  AppContext& ctx_;
  QPushButton* cmdOK_ = nullptr;
};

}  // namespace framora::qt
