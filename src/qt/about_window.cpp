#include "qt/about_window.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <functional>
#include <utility>

#include "info/about.h"
#include "info/sys_info.h"
#include "qt/click_label.h"

namespace framora::qt {

namespace {

// One straight horizontal line of the Line1 array; the widget is exactly the line.
class LineControl : public QWidget {
 public:
  LineControl(const QColor& color, QWidget* parent) : QWidget(parent), color_(color) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), color_); }

 private:
  QColor color_;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void SetTextColor(QWidget* w, const QColor& color) {
  QPalette palette = w->palette();
  palette.setColor(QPalette::WindowText, color);
  w->setPalette(palette);
}

}  // namespace

AboutWindow::AboutWindow(AppContext& ctx)
    : FramoraWindow(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                 Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ctx_(ctx) {
  setObjectName("frmAbout");
  setWindowTitle(kAboutStoredCaption);
  setWindowIcon(ProgramIcon());
  SetClientTwips(5730, 3555);

  // The logo box takes its picture's size; focusable like any picture box.
  auto* picIcon = new QLabel(this);
  picIcon->setObjectName("picIcon");
  picIcon->setFocusPolicy(Qt::StrongFocus);
  PlaceTwips(picIcon, 120, 120, 675, 675);
  const QPixmap logo(":/images/about-logo.png");
  if (!logo.isNull()) {
    picIcon->setPixmap(logo);
    picIcon->resize(logo.size());
  }

  QLabel* lblTitle = MakeLabel(this, "lblTitle", kAboutStoredTitle);
  PlaceTwips(lblTitle, 1050, 240, 3885, 480);
  SetTextColor(lblTitle, Qt::black);

  QLabel* lblVersion = MakeLabel(this, "lblVersion", kAboutStoredVersion);
  PlaceTwips(lblVersion, 1050, 780, 3885, 225);

  QLabel* lblDescription = MakeLabel(this, "lblDescription", kAboutStoredDescription);
  PlaceTwips(lblDescription, 1050, 1125, 3885, 1170);
  SetTextColor(lblDescription, Qt::black);

  // The etched separator: a grey line with a white one just below it.
  auto* grey = new LineControl(QColor(128, 128, 128), this);
  grey->setObjectName("Line1_1");
  grey->setGeometry(Twips(90), Twips(2445), Twips(5654) - Twips(90), 1);
  auto* white = new LineControl(QColor(255, 255, 255), this);
  white->setObjectName("Line1_0");
  white->setGeometry(Twips(105), Twips(2460), Twips(5654) - Twips(105), 2);

  cmdOK_ = new QPushButton(kAboutOk, this);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setDefault(true);
  cmdOK_->setAutoDefault(true);
  PlaceTwips(cmdOK_, 4245, 2625, 1260, 345);
  connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);

  auto* cmdSysInfo = new QPushButton(kAboutSysInfo, this);
  cmdSysInfo->setObjectName("cmdSysInfo");
  cmdSysInfo->setAutoDefault(true);  // Enter on the focused button presses it
  PlaceTwips(cmdSysInfo, 4260, 3075, 1245, 345);
  connect(cmdSysInfo, &QPushButton::clicked, this,
          [this] { StartSysInfo(*ctx_.registry, *ctx_.files, *ctx_.desktop, *ctx_.messages); });

  QLabel* lblDisclaimer = MakeLabel(this, "lblDisclaimer", kAboutDisclaimer);
  PlaceTwips(lblDisclaimer, 255, 2625, 1350, 345);
  SetTextColor(lblDisclaimer, Qt::black);

  auto* label1 = new ClickLabel([this] { OpenHomePage(*ctx_.desktop); }, this);
  label1->setObjectName("Label1");
  label1->setTextFormat(Qt::PlainText);
  label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1->setText(QString::fromStdString(HomeLinkText()));
  QFont linkFont("MS Sans Serif");
  linkFont.setPointSizeF(8.25);
  linkFont.setWeight(QFont::Normal);
  linkFont.setUnderline(true);
  label1->setFont(linkFont);
  SetTextColor(label1, QColor(0, 0, 255));
  label1->setCursor(Qt::PointingHandCursor);
  PlaceTwips(label1, 1680, 2640, 1455, 255);

  setTabOrder(cmdOK_, picIcon);
  setTabOrder(picIcon, cmdSysInfo);
  cmdOK_->setFocus();
}

void AboutWindow::Load() { LoadAbout(*this); }

void AboutWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      cmdOK_->click();
      break;
    default:
      FramoraWindow::keyPressEvent(event);
  }
}

}  // namespace framora::qt
