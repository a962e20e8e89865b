#include "win32_ui/win32_window.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/text.h"
#include "win32_ui/described_accessible.h"
#include "win32_ui/resource_ids.h"

namespace framora::win32 {

namespace {

int Dpi(int index) {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, index);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

std::wstring WindowTextOf(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

// Paints a picture control: the window face, then the bitmap at its own size, blended by its
// alpha channel so that its soft edges and transparent corners show the face, and the focus
// rectangle around it where it has the focus.
void DrawBitmap(const DRAWITEMSTRUCT& item, HBITMAP bitmap) {
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  if (bitmap == nullptr) return;
  const HDC memory = ::CreateCompatibleDC(item.hDC);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  BITMAP info{};
  ::GetObjectW(bitmap, sizeof info, &info);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::GdiAlphaBlend(item.hDC, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, info.bmWidth,
                  info.bmHeight, blend);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT around{0, 0, info.bmWidth, info.bmHeight};
    ::IntersectRect(&around, &around, &item.rcItem);
    ::DrawFocusRect(item.hDC, &around);
  }
}

// A picture's bitmap resource is named after its file: execute-button is EXECUTE_BUTTON.
std::wstring PictureResource(std::string_view picture) {
  std::wstring name;
  for (const char c : picture) name += c == '-' ? L'_' : static_cast<wchar_t>(std::toupper(c));
  return name;
}

// The pictures are 32-bit bitmaps with straight alpha; blending wants each colour already
// multiplied by its alpha.
HBITMAP LoadPicture(std::string_view picture) {
  const auto bitmap =
      static_cast<HBITMAP>(::LoadImageW(ProgramInstance(), PictureResource(picture).c_str(),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  DIBSECTION dib{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmBits == nullptr) {
    return bitmap;
  }
  auto* pixel = static_cast<BYTE*>(dib.dsBm.bmBits);
  const BYTE* end = pixel + static_cast<std::size_t>(dib.dsBm.bmWidthBytes) * dib.dsBm.bmHeight;
  for (; pixel != end; pixel += 4) {
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<BYTE>(pixel[channel] * pixel[3] / 255);
  }
  return bitmap;
}

long MsaaRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Button:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::Text:
    case AccessibleRole::Output:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::Link:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::Separator:
      return ROLE_SYSTEM_SEPARATOR;
    case AccessibleRole::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case AccessibleRole::ProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
  }
  return 0;
}

HICON Icon(IconKind icon, int metricX, int metricY) {
  const int id = icon == IconKind::Console ? IDI_CONSOLE : IDI_FRAMORA;
  return static_cast<HICON>(::LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                         LR_SHARED));
}

struct WindowStyle {
  DWORD style;
  DWORD exStyle;
};

WindowStyle StyleOf(const FormDesign& form) {
  switch (form.border) {
    case BorderKind::Sizable:
      return {WS_OVERLAPPEDWINDOW, 0};
    case BorderKind::FixedDialog:
      // Not resizable, no minimize and no maximize box.
      return {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME};
    case BorderKind::FixedToolWindow:
      // Narrow caption, and no button in the task bar.
      return {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW};
  }
  return {WS_OVERLAPPEDWINDOW, 0};
}

// The control kinds as window classes and styles. Every control is visible; those that take
// the focus are tab stops.
struct ControlStyle {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

ControlStyle StyleOf(const ControlDesign& control) {
  const DWORD tab = TakesFocus(control) ? WS_TABSTOP : 0;
  switch (control.kind) {
    case ControlKind::Button:
      return {L"BUTTON",
              (control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                  (control.wordWrap ? BS_MULTILINE : 0) | tab,
              0};
    case ControlKind::TextBox:
      return {L"EDIT", ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      // Only a label that names an access key at design time underlines it; any other shows
      // an '&' as it is, file names included.
      return {L"STATIC",
              static_cast<DWORD>(SS_LEFT) |
                  (control.text.find('&') == std::string_view::npos ? SS_NOPREFIX : 0),
              0};
    case ControlKind::LinkLabel:
      return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case ControlKind::Picture:
      // One that acts as a button is one, for the keyboard and for screen readers.
      if (RoleOf(control) == AccessibleRole::Button) return {L"BUTTON", BS_OWNERDRAW | tab, 0};
      return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY | tab, 0};
    case ControlKind::Pane:
      // Shown, selectable and copyable, never typed into.
      return {MSFTEDIT_CLASS, ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | tab,
              WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | tab, 0};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
    case ControlKind::Line:
      break;  // painted by the window
  }
  return {nullptr, 0, 0};
}

// A box that takes Enter itself is asked, by the window's keyboard navigation, whether it
// wants this key: true when the question is about Enter.
bool AsksForEnter(UINT msg, LPARAM lParam) {
  const auto* asked = reinterpret_cast<const MSG*>(lParam);
  return msg == WM_GETDLGCODE && asked != nullptr && asked->message == WM_KEYDOWN &&
         asked->wParam == VK_RETURN;
}

// The shift state as the key handlers take it: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState() {
  int shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

bool IsKeyHandler(const EventHandler& handler) {
  return handler.kind == EventKind::KeyDown || handler.kind == EventKind::KeyPress;
}

}  // namespace

HINSTANCE ProgramInstance() { return ::GetModuleHandleW(nullptr); }

COLORREF ToColorRef(FormColor color) {
  if ((color & kSystemColorFlag) != 0) return ::GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

int Win32Window::TwipsX(int twips) { return ::MulDiv(twips, Dpi(LOGPIXELSX), 1440); }
int Win32Window::TwipsY(int twips) { return ::MulDiv(twips, Dpi(LOGPIXELSY), 1440); }

Win32Window::Win32Window(const FormDesign& form, WindowRegistry* registry)
    : form_(form), registry_(registry) {}

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

void Win32Window::Build(EventTarget target, HWND owner) {
  // The rows name handlers of one class; the logic given must be of it.
  if (form_.logic != nullptr && target.type != form_.logic) std::abort();
  target_ = target;
  CreateFrame(owner);
  if (hwnd_ == nullptr) return;
  // In tab order, for that is the order of Tab in a window, each label right before the field
  // it names, where screen readers look for the field's name.
  for (const ControlDesign* control : CreationOrder(form_)) {
    MakeControl(*control);
    // A picture or a label that reacts to clicks shows the hand.
    if (control->on.kind == EventKind::Click && control->kind != ControlKind::Button) {
      clickable_.insert(control->id.number);
    }
  }
}

int Win32Window::Fire(const EventHandler& handler, int key, int shift) {
  if (closed_ || !handler) return key;
  ++running_;
  const int passed = handler.run(target_.logic, key, shift);
  if (--running_ == 0 && closed_ && registry_ != nullptr) registry_->ReapSoon();
  return passed;
}

void Win32Window::Load() { Fire(form_.onLoad); }

void Win32Window::Command(int number, int code) {
  const ControlDesign* design = form_.Find({form_.id, number});
  if (code == EN_CHANGE) {
    if (!settingText_ && design != nullptr && design->kind == ControlKind::TextBox)
      Fire(design->onChange);
    return;
  }
  // Only the user's choice: CB_SETCURSEL, the program's, tells nothing.
  if (design != nullptr && design->kind == ControlKind::ComboBox) {
    if (code == CBN_SELCHANGE) Fire(design->onChange);
    return;
  }
  // A click on a button or a picture, and a menu command, all come with code 0.
  if (code != 0) return;
  for (const ControlDesign& control : form_.controls) {
    if (control.id.number != number || control.on.kind != EventKind::Click) continue;
    // One that cannot be clicked now does nothing, whatever sent the command.
    const HWND hwnd = Control(control.id);
    const bool visible = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (hwnd != nullptr && ::IsWindowEnabled(hwnd) && visible) Fire(control.on);
    return;
  }
  for (const MenuItemDesign& item : form_.menu) {
    if (item.id.number == number) Fire(item.on);
  }
}

bool Win32Window::Key(const ControlDesign& control, UINT msg, WPARAM& key) {
  if (msg == WM_KEYDOWN && control.on.kind == EventKind::KeyDown) {
    Fire(control.on, static_cast<int>(key), ShiftState());  // the key goes on to the box
  } else if (msg == WM_CHAR && control.on.kind == EventKind::KeyPress) {
    const int inserted = Fire(control.on, static_cast<int>(key));
    if (inserted == 0) return true;
    key = static_cast<WPARAM>(inserted);
  }
  return false;
}

void Win32Window::CreateFrame(HWND owner) {
  const std::wstring className = L"Framora" + ToWide(form_.name);
  const WindowStyle style = StyleOf(form_);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExW(ProgramInstance(), className.c_str(), &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Window::WindowProc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // The class outlives this window: its brush lives as long as the program.
    wc.hbrBackground = form_.back == kWindowColor ? reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)
                                                  : ::CreateSolidBrush(ToColorRef(form_.back));
    wc.hIcon = Icon(form_.icon, SM_CXICON, SM_CYICON);
    wc.hIconSm = Icon(form_.icon, SM_CXSMICON, SM_CYSMICON);
    wc.lpszClassName = className.c_str();
    ::RegisterClassExW(&wc);
  }
  const HMENU menu = form_.menu.empty() ? nullptr : MakeMenu();
  RECT rect{0, 0, TwipsX(form_.clientWidth), TwipsY(form_.clientHeight)};
  ::AdjustWindowRectEx(&rect, style.style, menu != nullptr, style.exStyle);
  ::CreateWindowExW(style.exStyle, className.c_str(), ToWide(form_.caption).c_str(), style.style,
                    CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top,
                    owner, menu, ProgramInstance(), this);
  // A menu bar that wraps onto a second line takes client height: give it back.
  if (hwnd_ != nullptr && menu != nullptr) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int missing = TwipsY(form_.clientHeight) - client.bottom;
    if (missing > 0) {
      RECT window{};
      ::GetWindowRect(hwnd_, &window);
      ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top + missing, SWP_NOMOVE | SWP_NOZORDER);
    }
  }
}

