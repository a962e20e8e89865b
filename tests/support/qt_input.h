// What a user does to a widget, delivered as the window system delivers it, and what the
// screen shows of a label.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <utility>

namespace framora::test {

inline void Key(QWidget* target, int key, const QString& text = {},
                Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

inline void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const QPointF global = target->mapToGlobal(QPointF(at));
  QMouseEvent event(type, QPointF(at), global, button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

inline void Click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(target, QEvent::MouseButtonPress, at, button);
  Mouse(target, QEvent::MouseButtonRelease, at, button);
}

inline void Click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
  Click(target, target->rect().center(), button);
}

// What a double click delivers: press, release, double click, release.
inline void DoubleClick(QWidget* target, QPoint at) {
  Click(target, at);
  Mouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
  Mouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

// Dark pixels (text) that a label draws inside and outside its placed size once given more
// room: ink outside is text that the placed label cuts off. A wrapping label only gets more
// height, so that its lines stay as they are.
inline std::pair<int, int> InkInsideAndOutside(QLabel* label) {
  const QSize placed = label->size();
  label->resize(placed.width() * (label->wordWrap() ? 1 : 2), placed.height() * 2);
  const QImage image = label->grab().toImage();
  label->resize(placed);
  int inside = 0;
  int outside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) >= 160) continue;
      ++(x < placed.width() && y < placed.height() ? inside : outside);
    }
  }
  return {inside, outside};
}

}  // namespace framora::test
