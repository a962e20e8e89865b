// How the window logic reaches the windows of the front-end.
//
// Every window exists at most once. Referring to a window that is not loaded creates it and
// runs its load steps before the caller goes on; closing a window destroys it, and the next
// reference loads it afresh (see app/window_registry.h, which keeps that promise for both
// front-ends).
#pragma once

#include <string>

namespace framora {

enum class WindowId { Form1, frmReadOutput, frmAbout, frmDonate };
inline constexpr int kWindowCount = 4;

// One control of one window: its window and its number there. Number 0 is the window itself,
// whose text is its caption. Each window's description names its controls (main_form.h,
// console_form.h, about_form.h, donate_form.h), so that a misspelt control does not compile.
struct ControlId {
  WindowId window;
  int number;
  friend constexpr bool operator==(ControlId, ControlId) = default;
};

constexpr ControlId WindowItself(WindowId window) { return {window, 0}; }

// Access to one window's controls.
class WindowView {
 public:
  virtual ~WindowView() = default;
  virtual std::string Text(ControlId control) const = 0;
  virtual void SetText(ControlId control, const std::string& text) = 0;
  virtual void SetFocus(ControlId control) = 0;
};

// What a window's logic may do to its own window besides its controls.
class WindowFrame {
 public:
  virtual ~WindowFrame() = default;
  // Closes and unloads it, as its close box does.
  virtual void CloseWindow() = 0;
};

class WindowManager {
 public:
  virtual ~WindowManager() = default;
  // The window, loaded first when it is not loaded.
  virtual WindowView& Ref(WindowId id) = 0;
  // Shows the window modeless and without owner (loading it first); an open window comes to
  // the front.
  virtual void Show(WindowId id) = 0;
  virtual bool IsLoaded(WindowId id) const = 0;
  // Unloads the main window and ends the program at once; other windows go with it.
  virtual void EndProgram() = 0;
};

}  // namespace framora
