// What the console window of either front-end holds besides its controls: the logic, and the
// process host of its runner, made for this window and outliving the logic that holds the
// runner. The pane's text is the logic's, whatever the front-end shows of it.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_logic.h"

namespace framora::console {

class ConsoleCore {
 public:
  // `controls` gives the window's text boxes, `window` the rest of what the logic needs.
  ConsoleCore(WindowView& controls, ConsoleView& window, const AppContext& ctx);

  ConsoleLogic& Logic() { return *logic_; }

  // The window as the program's other windows see it: the front-end's controls, but for the
  // pane, whose text is the logic's string (CR LF line breaks).
  WindowView& View() { return view_; }

 private:
  class PaneView : public WindowView {
   public:
    PaneView(WindowView& controls, ConsoleLogic& logic) : controls_(controls), logic_(logic) {}
    std::string Text(ControlId control) const override;
    void SetText(ControlId control, const std::string& text) override;
    void SetFocus(ControlId control) override { controls_.SetFocus(control); }

   private:
    WindowView& controls_;
    ConsoleLogic& logic_;
  };

  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<ConsoleLogic> logic_;
  PaneView view_;
};

}  // namespace framora::console
