#include "win32_ui/win32_yield.h"

namespace framora::win32 {

bool Win32Yield::Yield() {
  if (ending_) return false;
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ending_ = true;
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (preTranslate_ && preTranslate_(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    if (ending_) return false;
  }
  return true;
}

}  // namespace framora::win32
