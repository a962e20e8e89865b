#include "qt/click_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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
  if (click) emit clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (Acts() && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    event->accept();
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // A dotted rectangle around the picture, or the text, as Windows marks the focus.
  QRect around = pixmap().isNull() ? contentsRect() : QRect(QPoint(0, 0), pixmap().size());
  around &= rect();
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
  painter.drawRect(around.adjusted(0, 0, -1, -1));
}

}  // namespace framora::qt
