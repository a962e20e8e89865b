#include "qt/console_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "console/pane_text.h"
#include "qt/console_pane_view.h"
#include "runner/process_host.h"

namespace framora::qt {

namespace {

constexpr int kFrameMs = 16;  // the pane repaints at most about 60 times a second
constexpr const char* kSampleCommand = "ping www.example.com";

QColor Color(std::uint32_t value) { return QColor::fromRgb(console::ColorToRgb(value)); }

// The first of the wanted families that is installed; the designs ask for fonts that most
// systems besides Windows lack, and these are the nearest look-alikes.
QFont PickFont(std::initializer_list<const char*> families, int pointSize, bool bold) {
  const QStringList installed = QFontDatabase::families();
  QFont font;
  for (const char* family : families) {
    if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPointSize(pointSize);
  font.setBold(bold);
  return font;
}

// A look-alike can be wider than the font the label was laid out for; rather than cut the
// text off, narrow the font (a condensed face, then smaller sizes) until it fits.
void FitLabelFont(QLabel* label) {
  QFont font = label->font();
  const auto fits = [&] {
    return QFontMetrics(font).horizontalAdvance(label->text()) <= label->width();
  };
  if (fits()) return;
  font.setStretch(QFont::SemiCondensed);
  while (!fits() && font.pointSize() > 8) font.setPointSize(font.pointSize() - 1);
  label->setFont(font);
}

QFont SansSerifFont() {
  return PickFont(
      {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"},
      12, false);
}

void SetColors(QWidget* w, QPalette::ColorRole backRole, QColor back, QPalette::ColorRole textRole,
               QColor text) {
  QPalette p = w->palette();
  p.setColor(backRole, back);
  p.setColor(textRole, text);
  w->setPalette(p);
}

// Byte offset in the pane's text of its character `index` (at most the end).
std::size_t ByteOffset(const console::ChunkedText& text, std::size_t index) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars++ == index) return i;
  }
  return text.size();
}

}  // namespace

template <typename F>
auto ConsoleWindow::RunHandler(F&& handler) {
  struct AfterRun {
    ConsoleWindow* self;
    ~AfterRun() {
      // The close came while a run was on the stack; it has returned now.
      if (self->IsClosed() && !self->logic_->Executing()) self->deleteLater();
    }
  } after{this};
  return std::forward<F>(handler)();
}

ConsoleWindow::ConsoleWindow(AppContext& ctx)
    : FramoraWindow(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowCloseButtonHint),
      host_(ctx.makeProcessHost()),
      logic_(std::make_unique<console::ConsoleLogic>(
          *this, static_cast<console::ConsoleView&>(*this), *ctx.messages, *host_,
          ctx.programFolder, ctx.taskbar)) {
  setObjectName("frmReadOutput");
  setWindowTitle("Convert to ..");
  setWindowIcon(QIcon(":/images/console-icon.png"));
  // A tool window would not keep the program alive on its own; this one may be the last.
  setAttribute(Qt::WA_QuitOnClose, true);
  SetClientTwips(10605, 4830);
  setAutoFillBackground(true);
  SetColors(this, QPalette::Window, Qt::black, QPalette::WindowText,
            Color(console::kColorInactiveBorder));

  const QColor boxText = Color(console::kColorInactiveBorder);

  txtCommand_ = new QLineEdit(QString::fromLatin1(kSampleCommand), this);
  txtCommand_->setObjectName("txtCommand");
  PlaceTwips(txtCommand_, 4200, 840, 3375, 405);
  txtCommand_->setFont(SansSerifFont());
  SetColors(txtCommand_, QPalette::Base, Qt::black, QPalette::Text, boxText);
  txtCommand_->installEventFilter(this);

  cmdExecute_ = new QPushButton("E&xecute", this);
  cmdExecute_->setObjectName("cmdExecute");
  PlaceTwips(cmdExecute_, 7680, 840, 1335, 375);
  cmdExecute_->setPalette(QGuiApplication::palette());

  lblInfo_ = new QLabel("Command to get output from:", this);
  lblInfo_->setObjectName("lblInfo");
  lblInfo_->setTextFormat(Qt::PlainText);
  PlaceTwips(lblInfo_, 120, 840, 3915, 270);
  lblInfo_->setFont(PickFont({"Verdana", "DejaVu Sans"}, 12, true));
  FitLabelFont(lblInfo_);
  lblInfo_->setAutoFillBackground(true);
  SetColors(lblInfo_, QPalette::Window, Color(console::kColorWindowText), QPalette::WindowText,
            boxText);

  cmdCancel_ = new QPushButton("&Cancel", this);
  cmdCancel_->setObjectName("cmdCancel");
  PlaceTwips(cmdCancel_, 9120, 840, 1335, 375);
  cmdCancel_->setPalette(QGuiApplication::palette());

  // Shown, selectable and copyable, never typed into; the text belongs to the logic.
  rtfOutput_ = new ConsolePaneView(logic_->Pane().Chars(), this);
  rtfOutput_->setObjectName("rtfOutput");
  PlaceTwips(rtfOutput_, 120, 1560, 10335, 3135);
  rtfOutput_->setFont(
      PickFont({"Arial", "Liberation Sans", "Nimbus Sans", "DejaVu Sans"}, 6, true));
  SetPaneTextColor(console::kColorScrollbar);

  Text1_ = new QLineEdit(QString::fromLatin1(kSampleCommand), this);
  Text1_->setObjectName("Text1");
  PlaceTwips(Text1_, 360, 240, 10095, 405);
  Text1_->setFont(SansSerifFont());
  SetColors(Text1_, QPalette::Base, Qt::black, QPalette::Text, boxText);

  setTabOrder(txtCommand_, cmdExecute_);
  setTabOrder(cmdExecute_, cmdCancel_);
  setTabOrder(cmdCancel_, rtfOutput_);
  setTabOrder(rtfOutput_, Text1_);

  paneTimer_.setSingleShot(true);
  paneTimer_.setInterval(kFrameMs);
  connect(&paneTimer_, &QTimer::timeout, this, &ConsoleWindow::FlushPane);

  connect(cmdExecute_, &QPushButton::clicked, this,
          [this] { RunHandler([this] { logic_->Execute(); }); });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { logic_->Cancel(); });
}