HMENU Win32Window::MakeMenu() const {
  const HMENU bar = ::CreateMenu();
  HMENU popup = nullptr;
  std::wstring popupCaption;
  const auto attach = [&] {
    if (popup != nullptr) {
      ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), popupCaption.c_str());
    }
  };
  for (const MenuItemDesign& item : form_.menu) {
    if (item.level == 0) {
      attach();
      popup = ::CreatePopupMenu();
      popupCaption = ToWide(item.caption);
    } else if (item.caption == "-") {
      ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.id.number),
                    ToWide(item.caption).c_str());
    }
  }
  attach();
  return bar;
}

void Win32Window::MakeControl(const ControlDesign& control) {
  const ControlStyle style = StyleOf(control);
  if (style.windowClass == nullptr) return;
  if (control.kind == ControlKind::ProgressBar) {
    static const bool registered = [] {
      const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
      return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    static_cast<void>(registered);
  }
  const TwipsRect& r = control.rect;
  // A drop-down list's height holds its open list too; closed, it is fitted below.
  const int height =
      TwipsY(r.height) *
      (control.kind == ControlKind::ComboBox ? static_cast<int>(control.items.size()) + 2 : 1);
  // A picture's text is not shown; it tells screen readers what the picture is.
  const std::string name = AccessibleName(form_, control);
  const std::string& text = control.kind == ControlKind::Picture ? name : std::string(control.text);
  const HWND hwnd = ::CreateWindowExW(
      style.exStyle, style.windowClass, ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style.style,
      TwipsX(r.left), TwipsY(r.top), TwipsX(r.width), height, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id.number)), ProgramInstance(), nullptr);
  // Without a font of its own a control has the platform's default dialog font.
  HFONT font = control.font.face.empty() ? static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))
                                         : MakeFont(control.font);
  // A one-line label whose words do not fit its width at its size is written smaller (down
  // to 8 points), rather than cut off: the font that stands in for its own may be wider.
  if (control.kind == ControlKind::Label && !control.wordWrap && !control.text.empty() &&
      !control.font.face.empty()) {
    FontDesign smaller = control.font;
    while (smaller.points > 8 && TextWidth(hwnd, font, control.text) > TwipsX(r.width)) {
      smaller.points = std::max(8.0, smaller.points - 1);
      font = MakeFont(smaller);
    }
  }
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SetWindowSubclass(hwnd, &Win32Window::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
  if (control.kind == ControlKind::ComboBox) {
    for (const std::string_view item : control.items)
      ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
    ::SendMessageW(hwnd, CB_SETCURSEL, 0, 0);
    // The closed box as high as designed: its font alone sets its height otherwise.
    RECT closed{};
    ::GetWindowRect(hwnd, &closed);
    const LRESULT field = ::SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const LRESULT wanted = field + TwipsY(r.height) - (closed.bottom - closed.top);
    if (field > 0 && wanted > 0 && wanted != field)
      ::SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
  }
  if (control.kind == ControlKind::ProgressBar) {
    ::SendMessageW(hwnd, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(hwnd, PBM_SETPOS, 0, 0);
  }
  if (!control.picture.empty()) {
    if (const HBITMAP bitmap = LoadPicture(control.picture)) {
      gdiObjects_.emplace_back(bitmap);
      pictures_[control.id.number] = bitmap;
      if (control.autoSize) {  // the box takes its picture's size
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof info, &info);
        ::SetWindowPos(hwnd, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
      }
    }
  }
  if (control.kind == ControlKind::Pane) {
    ::SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, ToColorRef(control.back));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_BOLD;
    format.dwEffects = control.font.bold ? CFE_BOLD : 0;
    format.crTextColor = ToColorRef(control.fore);
    format.yHeight = static_cast<LONG>(control.font.points * 20);  // in twips
    const std::wstring face = ToWide(control.font.face);
    face.copy(format.szFaceName, LF_FACESIZE - 1);
    ::SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    ::SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    ::SendMessageW(hwnd, EM_SETUNDOLIMIT, 0, 0);  // an undo copy of every piece would double
    ::SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);  // no limit on the pane
  }
}

