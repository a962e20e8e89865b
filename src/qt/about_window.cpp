#include "qt/about_window.h"

#include "info/about_form.h"

namespace framora::qt {

AboutWindow::AboutWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(about_form::Form(), registry),
      logic_(*this, *this, {*ctx.registry, *ctx.files, *ctx.desktop, *ctx.messages}) {
  Build(TargetOf(logic_));
}

}  // namespace framora::qt
