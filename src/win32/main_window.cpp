#include "win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "app/identity.h"
#include "main_window/main_window.h"
#include "platform/win32/win32_text.h"
#include "win32/resource_ids.h"

namespace framora::win32 {

namespace {

HMENU MakeMenu() {
  const HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, ID_mnuHelp, L"&Help");
  ::AppendMenuW(file, MF_STRING, ID_mnuAbout, L"&About");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);  // mnuSpacer1
  ::AppendMenuW(file, MF_STRING, ID_mnuDonate, L"Donate");
  ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);  // mnuspacer2
  ::AppendMenuW(file, MF_STRING, ID_mnuExit, L"E&xit");
  const HMENU bar = ::CreateMenu();
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");  // mnuFile
  return bar;
}

HICON ProgramIcon(int metricX, int metricY) {
  return static_cast<HICON>(::LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_FRAMORA),
                                         IMAGE_ICON, ::GetSystemMetrics(metricX),
                                         ::GetSystemMetrics(metricY), LR_SHARED));
}

int ShiftState() {
  int shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

constexpr DWORD kButton = BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

}  // namespace

MainWindow::MainWindow(AppContext& ctx)
    : ctx_(ctx), desktop_(Win32Desktop::ShellOpen{nullptr, "open", true}) {
  Frame frame;
  frame.className = L"FramoraForm1";
  frame.caption = identity::kMainCaption;
  frame.style = WS_OVERLAPPEDWINDOW;
  frame.clientWidthTwips = 7725;
  frame.clientHeightTwips = 6600;
  frame.icon = ProgramIcon(SM_CXICON, SM_CYICON);
  frame.smallIcon = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
  frame.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frame.menu = MakeMenu();
  CreateFrame(frame);
  desktop_.SetOwner(Handle());
  // Files from Explorer may be dropped on a field or anywhere else on the window.
  ::DragAcceptFiles(Handle(), TRUE);

  // In tab order; labels take no focus.
  AddControl("Command1", L"BUTTON", "FFMPEG EXE LOCATION", kButton, 0, ID_Command1, 240, 240, 1575,
             975);
  AddControl("Text1", L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ID_Text1, 1920, 1680, 5415, 375);
  AddControl("Label1", L"STATIC", "FFMPEG  Executable location ", kLabel, 0, ID_Label1, 240, 1680,
             1455, 375);
  AddControl("Command2", L"BUTTON", "IMAGE FILE", kButton, 0, ID_Command2, 2040, 240, 1575, 975);
  AddControl("Command3", L"BUTTON", "AUDIO FILE", kButton, 0, ID_Command3, 3840, 240, 1575, 975);
  AddControl("Text2", L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ID_Text2, 1920, 2280, 5415, 375);
  AddControl("Label2", L"STATIC", "Image file location ", kLabel, 0, ID_Label2, 240, 2280, 1455,
             375);
  AddControl("Label3", L"STATIC", "Audio file  location ", kLabel, 0, ID_Label3, 240, 2760, 1455,
             375);
  AddControl("Text3", L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ID_Text3, 1920, 2760, 5415, 375);
  // The convert picture, drawn by this window at the box's top left corner.
  picture_ = LoadBitmapResource(IDB_EXECUTE);
  AddControl("Picture1", L"STATIC", "", SS_OWNERDRAW | SS_NOTIFY | WS_TABSTOP, 0, ID_Picture1, 3840,
             3600, 3735, 2655);
  AddControl("Label4", L"STATIC", "Save as file :>  (choose output)", kLabel, 0, ID_Label4, 240,
             3840, 2895, 375);
  const HWND text4 =
      AddControl("Text4", L"EDIT", "", kEdit, WS_EX_CLIENTEDGE, ID_Text4, 240, 4440, 3255, 495);
  ::SetWindowSubclass(text4, &MainWindow::Text4Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  AddControl("Command4", L"BUTTON", "Choose saveas filename output", kButton, 0, ID_Command4, 360,
             5520, 3135, 735);

  logic_ = std::make_unique<framora::MainWindow>(
      *this,
      MainWindowPorts{*ctx_.settings, *ctx_.messages, *ctx_.fileDialog, *ctx_.files, desktop_,
                      *ctx_.windows, ShellKind::Cmd, ctx_.programs, ctx_.ffmpegSearch});
}

MainWindow::~MainWindow() {
  if (const HWND text4 = Control("Text4")) ::RemoveWindowSubclass(text4, &MainWindow::Text4Proc, 0);
}

void MainWindow::Load() { logic_->Load(); }

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ID_Command1:
          logic_->Command1_Click();
          return 0;
        case ID_Command2:
          logic_->Command2_Click();
          return 0;
        case ID_Command3:
          logic_->Command3_Click();
          return 0;
        case ID_Command4:
          logic_->Command4_Click();
          return 0;
        case ID_Picture1:
          if (HIWORD(wParam) == STN_CLICKED) logic_->LaunchConversion();
          return 0;
        case ID_mnuHelp:
          logic_->mnuHelp_Click();
          return 0;
        case ID_mnuAbout:
          logic_->mnuAbout_Click();
          return 0;
        case ID_mnuDonate:
          logic_->mnuDonate_Click();
          return 0;
        case ID_mnuExit:
          logic_->mnuExit_Click();
          return 0;
        default:
          return 0;
      }
    case WM_DROPFILES:
      FilesDropped(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != ID_Picture1) break;
      DrawBitmap(*item, picture_);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control("Picture1")) {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

void MainWindow::FilesDropped(HDROP drop) {
  POINT at{};
  ::DragQueryPoint(drop, &at);  // in the client area
  const HWND below = ::ChildWindowFromPointEx(Handle(), at, CWP_SKIPINVISIBLE);
  std::vector<std::string> files;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    files.push_back(FromWide(name));
  }
  ::DragFinish(drop);
  logic_->FilesDropped(NameOf(below), files);
}

LRESULT CALLBACK MainWindow::Text4Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
  auto* window = reinterpret_cast<MainWindow*>(self);
  if (msg == WM_GETDLGCODE && lParam != 0 &&
      reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
      reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
    // Enter belongs to the field, not to the window's keyboard navigation.
    return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
  }
  if (msg == WM_KEYDOWN) {
    window->logic_->Text4_KeyDown(static_cast<std::uint16_t>(wParam), ShiftState());
    // The key goes on to the field unchanged.
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace framora::win32
