#include "win32/win32_window.h"

#include "platform/win32/win32_text.h"

namespace framora::win32 {

void DrawBitmap(const DRAWITEMSTRUCT& item, HBITMAP bitmap) {
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  if (bitmap == nullptr) return;
  const HDC memory = ::CreateCompatibleDC(item.hDC);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  BITMAP info{};
  ::GetObjectW(bitmap, sizeof info, &info);
  ::BitBlt(item.hDC, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

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

}  // namespace

HINSTANCE ProgramInstance() { return ::GetModuleHandleW(nullptr); }

int Win32Window::TwipsX(int twips) { return ::MulDiv(twips, Dpi(LOGPIXELSX), 1440); }
int Win32Window::TwipsY(int twips) { return ::MulDiv(twips, Dpi(LOGPIXELSY), 1440); }

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

void Win32Window::CreateFrame(const Frame& frame) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExW(ProgramInstance(), frame.className, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Window::WindowProc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = frame.background;
    wc.hIcon = frame.icon;
    wc.hIconSm = frame.smallIcon;
    wc.lpszClassName = frame.className;
    ::RegisterClassExW(&wc);
  }
  RECT rect{0, 0, TwipsX(frame.clientWidthTwips), TwipsY(frame.clientHeightTwips)};
  ::AdjustWindowRectEx(&rect, frame.style, frame.menu != nullptr, frame.exStyle);
  ::CreateWindowExW(frame.exStyle, frame.className, ToWide(frame.caption).c_str(), frame.style,
                    CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top,
                    nullptr, frame.menu, ProgramInstance(), this);
  // A menu bar that wraps onto a second line takes client height: give it back.
  if (hwnd_ != nullptr && frame.menu != nullptr) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int missing = TwipsY(frame.clientHeightTwips) - client.bottom;
    if (missing > 0) {
      RECT window{};
      ::GetWindowRect(hwnd_, &window);
      ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top + missing, SWP_NOMOVE | SWP_NOZORDER);
    }
  }
}

HWND Win32Window::AddControl(const char* name, const wchar_t* windowClass, const std::string& text,
                             DWORD style, DWORD exStyle, int id, int left, int top, int width,
                             int height) {
  const HWND control = ::CreateWindowExW(
      exStyle, windowClass, ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, TwipsX(left),
      TwipsY(top), TwipsX(width), TwipsY(height), hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
  // No font is set: every control uses the platform's default dialog font.
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  controls_[name] = control;
  return control;
}

HWND Win32Window::Control(std::string_view name) const {
  if (name.empty()) return hwnd_;
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

std::string Win32Window::NameOf(HWND control) const {
  for (const auto& [name, hwnd] : controls_) {
    if (hwnd == control) return name;
  }
  return {};
}

HFONT Win32Window::MakeFont(const wchar_t* face, double points, bool bold, bool underline) {
  const int height = -static_cast<int>(points * Dpi(LOGPIXELSY) / 72.0 + 0.5);
  const HFONT font = ::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
  gdiObjects_.emplace_back(font);
  return font;
}

HBITMAP Win32Window::LoadBitmapResource(int id) {
  const auto bitmap = static_cast<HBITMAP>(
      ::LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (bitmap != nullptr) gdiObjects_.emplace_back(bitmap);
  return bitmap;
}

void Win32Window::ShowModeless() {
  if (hwnd_ == nullptr) return;
  ::ShowWindow(hwnd_, SW_SHOW);
  ::BringWindowToTop(hwnd_);
  ::SetForegroundWindow(hwnd_);
}

bool Win32Window::PreTranslate(MSG& msg) {
  return hwnd_ != nullptr && ::IsDialogMessageW(hwnd_, &msg);
}

std::string Win32Window::Text(std::string_view control) const {
  const HWND hwnd = Control(control);
  return hwnd != nullptr ? FromWide(WindowTextOf(hwnd)) : std::string();
}

void Win32Window::SetText(std::string_view control, const std::string& text) {
  if (const HWND hwnd = Control(control)) ::SetWindowTextW(hwnd, ToWide(text).c_str());
}

void Win32Window::SetFocus(std::string_view control) {
  if (const HWND hwnd = Control(control)) ::SetFocus(hwnd);
}

void Win32Window::Close() {
  if (closed_) return;
  closed_ = true;
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, SW_HIDE);
  if (CanDestroyNow() && hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  // Last: the manager may end the program or drop this object once its window is gone.
  if (onClosed_) onClosed_(*this);
}

LRESULT Win32Window::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Win32Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    Close();
    return 0;
  }
  return Default(msg, wParam, lParam);
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
    self->controls_.clear();
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->HandleMessage(msg, wParam, lParam);
}

}  // namespace framora::win32
