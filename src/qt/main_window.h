// Form1, the main window, built from its description: the behaviour of its controls, menu and
// drops goes to the core's MainWindow.
#pragma once

#include <memory>
#include <string_view>

#include "app/app_context.h"
#include "qt/framora_window.h"

namespace framora {
class MainWindow;
}

namespace framora::qt {

class MainWindow : public FramoraWindow {
  Q_OBJECT
 public:
  MainWindow(AppContext& ctx, WindowRegistry* registry);
  ~MainWindow() override;

  void Load() override;
  framora::MainWindow& Logic() { return *logic_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Files dropped anywhere on the window but the four fields.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Takes a drag of files (a list of addresses) on `control`; anything else is not ours.
  bool TakeDrop(QEvent* event, ControlId control);

  std::unique_ptr<framora::MainWindow> logic_;
};

}  // namespace framora::qt