int Win32Window::TextWidth(HWND control, HFONT font, std::string_view text) {
  const std::wstring shown = ToWide(WithoutAccessKeys(std::string(text)));
  const HDC dc = ::GetDC(control);
  const HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return size.cx;
}

HFONT Win32Window::MakeFont(const FontDesign& font) {
  const int height = -static_cast<int>(font.points * Dpi(LOGPIXELSY) / 72.0 + 0.5);
  const HFONT made =
      ::CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, ToWide(font.face).c_str());
  gdiObjects_.emplace_back(made);
  return made;
}

HBRUSH Win32Window::Brush(FormColor color) {
  auto& brush = brushes_[color];
  if (brush == nullptr) {
    brush = ::CreateSolidBrush(ToColorRef(color));
    gdiObjects_.emplace_back(brush);
  }
  return brush;
}

HWND Win32Window::Control(ControlId control) const {
  if (control.window != form_.id || hwnd_ == nullptr) return nullptr;
  if (control.number == 0) return hwnd_;
  return ::GetDlgItem(hwnd_, control.number);
}

const ControlDesign* Win32Window::DesignOf(HWND control) const {
  return form_.Find({form_.id, ::GetDlgCtrlID(control)});
}

void Win32Window::ShowInFront() {
  if (hwnd_ == nullptr) return;
  ::ShowWindow(hwnd_, SW_SHOW);
  ::BringWindowToTop(hwnd_);
  ::SetForegroundWindow(hwnd_);
}

