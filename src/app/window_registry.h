// Every window at most once, the rule both front-ends share. A window is made and loaded on its
// first reference; closing it unloads it at once, and it is destroyed as soon as nothing of it
// is on the stack any more (a run in the console may be); the next reference makes a fresh
// one. The program ends when its last loaded window has closed, or at once on EndProgram.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/windows.h"

namespace framora {

// What the registry needs of a window of a front-end.
class RegisteredWindow {
 public:
  virtual ~RegisteredWindow() = default;
  virtual WindowView& View() = 0;
  // The window's own load steps, run once, right after it is made.
  virtual void Load() = 0;
  // Shows it modeless and brings it to the front.
  virtual void ShowInFront() = 0;
  virtual void Hide() = 0;
  // False while something of the window is still on the stack (a run of its own).
  virtual bool CanDestroyNow() { return true; }
};

class WindowRegistry : public WindowManager {
 public:
  // What differs between the front-ends.
  struct FrontEnd {
    // Makes a window; its closing must reach Closed().
    std::function<std::unique_ptr<RegisteredWindow>(WindowId)> make;
    // Ends the program's main loop once the handlers on the stack have returned.
    std::function<void()> quit;
    // Asks for ReapClosed() of this registry from the main loop soon (empty if the main loop
    // reaps after every message anyway).
    std::function<void(WindowRegistry&)> reapSoon;
  };

  explicit WindowRegistry(FrontEnd frontEnd) : frontEnd_(std::move(frontEnd)) {}
  ~WindowRegistry() override;
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  WindowView& Ref(WindowId id) override;
  void Show(WindowId id) override;
  bool IsLoaded(WindowId id) const override;
  void EndProgram() override;

  // The window if it is loaded; nothing otherwise.
  RegisteredWindow* Loaded(WindowId id) const;
  // True once the program is ending: loops on the stack must stop.
  bool Ending() const { return ending_; }

  // The window has been closed, by whatever means: it counts as unloaded from now on.
  void Closed(RegisteredWindow& window);
  // Destroys the closed windows that may go now.
  void ReapClosed();
  // Asks the front-end for ReapClosed() soon: a closed window's run has just returned.
  void ReapSoon() {
    if (frontEnd_.reapSoon) frontEnd_.reapSoon(*this);
  }

 private:
  FrontEnd frontEnd_;
  std::array<std::unique_ptr<RegisteredWindow>, kWindowCount> loaded_;
  std::vector<std::unique_ptr<RegisteredWindow>> closed_;
  bool ending_ = false;
};

}  // namespace framora
