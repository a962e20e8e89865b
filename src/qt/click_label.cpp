#include "qt/click_label.h"

#include <QMouseEvent>

namespace framora::qt {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  pressed_ = false;
  event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) onClick_();
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 45, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/images/app-icon-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace framora::qt
