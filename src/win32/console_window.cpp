#include "win32/console_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "console/pane_text.h"
#include "platform/win32/win32_text.h"
#include "runner/process_host.h"
#include "win32/resource_ids.h"

namespace framora::win32 {

namespace {

constexpr UINT_PTR kPaneTimer = 1;
constexpr UINT kFrameMs = 16;  // the pane repaints at most about 60 times a second
constexpr const char* kSampleCommand = "ping www.example.com";
constexpr UINT kUtf8 = 65001;

// A colour value as the window stores it: a system colour by index, or 0x00BBGGRR.
COLORREF Color(std::uint32_t value) {
  if ((value & console::kSystemColorFlag) != 0)
    return ::GetSysColor(static_cast<int>(value & 0xFF));
  return static_cast<COLORREF>(value & 0xFFFFFF);
}

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

CHARFORMAT2W PaneFormat(COLORREF color) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_BOLD;
  format.dwEffects = CFE_BOLD;
  format.crTextColor = color;
  format.yHeight = 6 * 20;  // 6 pt, in twips
  wcscpy(format.szFaceName, L"Arial");
  return format;
}

HICON ConsoleIcon(int metricX, int metricY) {
  return static_cast<HICON>(::LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_CONSOLE),
                                         IMAGE_ICON, ::GetSystemMetrics(metricX),
                                         ::GetSystemMetrics(metricY), LR_SHARED));
}

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;

}  // namespace

