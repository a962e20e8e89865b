#include "win32_ui/console_window.h"

#include <richedit.h>

#include "console/console_form.h"
#include "platform/win32/win32_text.h"
#include "runner/process_host.h"

namespace framora::win32 {

using namespace console_form;

namespace {

constexpr UINT_PTR kPaneTimer = 1;
constexpr UINT kFrameMs = 16;  // the pane repaints at most about 60 times a second
constexpr UINT kUtf8 = 65001;

// The RichEdit's position of pane character `index`: it keeps a CR LF pair as one paragraph
// mark, and counts in UTF-16 units.
LONG EditPosition(const std::string& text, std::size_t index) {
  LONG position = 0;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size() && chars < index;) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      chars += 2;
      i += 2;
      position += 1;
      continue;
    }
    position += c >= 0xF0 ? 2 : 1;
    ++chars;
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return position;
}

// The same count for bytes [from, from + count) of the pane's text.
LONG EditUnits(const console::ChunkedText& text, std::size_t from, std::size_t count) {
  LONG units = 0;
  bool afterCr = false;
  text.ForEachSpan(from, count, [&](std::string_view span) {
    for (const char ch : span) {
      const auto c = static_cast<unsigned char>(ch);
      if ((c & 0xC0) == 0x80) continue;
      if (c == '\n' && afterCr) {
        afterCr = false;
        continue;
      }
      afterCr = c == '\r';
      units += c >= 0xF0 ? 2 : 1;
    }
  });
  return units;
}

LONG EditLength(HWND edit) {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(
      ::SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

void Select(HWND edit, LONG from, LONG to) {
  CHARRANGE range{from, to};
  ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// Puts UTF-8 text in place of the selection, or of everything.
void PutText(HWND edit, const char* text, DWORD flags) {
  SETTEXTEX how{flags, kUtf8};
  ::SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(text));
}

}  // namespace

ConsoleWindow::ConsoleWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(console_form::Form(), registry),
      core_(*this, static_cast<console::ConsoleView&>(*this), ctx) {
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
  console::ConsolePane& pane = core_.Logic().Pane();
  const console::ChunkedText& chars = pane.Chars();
  if (pane.HasUnseenChange()) {
    const console::ConsolePane::Delta delta = pane.TakeDelta();
    if (delta.replaced) {
      PutText(edit, chars.str().c_str(), ST_DEFAULT);
    } else if (delta.cut) {
      // What the pane cut out goes from the RichEdit too, in place, with the line that says so
      // in its stead: from the end of the start it keeps to where the newest text it holds
      // resumes, counted back from its end.
      const std::size_t resumed = delta.keep + delta.inserted;
      const LONG keep = EditUnits(chars, 0, delta.keep);
      const LONG kept = EditUnits(chars, resumed, delta.from - resumed);
      Select(edit, keep, EditLength(edit) - kept);
      PutText(edit, chars.Substr(delta.keep, delta.inserted).c_str(), ST_SELECTION);
    }
    if (!delta.replaced && delta.from < chars.size()) {
      // Only the new tail goes in; it takes the format of the text before it.
      const LONG end = EditLength(edit);
      Select(edit, end, end);
      PutText(edit, chars.Substr(delta.from, chars.size() - delta.from).c_str(), ST_SELECTION);
    }
  }
  LONG from = 0;
  LONG to = 0;
  if (pane.SelStart() >= pane.Length()) {
    // The usual case after every update: caret at the end, without walking the whole text.
    from = to = EditLength(edit);
  } else {
    const std::string text = pane.Text();
    from = EditPosition(text, pane.SelStart());
    to = pane.SelStart() + pane.SelLength() >= pane.Length()
             ? EditLength(edit)
             : EditPosition(text, pane.SelStart() + pane.SelLength());
  }
  Select(edit, from, to);
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
