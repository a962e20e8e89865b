#include "win32/window_manager.h"

#include <algorithm>

namespace framora::win32 {

namespace {
std::size_t Index(WindowId id) { return static_cast<std::size_t>(id); }
}  // namespace

Win32WindowManager::~Win32WindowManager() {
  // Windows go before the factory's context they point into.
  for (auto& window : windows_) window.reset();
  closed_.clear();
}

Win32Window* Win32WindowManager::Loaded(WindowId id) const {
  Win32Window* window = windows_[Index(id)].get();
  return window != nullptr && !window->IsClosed() ? window : nullptr;
}

bool Win32WindowManager::IsLoaded(WindowId id) const { return Loaded(id) != nullptr; }

WindowView& Win32WindowManager::Ref(WindowId id) {
  if (Win32Window* window = Loaded(id)) return *window;
  std::unique_ptr<Win32Window> created = factory_(id);
  Win32Window& window = *created;
  window.SetOnClosed([this](Win32Window& closed) { Closed(closed); });
  windows_[Index(id)] = std::move(created);
  window.Load();
  return window;
}

void Win32WindowManager::Show(WindowId id) {
  Ref(id);
  if (Win32Window* window = Loaded(id)) window->ShowModeless();  // unless its load closed it
}

void Win32WindowManager::Closed(Win32Window& window) {
  for (auto& slot : windows_) {
    if (slot.get() == &window) closed_.push_back(std::move(slot));
  }
  const bool anyLoaded = std::any_of(windows_.begin(), windows_.end(),
                                     [](const auto& w) { return w && !w->IsClosed(); });
  if (!anyLoaded && !ending_) {
    ending_ = true;
    ::PostQuitMessage(0);
  }
}

void Win32WindowManager::EndProgram() {
  // Nested loops (a run in the console) see the quit message at their next yield and stop;
  // the main loop ends once they have returned. No window runs any closing step of its own.
  ending_ = true;
  for (auto& window : windows_) {
    if (window && window->Handle() != nullptr) ::ShowWindow(window->Handle(), SW_HIDE);
  }
  ::PostQuitMessage(0);
}

bool Win32WindowManager::PreTranslate(MSG& msg) {
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr) return false;
  for (auto& window : windows_) {
    if (window && !window->IsClosed() && window->Handle() == root) return window->PreTranslate(msg);
  }
  return false;
}

void Win32WindowManager::ReapClosed() {
  std::erase_if(closed_, [](const auto& window) { return window->CanDestroyNow(); });
}

}  // namespace framora::win32
