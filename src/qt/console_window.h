// frmReadOutput, the console window, built from its description, whose rows wire its controls
// to the console logic (which owns the pane's text and the runner ReadOutput1); what is Qt's own
// here is the output pane's view of that text.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_core.h"
#include "console/pane_model.h"
#include "qt/framora_window.h"

namespace framora::qt {

class ConsolePaneView;

class ConsoleWindow : public FramoraWindow, private console::ConsoleView {
  Q_OBJECT
 public:
  ConsoleWindow(AppContext& ctx, WindowRegistry* registry);
  ~ConsoleWindow() override;

  void Load() override;

  WindowView& View() override { return core_.View(); }
  // A text box shows the beginning of a text written into it, not its end.
  void SetText(ControlId control, const std::string& text) override;

  console::ConsoleLogic& Logic() { return core_.Logic(); }
  // Brings the pane on screen up to date now instead of at the next frame.
  void FlushPane();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowModeless() override;
  void CloseWindow() override;
  void PaneChanged() override;

  void SetPaneTextColor(std::uint32_t color);

  console::ConsoleCore core_;
  console::PaneModel paneModel_;  // the view draws what it says
  ConsolePaneView* rtfOutput_ = nullptr;
  QTimer paneTimer_;
  std::uint32_t shownColor_ = 0;
};

}  // namespace framora::qt