ConsoleWindow::~ConsoleWindow() {
  // The children would outlive the logic by a little; the pane view reads the logic's text,
  // so it goes first, and the command box's last events stay away from the logic.
  txtCommand_->removeEventFilter(this);
  paneTimer_.stop();
  delete rtfOutput_;
}

void ConsoleWindow::Load() {
  logic_->Load();
  FlushPane();
}

std::string ConsoleWindow::Text(std::string_view control) const {
  if (control == "rtfOutput") return logic_->Pane().Text();
  return FramoraWindow::Text(control);
}

void ConsoleWindow::SetText(std::string_view control, const std::string& text) {
  if (control == "rtfOutput") {
    logic_->Pane().Replace(text);
    return;
  }
  FramoraWindow::SetText(control, text);
  // A text box shows the beginning of a text written into it, not its end.
  for (QLineEdit* box : {txtCommand_, Text1_}) {
    if (box->objectName().toStdString() == control) box->setCursorPosition(0);
  }
}

void ConsoleWindow::ShowModeless() {
  show();
  raise();
  activateWindow();
}

void ConsoleWindow::CloseWindow() { close(); }

void ConsoleWindow::PaneChanged() {
  // A replaced text may be shorter than what the view has indexed: catch up at once. Appends
  // wait for the next frame, so a flood costs one repaint per frame.
  if (logic_->Pane().HasPendingReplace()) {
    FlushPane();
  } else if (!paneTimer_.isActive()) {
    paneTimer_.start();
  }
}

void ConsoleWindow::FlushPane() {
  paneTimer_.stop();
  console::ConsolePane& pane = logic_->Pane();
  if (pane.HasUnseenChange()) {
    if (pane.TakeDelta().replaced) {
      rtfOutput_->Reset();
    } else {
      rtfOutput_->Append();  // only the new tail is looked at
    }
  }
  if (pane.SelColor() != shownColor_) SetPaneTextColor(pane.SelColor());
  const console::ChunkedText& text = pane.Chars();
  if (pane.SelStart() >= pane.Length()) {
    rtfOutput_->SetSelection(text.size(), text.size());  // the usual case, no counting
  } else {
    const std::size_t from = ByteOffset(text, pane.SelStart());
    rtfOutput_->SetSelection(from, ByteOffset(text, pane.SelStart() + pane.SelLength()));
  }
}

void ConsoleWindow::SetPaneTextColor(std::uint32_t color) {
  shownColor_ = color;
  QPalette p = rtfOutput_->palette();
  p.setColor(QPalette::Base, Qt::black);
  p.setColor(QPalette::Text, Color(color));
  rtfOutput_->setPalette(p);
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
  logic_->Closed();
  paneTimer_.stop();
  FramoraWindow::closeEvent(event);
}

bool ConsoleWindow::CanDestroyNow() { return !logic_->Executing(); }

bool ConsoleWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtCommand_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      const int inserted = RunHandler([this] { return logic_->TxtCommandKeyPress(13); });
      return inserted == 0;
    }
  }
  return FramoraWindow::eventFilter(watched, event);
}

}  // namespace framora::qt
