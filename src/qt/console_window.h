// frmReadOutput: the console window. Draws the controls and the output pane and forwards the
// user's actions to the console logic, which owns the pane's text and the runner ReadOutput1.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_logic.h"
#include "qt/framora_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace framora::qt {

class ConsolePaneView;

class ConsoleWindow : public FramoraWindow, private console::ConsoleView {
  Q_OBJECT
 public:
  explicit ConsoleWindow(AppContext& ctx);
  ~ConsoleWindow() override;

  void Load() override;

  // The pane's text is the logic's string (CR LF line breaks).
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;

  console::ConsoleLogic& Logic() { return *logic_; }
  // Brings the pane on screen up to date now instead of at the next frame.
  void FlushPane();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool CanDestroyNow() override;
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
  QLineEdit* txtCommand_ = nullptr;
  QPushButton* cmdExecute_ = nullptr;
  QLabel* lblInfo_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  ConsolePaneView* rtfOutput_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QTimer paneTimer_;
  std::uint32_t shownColor_ = 0;
};

}  // namespace framora::qt
