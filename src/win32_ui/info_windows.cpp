#include "win32_ui/info_windows.h"

#include "info/about_form.h"
#include "info/donate_form.h"

namespace framora::win32 {

AboutWindow::AboutWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(about_form::Form(), registry),
      desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}),
      logic_(*this, *this, {*ctx.registry, *ctx.files, desktop_, *ctx.messages}) {
  Build(TargetOf(logic_));
  desktop_.SetOwner(Handle());
  // A box opens with the focus on its first control.
  SetFocus(FocusOrder(Form()).front()->id);
}

DonateWindow::DonateWindow(AppContext& /*ctx*/, WindowRegistry* registry)
    : Win32Window(donate_form::Form(), registry),
      desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}),
      logic_({desktop_}) {
  Build(TargetOf(logic_));
  desktop_.SetOwner(Handle());
}

}  // namespace framora::win32
