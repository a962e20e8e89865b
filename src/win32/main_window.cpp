#include "win32/main_window.h"

#include <commctrl.h>

#include <vector>

#include "main_window/main_form.h"
#include "main_window/main_window.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

using namespace main_form;

namespace {

int ShiftState() {
  int shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

}  // namespace

MainWindow::MainWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(main_form::Form(), registry),
      desktop_(Win32Desktop::ShellOpen{nullptr, "open", true}) {
  Build();
  desktop_.SetOwner(Handle());
  Clickable(Picture1);
  // Files from Explorer may be dropped on a field or anywhere else on the window.
  ::DragAcceptFiles(Handle(), TRUE);
  ::SetWindowSubclass(Control(Text4), &MainWindow::Text4Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  logic_ = std::make_unique<framora::MainWindowLogic>(
      *this, MainWindowPorts{*ctx.settings, *ctx.messages, *ctx.fileDialog, *ctx.files, desktop_,
                             *ctx.windows, ShellKind::Cmd, ctx.programs, ctx.ffmpegSearch});
}

MainWindow::~MainWindow() {
  if (const HWND text4 = Control(Text4)) ::RemoveWindowSubclass(text4, &MainWindow::Text4Proc, 0);
}

void MainWindow::Load() { logic_->Load(); }

void MainWindow::Command(int number, int code) {
  using Handler = void (framora::MainWindowLogic::*)();
  static const std::pair<ControlId, Handler> kHandlers[] = {
      {Command1, &framora::MainWindowLogic::Command1_Click},
      {Command2, &framora::MainWindowLogic::Command2_Click},
      {Command3, &framora::MainWindowLogic::Command3_Click},
      {Command4, &framora::MainWindowLogic::Command4_Click},
      {mnuHelp, &framora::MainWindowLogic::mnuHelp_Click},
      {mnuAbout, &framora::MainWindowLogic::mnuAbout_Click},
      {mnuDonate, &framora::MainWindowLogic::mnuDonate_Click},
      {mnuExit, &framora::MainWindowLogic::mnuExit_Click},
  };
  if (number == Picture1.number) {
    if (code == STN_CLICKED) logic_->LaunchConversion();
    return;
  }
  for (const auto& [control, handler] : kHandlers) {
    if (control.number == number) (logic_.get()->*handler)();
  }
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    return 0;
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
  const int number = below == Handle() || below == nullptr ? 0 : ::GetDlgCtrlID(below);
  logic_->FilesDropped({kWindow, number}, files);
}

LRESULT CALLBACK MainWindow::Text4Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
  auto* window = reinterpret_cast<MainWindow*>(self);
  // Enter belongs to the field, not to the window's keyboard navigation.
  if (AsksForEnter(msg, lParam))
    return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
  if (msg == WM_KEYDOWN) {
    window->logic_->Text4_KeyDown(static_cast<std::uint16_t>(wParam), ShiftState());
    // The key goes on to the field unchanged.
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace framora::win32
