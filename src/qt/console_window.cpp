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

#include "console/console_form.h"
#include "platform/posix/posix_memory.h"
#include "qt/console_pane_view.h"
#include "runner/process_host.h"

namespace framora::qt {

using namespace console_form;

namespace {

constexpr int kFrameMs = 16;  // the pane repaints at most about 60 times a second

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
      // The close came while a run was on the stack; it has returned now, and the window may go.
      if (self->IsClosed() && !self->core_.Logic().Executing() && self->Registry() != nullptr) {
        self->Registry()->ReapSoon();
      }
    }
  } after{this};
  return std::forward<F>(handler)();
}

ConsoleWindow::ConsoleWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(console_form::Form(), registry),
      core_(*this, static_cast<console::ConsoleView&>(*this), ctx) {
  core_.Logic().Pane().SetBlockMemory(posix::HugePageBlocks());
  // Shown, selectable and copyable, never typed into; the text belongs to the logic.
  Build([this](const ControlDesign& control, QWidget* parent) -> QWidget* {
    if (control.kind != ControlKind::Pane) return nullptr;
    rtfOutput_ = new ConsolePaneView(core_.Logic().Pane().Chars(), parent);
    return rtfOutput_;
  });
  SetPaneTextColor(Form().Find(rtfOutput)->fore);
  Widget(txtCommand)->installEventFilter(this);

  paneTimer_.setSingleShot(true);
  paneTimer_.setInterval(kFrameMs);
  connect(&paneTimer_, &QTimer::timeout, this, &ConsoleWindow::FlushPane);

  connect(Control<QPushButton>(cmdExecute), &QPushButton::clicked, this,
          [this] { RunHandler([this] { core_.Logic().Execute(); }); });
  connect(Control<QPushButton>(cmdCancel), &QPushButton::clicked, this,
          [this] { core_.Logic().Cancel(); });
}

ConsoleWindow::~ConsoleWindow() {
  // The children would outlive the logic by a little; the pane view reads the logic's text,
  // so it goes first, and the command box's last events stay away from the logic.
  Widget(txtCommand)->removeEventFilter(this);
  paneTimer_.stop();
  delete rtfOutput_;
}

void ConsoleWindow::Load() {
  core_.Logic().Load();
  FlushPane();
}

void ConsoleWindow::SetText(ControlId control, const std::string& text) {
  FramoraWindow::SetText(control, text);
  if (auto* box = Control<QLineEdit>(control)) box->setCursorPosition(0);
}

void ConsoleWindow::ShowModeless() { ShowInFront(); }

void ConsoleWindow::CloseWindow() { close(); }

void ConsoleWindow::PaneChanged() {
  // A replaced text may be shorter than what the view has indexed: catch up at once. Appends
  // wait for the next frame, so a flood costs one repaint per frame.
  if (core_.Logic().Pane().HasPendingReplace()) {
    FlushPane();
  } else if (!paneTimer_.isActive()) {
    paneTimer_.start();
  }
}

void ConsoleWindow::FlushPane() {
  paneTimer_.stop();
  console::ConsolePane& pane = core_.Logic().Pane();
  if (pane.HasUnseenChange()) {
    const console::ConsolePane::Delta delta = pane.TakeDelta();
    if (delta.replaced) {
      rtfOutput_->Reset();
    } else {
      if (delta.cut) rtfOutput_->Cut(delta.keep, delta.resume, delta.inserted);
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
  p.setColor(QPalette::Base, ToQColor(Form().Find(rtfOutput)->back));
  p.setColor(QPalette::Text, ToQColor(color));
  rtfOutput_->setPalette(p);
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
  core_.Logic().Closed();
  paneTimer_.stop();
  FramoraWindow::closeEvent(event);
}

bool ConsoleWindow::CanDestroyNow() { return !core_.Logic().Executing(); }

bool ConsoleWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Widget(txtCommand) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      const int inserted =
          RunHandler([this] { return core_.Logic().TxtCommandKeyPress(kKeyEnter); });
      return inserted == 0;
    }
  }
  return FramoraWindow::eventFilter(watched, event);
}

}  // namespace framora::qt
