#include "qt/about_window.h"

#include <QPushButton>

#include "info/about.h"
#include "info/about_form.h"
#include "info/sys_info.h"
#include "qt/click_label.h"

namespace framora::qt {

using namespace about_form;

AboutWindow::AboutWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(about_form::Form(), registry) {
  Build();
  connect(Control<QPushButton>(cmdOK), &QPushButton::clicked, this, &QWidget::close);
  connect(Control<QPushButton>(cmdSysInfo), &QPushButton::clicked, this,
          [&ctx] { StartSysInfo(*ctx.registry, *ctx.files, *ctx.desktop, *ctx.messages); });
  auto* link = Control<ClickLabel>(Label1);
  link->setCursor(Qt::PointingHandCursor);
  connect(link, &ClickLabel::clicked, this, [&ctx] { OpenHomePage(*ctx.desktop); });
}

void AboutWindow::Load() { LoadAbout(*this); }

}  // namespace framora::qt
