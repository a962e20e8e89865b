// How the window logic reaches the windows of the front-end.
//
// Every window exists at most once. Referring to a window that is not loaded creates it and
// runs its load steps before the caller goes on; closing a window destroys it, and the next
// reference loads it afresh (see app/window_registry.h, which keeps that promise for both
// front-ends).
#pragma once

#include <functional>
#include <string>

namespace framora {

// The windows the registry keeps come first (kWindowCount of them); a question asked modally
// through the ModalPort below is not one of them.
enum class WindowId { Form1, frmReadOutput, frmAbout, frmDonate, frmSongsQuestion, frmQueueDone };
inline constexpr int kWindowCount = 4;

// One control of one window: its window and its number there. Number 0 is the window itself,
// whose text is its caption. Each window's description names its controls (main_form.h,
// console_form.h, about_form.h, donate_form.h, songs_question_form.h), so that a misspelt
// control does not compile.
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
  // Shows or hides a control (not the window itself); a hidden control takes no click, key or
  // focus. A view whose controls never hide may leave it.
  virtual void SetVisible(ControlId /*control*/, bool /*visible*/) {}
  // Lets the user use a control, or not (it shows greyed); a view whose controls are always
  // enabled may leave it.
  virtual void SetEnabled(ControlId /*control*/, bool /*enabled*/) {}
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

struct FormDesign;
struct EventTarget;

// Asks the user something in a window of its own, over the window the user is working in.
class ModalPort {
 public:
  // Makes the window's logic for the built window and gives it as EventTarget (see form.h).
  using MakeLogic = std::function<EventTarget(WindowView&, WindowFrame&)>;
  virtual ~ModalPort() = default;
  // Builds a window from `form` as every window is built, makes its logic, runs its load steps
  // and shows it modally over the active window: the program's other windows take no input
  // until it has closed (by its logic, its close box or the program's end), and then it
  // returns, the window gone.
  virtual void RunModal(const FormDesign& form, const MakeLogic& make) = 0;
};

}  // namespace framora