void Win32Window::Hide() {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, SW_HIDE);
}

bool Win32Window::PreTranslate(MSG& msg) {
  return hwnd_ != nullptr && ::IsDialogMessageW(hwnd_, &msg);
}

std::string Win32Window::Text(ControlId control) const {
  const HWND hwnd = Control(control);
  if (hwnd == nullptr) return {};
  const ControlDesign* design = form_.Find(control);
  if (design != nullptr && design->kind == ControlKind::ComboBox) return ChosenItem(hwnd);
  return FromWide(WindowTextOf(hwnd));
}

std::string Win32Window::ChosenItem(HWND list) {
  const LRESULT chosen = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (chosen == CB_ERR) return {};
  const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0);
  if (length == CB_ERR) return {};
  std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(chosen),
                                        reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  return FromWide(item);
}

void Win32Window::ShowBar(HWND bar, const std::string& text) {
  // The per cent; "-1" for a job whose end is not known, which a moving block shows; empty
  // when nothing runs.
  const int percent = text.empty() ? 0 : std::atoi(text.c_str());
  const LONG_PTR style = ::GetWindowLongPtrW(bar, GWL_STYLE);
  const LONG_PTR busy = percent < 0 ? PBS_MARQUEE : 0;
  if ((style & PBS_MARQUEE) != busy) {
    ::SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
    ::SetWindowLongPtrW(bar, GWL_STYLE, (style & ~PBS_MARQUEE) | busy);
    if (busy != 0) ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
  }
  if (busy == 0) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::min(percent, 100)), 0);
}

