// Form1, the main window: four path fields with their choosers, the convert picture and the
// File menu. Every action goes to the core's MainWindow.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "qt/framora_window.h"

class QMenuBar;

namespace framora {
class MainWindow;
}

namespace framora::qt {

class MainWindow : public FramoraWindow {
  Q_OBJECT
 public:
  explicit MainWindow(AppContext& ctx);
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
  bool TakeDrop(QEvent* event, std::string_view control);

  AppContext& ctx_;
  std::unique_ptr<framora::MainWindow> logic_;
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
};

}  // namespace framora::qt
