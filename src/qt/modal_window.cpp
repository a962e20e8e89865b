#include "qt/modal_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QWindow>

#include "app/form.h"

namespace framora::qt {

ModalWindow::ModalWindow(const FormDesign& form, const ModalPort::MakeLogic& make, QWidget* owner)
    : FramoraWindow(form, nullptr) {
  // A dialog of the owner's: it stays above it and has no button of its own in the task bar. The
  // owner does not own it, though: it goes when the question is over.
  if (owner != nullptr && owner->windowHandle() != nullptr) {
    winId();
    windowHandle()->setTransientParent(owner->windowHandle());
    owner_ = owner;
  }
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowModality(Qt::ApplicationModal);
  Build(make(*this, *this));
}

void ModalWindow::Exec() {
  Load();
  if (IsClosed()) return;  // its own load may have closed it
  const QWidget* over = owner_;
  const QRect area = over != nullptr       ? over->frameGeometry()
                     : screen() != nullptr ? screen()->availableGeometry()
                                           : QRect();
  if (area.isValid()) move(area.center() - rect().center());
  ShowInFront();
  loop_.exec();
  // The program is ending, and the loop with every other: the window goes too.
  if (!IsClosed()) close();
}

void ModalWindow::closeEvent(QCloseEvent* event) {
  FramoraWindow::closeEvent(event);
  loop_.quit();
}

void QtModal::RunModal(const FormDesign& form, const MakeLogic& make) {
  ModalWindow window(form, make, QApplication::activeWindow());
  window.Exec();
}

}  // namespace framora::qt