void Win32Window::SetText(ControlId control, const std::string& text) {
  const ControlDesign* design = form_.Find(control);
  const HWND hwnd = Control(control);
  if (hwnd != nullptr && design != nullptr && design->kind == ControlKind::ComboBox) {
    // An item not in the list chooses the first, as a list that cannot be typed into must.
    const LRESULT found = ::SendMessageW(hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(ToWide(text).c_str()));
    ::SendMessageW(hwnd, CB_SETCURSEL, found == CB_ERR ? 0 : static_cast<WPARAM>(found), 0);
    return;
  }
  if (hwnd != nullptr && design != nullptr && design->kind == ControlKind::ProgressBar) {
    // A bar shows no text of its own: it keeps the core's there, where its screen reader's
    // value comes from.
    ::SetWindowTextW(hwnd, ToWide(text).c_str());
    ShowBar(hwnd, text);
    return;
  }
  if (hwnd != nullptr) {
    // The box tells of the change before the call returns: it is the program's, not the user's.
    const bool wasSetting = std::exchange(settingText_, true);
    ::SetWindowTextW(hwnd, ToWide(text).c_str());
    settingText_ = wasSetting;
  }
}

void Win32Window::SetFocus(ControlId control) {
  if (const HWND hwnd = Control(control)) ::SetFocus(hwnd);
}

