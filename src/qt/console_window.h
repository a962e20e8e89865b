// frmReadOutput, the console window, built from its description: the output pane (a view of
// the logic's text) is its own, and every action goes to the console logic, which owns the
// pane's text and the runner ReadOutput1.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_logic.h"
#include "qt/framora_window.h"

namespace framora::qt {

class ConsolePaneView;

class ConsoleWindow : public FramoraWindow, private console::ConsoleView {
  Q_OBJECT
 public:
  ConsoleWindow(AppContext& ctx, WindowRegistry* registry);
  ~ConsoleWindow() override;

  void Load() override;
  bool CanDestroyNow() override;

  // The pane's text is the logic's string (CR LF line breaks).
  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;

  console::ConsoleLogic& Logic() { return *logic_; }
  // Brings the pane on screen up to date now instead of at the next frame.
  void FlushPane();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowModeless() override;
  void CloseWindow() override;
  void PaneChanged() override;

  // Runs a handler that may start a run; a window closed meanwhile goes once it has returned.
  template <typename F>
  auto RunHandler(F&& handler);
  void SetPaneTextColor(std::uint32_t color);

  // The runner's process host must outlive the logic that holds the runner.
  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<console::ConsoleLogic> logic_;
  ConsolePaneView* rtfOutput_ = nullptr;
  QTimer paneTimer_;
  std::uint32_t shownColor_ = 0;
};

}  // namespace framora::qt
