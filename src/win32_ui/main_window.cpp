#include "win32_ui/main_window.h"

#include <vector>

#include "app/text.h"
#include "main_window/main_form.h"
#include "main_window/main_window.h"

namespace framora::win32 {

Win32MainWindow::Win32MainWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(main_form::Form(), registry),
      desktop_(Win32Desktop::ShellOpen{nullptr, "open", true}),
      logic_(std::make_unique<framora::MainWindowLogic>(
          *this, MainWindowPorts{*ctx.settings, *ctx.messages, *ctx.fileDialog, *ctx.files,
                                 desktop_, *ctx.windows, ShellKind::Cmd, ctx.programs,
                                 ctx.ffmpegSearch, ctx.desk, ctx.modal})) {
  Build(TargetOf(*logic_));
  desktop_.SetOwner(Handle());
  // Files from Explorer may be dropped on a field or anywhere else on the window.
  ::DragAcceptFiles(Handle(), TRUE);
}

Win32MainWindow::~Win32MainWindow() = default;

LRESULT Win32MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return Win32Window::HandleMessage(msg, wParam, lParam);
}

void Win32MainWindow::FilesDropped(HDROP drop) {
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
  logic_->FilesDropped({main_form::kWindow, number}, files);
}

}  // namespace framora::win32
