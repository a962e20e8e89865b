#include "app/window_registry.h"

#include <algorithm>
#include <stdexcept>

namespace framora {

namespace {
// A question asked modally is no window of the registry's: asking for one is refused at once.
std::size_t Index(WindowId id) {
  const auto index = static_cast<std::size_t>(id);
  if (index >= kWindowCount) throw std::out_of_range("a modal window is not kept by the registry");
  return index;
}
}  // namespace

WindowRegistry::~WindowRegistry() {
  for (auto& window : loaded_) window.reset();
  closed_.clear();
}

RegisteredWindow* WindowRegistry::Loaded(WindowId id) const { return loaded_[Index(id)].get(); }

bool WindowRegistry::IsLoaded(WindowId id) const { return Loaded(id) != nullptr; }

WindowView& WindowRegistry::Ref(WindowId id) {
  if (RegisteredWindow* window = Loaded(id)) return window->View();
  loaded_[Index(id)] = frontEnd_.make(id);
  RegisteredWindow& window = *loaded_[Index(id)];
  window.Load();
  // Its own load may have closed it again; the caller still gets a view to write into.
  return window.View();
}

void WindowRegistry::Show(WindowId id) {
  Ref(id);
  if (RegisteredWindow* window = Loaded(id)) window->ShowInFront();
}

void WindowRegistry::Closed(RegisteredWindow& window) {
  for (auto& slot : loaded_) {
    if (slot.get() == &window) closed_.push_back(std::move(slot));
  }
  ReapSoon();
  const bool anyLoaded =
      std::any_of(loaded_.begin(), loaded_.end(), [](const auto& w) { return w != nullptr; });
  if (!anyLoaded && !ending_) {
    ending_ = true;
    frontEnd_.quit();
  }
}

void WindowRegistry::ReapClosed() {
  std::erase_if(closed_, [](const auto& window) { return window->CanDestroyNow(); });
}

void WindowRegistry::EndProgram() {
  // Loops on the stack (a run in the console) see the end at their next yield and stop; the
  // main loop ends once they have returned. No window runs any closing step of its own.
  ending_ = true;
  for (auto& window : loaded_) {
    if (window) window->Hide();
  }
  frontEnd_.quit();
}

}  // namespace framora