ConsoleWindow::ConsoleWindow(AppContext& ctx) : ctx_(ctx) {
  black_ = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  labelBack_ = ::GetSysColorBrush(COLOR_WINDOWTEXT);

  Frame frame;
  frame.className = L"FramoraReadOutput";
  frame.caption = "Convert to ..";
  // A fixed tool window: narrow caption, no minimize or maximize box, not in the task bar.
  frame.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  frame.exStyle = WS_EX_TOOLWINDOW;
  frame.clientWidthTwips = 10605;
  frame.clientHeightTwips = 4830;
  frame.icon = ConsoleIcon(SM_CXICON, SM_CYICON);
  frame.smallIcon = ConsoleIcon(SM_CXSMICON, SM_CYSMICON);
  frame.background = black_;
  CreateFrame(frame);

  const HFONT boxFont = MakeFont(L"MS Sans Serif", 12);
  const HWND txtCommand = AddControl("txtCommand", L"EDIT", kSampleCommand, kEdit, WS_EX_CLIENTEDGE,
                                     ID_txtCommand, 4200, 840, 3375, 405);
  ::SendMessageW(txtCommand, WM_SETFONT, reinterpret_cast<WPARAM>(boxFont), FALSE);
  ::SetWindowSubclass(txtCommand, &ConsoleWindow::TxtCommandProc, 0,
                      reinterpret_cast<DWORD_PTR>(this));
  AddControl("cmdExecute", L"BUTTON", "E&xecute", kButton, 0, ID_cmdExecute, 7680, 840, 1335, 375);
  const HWND lblInfo =
      AddControl("lblInfo", L"STATIC", "Command to get output from:", SS_LEFT | SS_NOPREFIX, 0,
                 ID_lblInfo, 120, 840, 3915, 270);
  ::SendMessageW(lblInfo, WM_SETFONT, reinterpret_cast<WPARAM>(MakeFont(L"Verdana", 12, true)),
                 FALSE);
  AddControl("cmdCancel", L"BUTTON", "&Cancel", kButton, 0, ID_cmdCancel, 9120, 840, 1335, 375);
  const HWND rtfOutput =
      AddControl("rtfOutput", MSFTEDIT_CLASS, "",
                 ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE, ID_rtfOutput, 120, 1560, 10335, 3135);
  // Shown, selectable and copyable, never typed into; the text belongs to the logic.
  ::SendMessageW(rtfOutput, EM_SETBKGNDCOLOR, 0, RGB(0, 0, 0));
  CHARFORMAT2W format = PaneFormat(Color(console::kColorScrollbar));
  ::SendMessageW(rtfOutput, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(rtfOutput, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  ::SendMessageW(rtfOutput, EM_SETUNDOLIMIT, 0, 0);  // an undo copy of every piece would double
  ::SendMessageW(rtfOutput, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);  // no limit on the pane
  const HWND text1 = AddControl("Text1", L"EDIT", kSampleCommand, kEdit, WS_EX_CLIENTEDGE,
                                ID_ConsoleText1, 360, 240, 10095, 405);
  ::SendMessageW(text1, WM_SETFONT, reinterpret_cast<WPARAM>(boxFont), FALSE);

  host_ = ctx_.makeProcessHost();
  logic_ = std::make_unique<console::ConsoleLogic>(*this, static_cast<console::ConsoleView&>(*this),
                                                   *ctx_.messages, *host_, ctx_.programFolder,
                                                   ctx_.taskbar);
}

ConsoleWindow::~ConsoleWindow() {
  if (Handle() != nullptr) ::KillTimer(Handle(), kPaneTimer);
  if (const HWND txtCommand = Control("txtCommand"))
    ::RemoveWindowSubclass(txtCommand, &ConsoleWindow::TxtCommandProc, 0);
}

void ConsoleWindow::Load() {
  logic_->Load();
  FlushPane();
}

bool ConsoleWindow::CanDestroyNow() { return !logic_ || !logic_->Executing(); }

std::string ConsoleWindow::Text(std::string_view control) const {
  if (control == "rtfOutput") return logic_->Pane().Text();
  return Win32Window::Text(control);
}

void ConsoleWindow::SetText(std::string_view control, const std::string& text) {
  if (control == "rtfOutput") {
    logic_->Pane().Replace(text);
    return;
  }
  Win32Window::SetText(control, text);
}

void ConsoleWindow::ShowModeless() { Win32Window::ShowModeless(); }

void ConsoleWindow::CloseWindow() { Close(); }

void ConsoleWindow::Close() {
  if (IsClosed()) return;
  logic_->Closed();
  if (Handle() != nullptr) ::KillTimer(Handle(), kPaneTimer);
  flushPending_ = false;
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
  const HWND edit = Control("rtfOutput");
  if (edit == nullptr) return;
  console::ConsolePane& pane = logic_->Pane();
  const console::ChunkedText& chars = pane.Chars();
  if (pane.HasUnseenChange()) {
    const console::ConsolePane::Delta delta = pane.TakeDelta();
    if (delta.replaced) {
      PutText(edit, chars.str().c_str(), ST_DEFAULT);
    } else if (delta.from < chars.size()) {
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
    format.crTextColor = Color(shownColor_);
    ::SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

LRESULT ConsoleWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ID_cmdExecute:
          if (HIWORD(wParam) == BN_CLICKED) logic_->Execute();
          return 0;
        case ID_cmdCancel:
          if (HIWORD(wParam) == BN_CLICKED) logic_->Cancel();
          return 0;
        default:
          return 0;
      }
    case WM_TIMER:
      if (wParam == kPaneTimer) {
        FlushPane();
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
      // The two command boxes: black, with text in the inactive-border colour.
      ::SetTextColor(reinterpret_cast<HDC>(wParam), Color(console::kColorInactiveBorder));
      ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(black_);
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Control("lblInfo")) {
        ::SetTextColor(reinterpret_cast<HDC>(wParam), Color(console::kColorInactiveBorder));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), Color(console::kColorWindowText));
        return reinterpret_cast<LRESULT>(labelBack_);
      }
      break;
    default:
      break;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

LRESULT CALLBACK ConsoleWindow::TxtCommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR /*id*/, DWORD_PTR self) {
  auto* window = reinterpret_cast<ConsoleWindow*>(self);
  if (msg == WM_GETDLGCODE && lParam != 0 &&
      reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
      reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
    return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
  }
  if (msg == WM_CHAR) {
    const int inserted = window->logic_->TxtCommandKeyPress(static_cast<int>(wParam));
    if (inserted == 0) return 0;
    wParam = static_cast<WPARAM>(inserted);
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace framora::win32
