#include "qt/wrap_button.h"

#include <QApplication>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace framora::qt {

void WrapButton::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  painter.drawItemText(area.adjusted(2, 0, -2, 0),
                       Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                       isEnabled(), caption, QPalette::ButtonText);
}

void InstallFonts() {
  const QStringList sans = {"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"};
  QFont::insertSubstitutions("MS Sans Serif", QStringList{"Microsoft Sans Serif"} + sans);
  QFont::insertSubstitutions("Arial", sans);
  QFont::insertSubstitutions("Verdana", {"DejaVu Sans", "Liberation Sans"});
  QFont dialogFont("MS Sans Serif");
  dialogFont.setPointSizeF(8.25);
  QApplication::setFont(dialogFont);
}

}  // namespace framora::qt
