// Keeps every window at most once, loads it on first reference, and ends the program when the
// last loaded window has closed. A closed window is unloaded at once; its object goes once
// nothing of it is on the stack any more (see ReapClosed).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/windows.h"
#include "win32/win32_window.h"

namespace framora::win32 {

class Win32WindowManager : public WindowManager {
 public:
  using Factory = std::function<std::unique_ptr<Win32Window>(WindowId)>;
  explicit Win32WindowManager(Factory factory) : factory_(std::move(factory)) {}
  ~Win32WindowManager() override;

  WindowView& Ref(WindowId id) override;
  void Show(WindowId id) override;
  bool IsLoaded(WindowId id) const override;
  void EndProgram() override;

  Win32Window* Loaded(WindowId id) const;
  // Keyboard navigation of the window that the message is for.
  bool PreTranslate(MSG& msg);
  // Drops closed windows that may go now; the main loop calls it between messages.
  void ReapClosed();

 private:
  void Closed(Win32Window& window);

  Factory factory_;
  std::array<std::unique_ptr<Win32Window>, 4> windows_;
  std::vector<std::unique_ptr<Win32Window>> closed_;
  bool ending_ = false;
};

}  // namespace framora::win32
