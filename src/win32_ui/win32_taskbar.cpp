#include "win32_ui/win32_taskbar.h"

#include <commctrl.h>

#include <cmath>

namespace framora::win32 {

namespace {

constexpr ULONGLONG kSteps = 1000;

// COM on the calling (user-interface) thread for as long as the program runs: the shell's
// object lives in this apartment.
bool ComReady() {
  static const bool ready = [] {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }();
  return ready;
}

ITaskbarList3* ShellTaskbarList() {
  if (!ComReady()) return nullptr;
  ITaskbarList3* list = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))) ||
      list == nullptr) {
    return nullptr;
  }
  if (FAILED(list->HrInit())) {
    list->Release();
    return nullptr;
  }
  return list;
}

}  // namespace

Win32TaskbarProgress::Win32TaskbarProgress() : Win32TaskbarProgress(&ShellTaskbarList) {}

Win32TaskbarProgress::Win32TaskbarProgress(Factory factory) : factory_(std::move(factory)) {}

Win32TaskbarProgress::~Win32TaskbarProgress() {
  ClearProgress();
  if (window_ != nullptr) ::RemoveWindowSubclass(window_, &WatchProc, 0);
  Release();
}

UINT Win32TaskbarProgress::ButtonCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

void Win32TaskbarProgress::Attach(HWND window) {
  if (window == nullptr || window_ != nullptr) return;
  window_ = window;
  ::SetWindowSubclass(window, &WatchProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void Win32TaskbarProgress::ButtonCreated() {
  Release();
  list_ = factory_ ? factory_() : nullptr;
}

void Win32TaskbarProgress::Release() {
  if (list_ != nullptr) list_->Release();
  list_ = nullptr;
  shown_ = false;
}

void Win32TaskbarProgress::ShowProgress(double fraction) {
  if (list_ == nullptr) return;
  if (!shown_) list_->SetProgressState(window_, TBPF_NORMAL);
  const auto done = static_cast<ULONGLONG>(std::lround(fraction * kSteps));
  list_->SetProgressValue(window_, done, kSteps);
  shown_ = true;
}

void Win32TaskbarProgress::ClearProgress() {
  if (list_ == nullptr || !shown_) return;
  list_->SetProgressState(window_, TBPF_NOPROGRESS);
  shown_ = false;
}

LRESULT CALLBACK Win32TaskbarProgress::WatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR /*id*/, DWORD_PTR self) {
  auto* that = reinterpret_cast<Win32TaskbarProgress*>(self);
  if (msg == ButtonCreatedMessage()) {
    that->ButtonCreated();
  } else if (msg == WM_NCDESTROY) {
    // The button goes with the window.
    ::RemoveWindowSubclass(hwnd, &WatchProc, 0);
    that->Release();
    that->window_ = nullptr;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace framora::win32
