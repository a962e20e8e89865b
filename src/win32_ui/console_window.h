// frmReadOutput, the console window, built from its description, whose rows wire its controls
// to the console logic (which owns the pane's text and the runner ReadOutput1); what is the
// Win32 front-end's own here is the output pane, a RichEdit that shows the logic's text.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_core.h"
#include "console/pane_model.h"
#include "win32_ui/win32_window.h"

namespace framora::win32 {

class ConsoleWindow : public Win32Window, private console::ConsoleView {
 public:
  ConsoleWindow(AppContext& ctx, WindowRegistry* registry);
  ~ConsoleWindow() override;

  // The pane's text is the logic's; the window stays while a run of its own is on the stack.
  WindowView& View() override { return core_.View(); }
  console::ConsoleLogic& Logic() { return core_.Logic(); }
  void Load() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Close() override;

 private:
  void ShowModeless() override;
  void CloseWindow() override;
  void PaneChanged() override;

  // Brings the RichEdit up to date with the pane: the model's edits, colour, selection.
  void FlushPane();

  std::uint32_t shownColor_ = 0;
  bool colorShown_ = false;
  bool flushPending_ = false;
  console::ConsoleCore core_;
  console::PaneModel paneModel_;
};

}  // namespace framora::win32
