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
#include "qt/console_pane_view.h"
#include "runner/process_host.h"

namespace framora::qt {

using namespace console_form;

namespace {

constexpr int kFrameMs = 16;  // the pane repaints at most about 60 times a second

}  // namespace

ConsoleWindow::ConsoleWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(console_form::Form(), registry),
      core_(*this, static_cast<console::ConsoleView&>(*this), ctx),
      paneModel_(core_.Logic().Pane(), console::PaneModel::Display::Rows) {
  core_.Logic().Pane().SetBlockMemory(console::ChunkedText::SystemMemory());
  // Shown, selectable and copyable, never typed into; the text belongs to the logic.
  Build(TargetOf(core_.Logic()), [this](const ControlDesign& control, QWidget* parent) -> QWidget* {
    if (control.kind != ControlKind::Pane) return nullptr;
    rtfOutput_ = new ConsolePaneView(paneModel_, parent);
    return rtfOutput_;
  });
  SetPaneTextColor(Form().Find(rtfOutput)->fore);

  paneTimer_.setSingleShot(true);
  paneTimer_.setInterval(kFrameMs);
  connect(&paneTimer_, &QTimer::timeout, this, &ConsoleWindow::FlushPane);
}

ConsoleWindow::~ConsoleWindow() {
  // The children would outlive the logic by a little; the pane view reads the logic's text
  // through the pane model, so it goes first, and the boxes' last events stay away from the
  // logic.
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
  // The view catches up whenever it looks; it is repainted at the next frame, so a flood
  // costs one repaint per frame.
  if (!paneTimer_.isActive()) paneTimer_.start();
}

void ConsoleWindow::FlushPane() {
  paneTimer_.stop();
  rtfOutput_->Refresh();
  const console::ConsolePane& pane = core_.Logic().Pane();
  if (pane.SelColor() != shownColor_) SetPaneTextColor(pane.SelColor());
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
