// How the window logic reaches the windows of the front-end.
//
// Every window exists at most once. Referring to a window that is not loaded creates it and
// runs its load steps before the caller goes on; closing a window destroys it, and the next
// reference loads it afresh. The front-end's WindowManager keeps that promise.
#pragma once

#include <string>
#include <string_view>

namespace framora {

enum class WindowId { Form1, frmReadOutput, frmAbout, frmDonate };

// Access to one window's controls by their names ("Text1", "lblVersion", ...). The empty
// name stands for the window itself, whose text is its caption.
class WindowView {
 public:
  virtual ~WindowView() = default;
  virtual std::string Text(std::string_view control) const = 0;
  virtual void SetText(std::string_view control, const std::string& text) = 0;
  virtual void SetFocus(std::string_view control) = 0;
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
