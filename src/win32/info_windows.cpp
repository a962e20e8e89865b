#include "win32/info_windows.h"

#include "info/about.h"
#include "info/donate.h"
#include "info/sys_info.h"
#include "win32/resource_ids.h"

namespace framora::win32 {

namespace {

HICON ProgramIcon(int metricX, int metricY) {
  return static_cast<HICON>(::LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_FRAMORA),
                                         IMAGE_ICON, ::GetSystemMetrics(metricX),
                                         ::GetSystemMetrics(metricY), LR_SHARED));
}

// A fixed dialog frame: not resizable, no minimize and no maximize box.
constexpr DWORD kDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

// Labels show on the window's face; some in a colour of their own.
LRESULT LabelColors(HDC dc, COLORREF text) {
  ::SetTextColor(dc, text);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void HorizontalLine(HDC dc, int fromX, int toX, int y, int width, COLORREF color) {
  const HPEN pen = ::CreatePen(PS_INSIDEFRAME, width, color);
  const HGDIOBJ old = ::SelectObject(dc, pen);
  for (int row = 0; row < width; ++row) {
    ::MoveToEx(dc, fromX, y + row, nullptr);
    ::LineTo(dc, toX, y + row);
  }
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

}  // namespace

AboutWindow::AboutWindow(AppContext& ctx)
    : ctx_(ctx), desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}) {
  Frame frame;
  frame.className = L"FramoraAbout";
  frame.caption = kAboutStoredCaption;
  frame.style = kDialogStyle;
  frame.exStyle = kDialogExStyle;
  frame.clientWidthTwips = 5730;
  frame.clientHeightTwips = 3555;
  frame.icon = ProgramIcon(SM_CXICON, SM_CYICON);
  frame.smallIcon = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
  frame.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  CreateFrame(frame);
  desktop_.SetOwner(Handle());

  // Focus order cmdOK, picIcon, cmdSysInfo; the labels take none.
  AddControl("cmdOK", L"BUTTON", kAboutOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, ID_cmdOK, 4245, 2625,
             1260, 345);
  logo_ = LoadBitmapResource(IDB_ABOUT_LOGO);
  const HWND picIcon = AddControl("picIcon", L"STATIC", "", SS_OWNERDRAW | WS_TABSTOP, 0,
                                  ID_picIcon, 120, 120, 675, 675);
  if (logo_ != nullptr) {  // the box takes its picture's size
    BITMAP info{};
    ::GetObjectW(logo_, sizeof info, &info);
    ::SetWindowPos(picIcon, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
  }
  AddControl("cmdSysInfo", L"BUTTON", kAboutSysInfo, BS_PUSHBUTTON | WS_TABSTOP, 0, ID_cmdSysInfo,
             4260, 3075, 1245, 345);
  AddControl("lblDescription", L"STATIC", kAboutStoredDescription, kLabel, 0, ID_lblDescription,
             1050, 1125, 3885, 1170);
  AddControl("lblDisclaimer", L"STATIC", kAboutDisclaimer, kLabel, 0, ID_lblDisclaimer, 255, 2625,
             1350, 345);
  AddControl("lblTitle", L"STATIC", kAboutStoredTitle, kLabel, 0, ID_lblTitle, 1050, 240, 3885,
             480);
  AddControl("lblVersion", L"STATIC", kAboutStoredVersion, kLabel, 0, ID_lblVersion, 1050, 780,
             3885, 225);
  const HWND link = AddControl("Label1", L"STATIC", HomeLinkText(), kLabel | SS_NOTIFY, 0,
                               ID_AboutLabel1, 1680, 2640, 1455, 255);
  ::SendMessageW(link, WM_SETFONT,
                 reinterpret_cast<WPARAM>(MakeFont(L"MS Sans Serif", 8.25, false, true)), FALSE);
  ::SetFocus(Control("cmdOK"));
}

void AboutWindow::Load() { LoadAbout(*this); }

LRESULT AboutWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:      // cmdOK, and Enter
        case IDCANCEL:  // Esc
          Close();
          return 0;
        case ID_cmdSysInfo:
          StartSysInfo(*ctx_.registry, *ctx_.files, desktop_, *ctx_.messages);
          return 0;
        case ID_AboutLabel1:
          if (HIWORD(wParam) == STN_CLICKED) OpenHomePage(desktop_);
          return 0;
        default:
          return 0;
      }
    case DM_GETDEFID:
      return MAKELRESULT(ID_cmdOK, DC_HASDEFID);
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != ID_picIcon) break;
      DrawBitmap(*item, logo_);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const auto dc = reinterpret_cast<HDC>(wParam);
      if (control == Control("Label1")) return LabelColors(dc, RGB(0, 0, 255));
      if (control == Control("lblVersion")) return LabelColors(dc, ::GetSysColor(COLOR_BTNTEXT));
      return LabelColors(dc, RGB(0, 0, 0));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control("Label1")) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_PAINT: {
      // The etched separator: a grey line with a white one just below it.
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(Handle(), &paint);
      HorizontalLine(dc, TwipsX(90), TwipsX(5654), TwipsY(2445), 1, RGB(128, 128, 128));
      HorizontalLine(dc, TwipsX(105), TwipsX(5654), TwipsY(2460), 2, RGB(255, 255, 255));
      ::EndPaint(Handle(), &paint);
      return 0;
    }
    default:
      break;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

DonateWindow::DonateWindow(AppContext& ctx)
    : ctx_(ctx), desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}) {
  Frame frame;
  frame.className = L"FramoraDonate";
  frame.caption = kDonateCaption;
  frame.style = kDialogStyle;
  frame.exStyle = kDialogExStyle;
  frame.clientWidthTwips = 8310;
  frame.clientHeightTwips = 2805;
  frame.icon = ProgramIcon(SM_CXICON, SM_CYICON);
  frame.smallIcon = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
  frame.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  CreateFrame(frame);
  desktop_.SetOwner(Handle());

  const HWND label = AddControl("Label1", L"STATIC", kDonateAppeal, kLabel, 0, ID_DonateLabel1, 360,
                                240, 7575, 1335);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(MakeFont(L"MS Sans Serif", 12)),
                 FALSE);
  picture_ = LoadBitmapResource(IDB_DONATE);
  AddControl("Image1", L"STATIC", "", SS_OWNERDRAW | SS_NOTIFY, 0, ID_Image1, 5280, 1800, 2685,
             765);
}

LRESULT DonateWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_Image1 && HIWORD(wParam) == STN_CLICKED) {
        OpenDonationPage(desktop_);
      }
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != ID_Image1) break;
      DrawBitmap(*item, picture_);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      return LabelColors(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNTEXT));
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control("Image1")) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace framora::win32
