// Form1, the main window, built from its description, whose rows wire its controls and menu to
// the core's MainWindowLogic; what is Qt's own here is taking files dropped on it.
#pragma once

#include <memory>
#include <string_view>

#include "app/app_context.h"
#include "qt/framora_window.h"

namespace framora {
class MainWindowLogic;
}

namespace framora::qt {

class QtMainWindow : public FramoraWindow {
  Q_OBJECT
 public:
  QtMainWindow(AppContext& ctx, WindowRegistry* registry);
  ~QtMainWindow() override;

  framora::MainWindowLogic& Logic() { return *logic_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Files dropped anywhere on the window but the four fields.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Takes a drag of files (a list of addresses) on `control`; anything else is not ours.
  bool TakeDrop(QEvent* event, ControlId control);

  std::unique_ptr<framora::MainWindowLogic> logic_;
};

}  // namespace framora::qt
