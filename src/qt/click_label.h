// Small pieces shared by the windows: a label or picture that reacts to a click, and the
// program icon.
#pragma once

#include <QIcon>
#include <QLabel>
#include <functional>

namespace framora::qt {

// Reports a left click: press and release on the label. The second press of a double click
// is no new click.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  ClickLabel(std::function<void()> onClick, QWidget* parent)
      : QLabel(parent), onClick_(std::move(onClick)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onClick_;
  bool pressed_ = false;
};

// The program icon in all its drawn sizes.
QIcon ProgramIcon();

}  // namespace framora::qt
