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

ConsoleWindow::ConsoleWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(console_form::Form(), registry),
      core_(*this, static_cast<console::ConsoleView&>(*this), ctx) {
  core_.Logic().Pane().SetBlockMemory(posix::HugePageBlocks());
  // Shown, selectable and copyable, never typed into; the text belongs to the logic.
  Build(TargetOf(core_.Logic()), [this](const ControlDesign& control, QWidget* parent) -> QWidget* {
    if (control.kind != ControlKind::Pane) return nullptr;
    rtfOutput_ = new ConsolePaneView(core_.Logic().Pane().Chars(), parent);
    return rtfOutput_;
  });
  SetPaneTextColor(Form().Find(rtfOutput)->fore);

  paneTimer_.setSingleShot(true);
  paneTimer_.setInterval(kFrameMs);
  connect(&paneTimer_, &QTimer::timeout, this, &ConsoleWindow::FlushPane);
}

ConsoleWindow::~ConsoleWindow() {
  // The children would outlive the logic by a little; the pane view reads the logic's text,
  // so it goes first, and the boxes' last events stay away from the logic.
  for (const ControlDesign& control : Form().controls) {
    if (control.kind == ControlKind::TextBox) Widget(control.id)->removeEventFilter(this);
  }
  paneTimer_.stop();
  delete rtfOutput_;
}

void ConsoleWindow::Load() {
  FramoraWindow::Load();
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
  FramoraWindow::closeEvent(event);  // the logic stops a running command
  paneTimer_.stop();
}

}  // namespace framora::qt
