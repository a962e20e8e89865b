#include "qt/donate_window.h"

#include <QLabel>
#include <algorithm>

#include "info/donate_form.h"

namespace framora::qt {

using namespace donate_form;

DonateWindow::DonateWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(donate_form::Form(), registry), logic_({*ctx.desktop}) {
  Build(TargetOf(logic_));
  // The substitute fonts run a little taller than the classic one: rather than cut off the
  // last line, the appeal grows down towards the picture, never onto it.
  auto* appeal = Control<QLabel>(Label1);
  const QWidget* picture = Widget(Image1);
  const int room = picture->y() - appeal->y() - 2;
  const int needed = appeal->heightForWidth(appeal->width());
  if (needed > appeal->height()) appeal->resize(appeal->width(), std::min(needed, room));
}

}  // namespace framora::qt
