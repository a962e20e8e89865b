#include "qt/donate_window.h"

#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <functional>
#include <utility>

#include "info/donate.h"
#include "qt/click_label.h"

namespace framora::qt {

DonateWindow::DonateWindow(AppContext& ctx)
    : FramoraWindow(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                 Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ctx_(ctx) {
  setObjectName("frmDonate");
  setWindowTitle(kDonateCaption);
  setWindowIcon(ProgramIcon());
  SetClientTwips(8310, 2805);

  auto* label1 = new QLabel(this);
  label1->setObjectName("Label1");
  label1->setTextFormat(Qt::PlainText);
  label1->setWordWrap(true);
  label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1->setText(QString::fromUtf8(kDonateAppeal));
  QFont appealFont("MS Sans Serif");
  appealFont.setPointSizeF(12);
  appealFont.setWeight(QFont::Normal);
  appealFont.setUnderline(false);
  label1->setFont(appealFont);
  PlaceTwips(label1, 360, 240, 7575, 1335);
  // The substitute fonts run a little taller than the classic one: rather than cut off the
  // last line, let the label grow down towards the picture, never onto it.
  const int room = Twips(1800) - label1->y() - 2;
  const int needed = label1->heightForWidth(label1->width());
  if (needed > label1->height()) label1->resize(label1->width(), std::min(needed, room));

  auto* image1 = new ClickLabel([this] { OpenDonationPage(*ctx_.desktop); }, this);
  image1->setObjectName("Image1");
  image1->setPixmap(QPixmap(":/images/donate-now.png"));
  image1->setCursor(Qt::PointingHandCursor);
  PlaceTwips(image1, 5280, 1800, 2685, 765);
}

}  // namespace framora::qt
