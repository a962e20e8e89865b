#include "win32_ui/modal_window.h"

#include "app/form.h"

namespace framora::win32 {

ModalWindow::ModalWindow(const FormDesign& form, const ModalPort::MakeLogic& make, HWND owner)
    : Win32Window(form, nullptr), owner_(owner) {
  Build(make(*this, *this), owner);
}

void ModalWindow::Exec() {
  const HWND focused = ::GetFocus();  // where the user was, to go back to
  Load();
  if (IsClosed() || Handle() == nullptr) return;  // its own load may have closed it
  RECT over{};
  if (owner_ == nullptr || !::GetWindowRect(owner_, &over)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  }
  RECT own{};
  ::GetWindowRect(Handle(), &own);
  ::SetWindowPos(Handle(), nullptr, (over.left + over.right - (own.right - own.left)) / 2,
                 (over.top + over.bottom - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  others_.emplace(Handle());  // the owner too: no system dialog holds it off for us
  ShowInFront();
  SetFocus(FocusOrder(Form()).front()->id);
  MSG msg{};
  while (!IsClosed()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
    if (got <= 0) break;
    if (!PreTranslate(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  Close();
  if (::IsWindow(focused)) ::SetFocus(focused);
}

void ModalWindow::Close() {
  others_.reset();
  Win32Window::Close();
}

void Win32Modal::RunModal(const FormDesign& form, const MakeLogic& make) {
  ModalWindow window(form, make, ::GetActiveWindow());
  window.Exec();
}

}  // namespace framora::win32
