#include "console/console_core.h"

#include "console/console_form.h"
#include "runner/process_host.h"

namespace framora::console {

ConsoleCore::ConsoleCore(WindowView& controls, ConsoleView& window, const AppContext& ctx)
    : host_(ctx.makeProcessHost()),
      logic_(std::make_unique<ConsoleLogic>(controls, window,
                                            ConsolePorts{*ctx.messages,
                                                         *host_,
                                                         ctx.programFolder,
                                                         ctx.taskbar,
                                                         {},
                                                         ctx.desk,
                                                         ctx.modal,
                                                         ctx.desktop})),
      view_(controls, *logic_) {}

std::string ConsoleCore::PaneView::Text(ControlId control) const {
  if (control == console_form::rtfOutput) return logic_.Pane().Text();
  return controls_.Text(control);
}

void ConsoleCore::PaneView::SetText(ControlId control, const std::string& text) {
  if (control == console_form::rtfOutput) {
    logic_.Pane().Replace(text);
  } else {
    controls_.SetText(control, text);
  }
}

}  // namespace framora::console
