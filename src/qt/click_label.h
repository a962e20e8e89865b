// A label or picture that the user clicks: a left press and release on it. The second press
// of a double click is no new click. One that acts as a button or a link works from the
// keyboard too (Space and Enter), shows where the focus is, and is pressed by a screen reader.
#pragma once

#include <QLabel>

#include "app/form.h"

namespace framora::qt {

class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickLabel(AccessibleRole role, QWidget* parent) : QLabel(parent), role_(role) {}

  AccessibleRole Role() const { return role_; }
  bool Acts() const { return role_ == AccessibleRole::Button || role_ == AccessibleRole::Link; }
  void Click() { emit clicked(); }

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  AccessibleRole role_;
  bool pressed_ = false;
};

}  // namespace framora::qt
