// A push button whose caption wraps onto several lines when it does not fit, as the classic
// command buttons of the windows do.
#pragma once

#include <QPushButton>

namespace framora::qt {

class WrapButton : public QPushButton {
  Q_OBJECT
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Maps the classic font names the windows ask for onto fonts a Linux desktop has, and sets
// the program's default dialog font.
void InstallFonts();

}  // namespace framora::qt