void Win32Window::SetVisible(ControlId control, bool visible) {
  if (const HWND hwnd = Control(control); hwnd != nullptr && hwnd != hwnd_) {
    ::ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32Window::SetEnabled(ControlId control, bool enabled) {
  if (const HWND hwnd = Control(control); hwnd != nullptr && hwnd != hwnd_) {
    // Focus in a control that goes grey would be lost to no control: it moves on first.
    if (!enabled && ::GetFocus() == hwnd) {
      ::SendMessageW(hwnd_, WM_NEXTDLGCTL, 0, FALSE);
    }
    ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
  }
}

void Win32Window::Close() {
  if (closed_) return;
  Fire(form_.onClosed);
  closed_ = true;
  Hide();
  if (CanDestroyNow() && hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  // Last: the registry may end the program or drop this object once its window is gone.
  if (registry_ != nullptr) registry_->Closed(*this);
}

LRESULT Win32Window::Colors(HDC dc, HWND control, bool edit) {
  const ControlDesign* design = DesignOf(control);
  if (design == nullptr || (design->back == kWindowColor && design->fore == kWindowColor)) {
    return Default(edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control));
  }
  if (design->fore != kWindowColor) ::SetTextColor(dc, ToColorRef(design->fore));
  if (design->back != kWindowColor) {
    ::SetBkColor(dc, ToColorRef(design->back));
    return reinterpret_cast<LRESULT>(Brush(design->back));
  }
  ::SetBkMode(dc, TRANSPARENT);  // on the window's face
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Window::PaintLines() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(hwnd_, &paint);
  for (const ControlDesign& control : form_.controls) {
    if (control.kind != ControlKind::Line) continue;
    const TwipsRect& r = control.rect;
    const int width = std::max(1, TwipsY(r.height));
    const HPEN pen = ::CreatePen(PS_INSIDEFRAME, width, ToColorRef(control.fore));
    const HGDIOBJ old = ::SelectObject(dc, pen);
    for (int row = 0; row < width; ++row) {
      ::MoveToEx(dc, TwipsX(r.left), TwipsY(r.top) + row, nullptr);
      ::LineTo(dc, TwipsX(r.left + r.width), TwipsY(r.top) + row);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
  }
  ::EndPaint(hwnd_, &paint);
}

LRESULT Win32Window::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Win32Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_COMMAND: {
      int number = LOWORD(wParam);
      int code = HIWORD(wParam);
      // Enter and Esc come as IDOK and IDCANCEL: the default and the cancel button's, and Enter
      // on a picture that acts as a button presses that.
      const ControlDesign* focused = DesignOf(::GetFocus());
      if (number == IDOK && focused != nullptr && focused->kind == ControlKind::Picture &&
          RoleOf(*focused) == AccessibleRole::Button) {
        number = focused->id.number;
        code = BN_CLICKED;
      }
      for (const ControlDesign& control : form_.controls) {
        if ((number == IDOK && control.isDefault) || (number == IDCANCEL && control.isCancel)) {
          number = control.id.number;
          break;
        }
      }
      Command(number, code);
      return 0;
    }
    // The window's keyboard navigation asks for it as a dialog would: an access key of a
    // label puts the focus on the label, then on to the field after it.
    case WM_NEXTDLGCTL: {
      const HWND next = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                            : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wParam != 0);
      if (next != nullptr) ::SetFocus(next);
      return 0;
    }
    case DM_GETDEFID:
      for (const ControlDesign& control : form_.controls) {
        if (control.isDefault) return MAKELRESULT(control.id.number, DC_HASDEFID);
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const auto picture = pictures_.find(static_cast<int>(item->CtlID));
      if (picture == pictures_.end()) break;
      DrawBitmap(*item, picture->second);
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return Colors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                    msg == WM_CTLCOLOREDIT);
    case WM_SETCURSOR:
      if (clickable_.count(::GetDlgCtrlID(reinterpret_cast<HWND>(wParam))) != 0 &&
          reinterpret_cast<HWND>(wParam) != hwnd_) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_PAINT:
      if (std::any_of(form_.controls.begin(), form_.controls.end(),
                      [](const ControlDesign& c) { return c.kind == ControlKind::Line; })) {
        PaintLines();
        return 0;
      }
      break;
    default:
      break;
  }
  return Default(msg, wParam, lParam);
}

LRESULT CALLBACK Win32Window::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR self) {
  auto* window = reinterpret_cast<Win32Window*>(self);
  const ControlDesign* design =
      msg == WM_GETOBJECT || msg == WM_GETDLGCODE || msg == WM_KEYDOWN || msg == WM_CHAR
          ? window->DesignOf(hwnd)
          : nullptr;
  if (design != nullptr && IsKeyHandler(design->on)) {
    // Enter belongs to the box, not to the window's keyboard navigation.
    if (AsksForEnter(msg, lParam)) {
      return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
    }
    if (window->Key(*design, msg, wParam)) return 0;
  }
  if (msg == WM_GETOBJECT) {
    if (design != nullptr) {
      // A button's caption is spoken without its access key's mark.
      std::wstring name = ToWide(AccessibleName(window->form_, *design));
      if (name.empty() && design->kind == ControlKind::Button) {
        name = ToWide(WithoutAccessKeys(FromWide(WindowTextOf(hwnd))));
      }
      const AccessibleValue value =
          design->kind == ControlKind::ProgressBar ? AccessibleValue::Percent
          : design->kind == ControlKind::ComboBox  ? AccessibleValue::WindowText
                                                   : AccessibleValue::Standard;
      if (const LRESULT answer =
              AnswerGetObject(hwnd, wParam, lParam, name, MsaaRole(RoleOf(*design)), value)) {
        return answer;
      }
    }
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &Win32Window::ControlProc, 0);
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // From here on nothing of this window reaches the object.
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->HandleMessage(msg, wParam, lParam);
}

}  // namespace framora::win32
