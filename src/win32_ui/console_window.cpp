#include "win32_ui/console_window.h"

#include <richedit.h>

#include "app/text.h"
#include "console/console_form.h"
#include "runner/process_host.h"

namespace framora::win32 {

using namespace console_form;

namespace {

constexpr UINT_PTR kPaneTimer = 1;
constexpr UINT kFrameMs = 16;  // the pane repaints at most about 60 times a second
constexpr UINT kUtf16 = 1200;

void Select(HWND edit, std::size_t from, std::size_t to) {
  CHARRANGE range{static_cast<LONG>(from), static_cast<LONG>(to)};
  ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// Puts UTF-16 text in place of the selection, or of everything.
void PutText(HWND edit, const std::u16string& text, DWORD flags) {
  SETTEXTEX how{flags, kUtf16};
  ::SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

ConsoleWindow::ConsoleWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(console_form::Form(), registry),
      core_(*this, static_cast<console::ConsoleView&>(*this), ctx),
      paneModel_(core_.Logic().Pane(), console::PaneModel::Display::RichEdit) {
  Build(TargetOf(core_.Logic()));
}

ConsoleWindow::~ConsoleWindow() {
  if (Handle() != nullptr) ::KillTimer(Handle(), kPaneTimer);
}

void ConsoleWindow::Load() {
  Win32Window::Load();
  FlushPane();
}

void ConsoleWindow::ShowModeless() { ShowInFront(); }

void ConsoleWindow::CloseWindow() { Close(); }

void ConsoleWindow::Close() {
  if (IsClosed()) return;
  if (Handle() != nullptr) ::KillTimer(Handle(), kPaneTimer);
  flushPending_ = true;  // and no new frame: the logic's closing steps may still touch the pane
  Win32Window::Close();
}

void ConsoleWindow::PaneChanged() {
  if (flushPending_ || IsClosed() || Handle() == nullptr) return;
  flushPending_ = true;
  ::SetTimer(Handle(), kPaneTimer, kFrameMs, nullptr);
}

void ConsoleWindow::FlushPane() {
  flushPending_ = false;
  if (Handle() != nullptr) ::KillTimer(Handle(), kPaneTimer);
  const HWND edit = Control(rtfOutput);
  if (edit == nullptr) return;
  // What the pane did since the last frame, in the RichEdit's terms: the whole text replaced,
  // the stretch it cut out replaced in place by the line that says so, the new tail appended
  // (it takes the format of the text before it); then the pane's selection.
  paneModel_.Sync();
  for (const console::PaneModel::Edit& change : paneModel_.TakeEdits()) {
    if (!change.all) Select(edit, change.from, change.to);
    PutText(edit, change.text, change.all ? ST_DEFAULT : ST_SELECTION);
  }
  const auto [from, to] = paneModel_.EditSelection();
  Select(edit, from, to);
  const console::ConsolePane& pane = core_.Logic().Pane();
  if (!colorShown_ || pane.SelColor() != shownColor_) {
    colorShown_ = true;
    shownColor_ = pane.SelColor();
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = ToColorRef(shownColor_);
    ::SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

LRESULT ConsoleWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == kPaneTimer) {
    FlushPane();
    return 0;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace framora::win32
