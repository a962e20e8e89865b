// The yield of the runner's read loop: every window message already queued for this thread is
// handled, then control returns. WM_QUIT means the program is ending: it is put back for the
// main loop, and from then on every yield answers false.
#pragma once

#include "win32_ui/win32_api.h"

#include <functional>

#include "app/ports.h"

namespace framora::win32 {

class Win32Yield : public YieldPort {
 public:
  // preTranslate sees each message first (the windows' keyboard navigation); true means it
  // was handled there and is not dispatched.
  explicit Win32Yield(std::function<bool(MSG&)> preTranslate = {})
      : preTranslate_(std::move(preTranslate)) {}

  bool Yield() override;

  // The main loop and the window manager agree with the yield about the end of the program.
  void SetEnding() { ending_ = true; }
  bool Ending() const { return ending_; }

 private:
  std::function<bool(MSG&)> preTranslate_;
  bool ending_ = false;
};

}  // namespace framora::win32
