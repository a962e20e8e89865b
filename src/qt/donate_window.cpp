#include "qt/donate_window.h"

#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <functional>
#include <utility>

#include "info/donate.h"

namespace framora::qt {

namespace {

// A picture that reports a left click (press and release on it).
class ClickImage : public QLabel {
 public:
  ClickImage(std::function<void()> onClick, QWidget* parent)
      : QLabel(parent), onClick_(std::move(onClick)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
  }
  // The second press of a double click is no new click.
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    pressed_ = false;
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) onClick_();
  }

 private:
  std::function<void()> onClick_;
  bool pressed_ = false;
};

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 45, 48})
    icon.addFile(QStringLiteral(":/images/app-icon-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace

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

  auto* image1 = new ClickImage([this] { OpenDonationPage(*ctx_.desktop); }, this);
  image1->setObjectName("Image1");
  image1->setPixmap(QPixmap(":/images/donate-now.png"));
  image1->setCursor(Qt::PointingHandCursor);
  PlaceTwips(image1, 5280, 1800, 2685, 765);
}

}  // namespace framora::qt
