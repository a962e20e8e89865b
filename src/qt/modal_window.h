// A window of a description shown modally (the ModalPort of the Qt front-end): built and wired
// as every window, over the active window, which with every other window of the program takes
// no input until it has closed.
#pragma once

#include <QEventLoop>
#include <QPointer>

#include "app/windows.h"
#include "qt/framora_window.h"

namespace framora::qt {

class ModalWindow : public FramoraWindow {
  Q_OBJECT
 public:
  // Builds the window from `form` with the logic `make` gives; `owner` is the window it stands
  // over (none: the screen's middle).
  ModalWindow(const FormDesign& form, const ModalPort::MakeLogic& make, QWidget* owner);

  // Shows it, its load steps run, and returns once it has closed: by its logic, its close box,
  // or the end of the program (which ends every event loop). Then it is closed in any case.
  void Exec();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QEventLoop loop_;
  QPointer<QWidget> owner_;
};

class QtModal : public ModalPort {
 public:
  void RunModal(const FormDesign& form, const MakeLogic& make) override;
};

}  // namespace framora::qt
