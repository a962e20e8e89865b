// Base of every window of the Win32 front-end: builds the window from its description (class,
// caption, client size in twips, border, icon, background, menu, and every control with its
// kind, text, place, font and colours, in tab order), paints its pictures and lines, colours
// its controls, runs the handler each row names on its event (a click, a menu command, keys in
// a text box, the user's change of a text box's text or of a drop-down list's choice, the
// window's load and closing), gives the core its controls by their ids, and tells the window
// registry when it has been closed. A window adds only what is its own (drops, the pane's
// RichEdit). The window procedure finds its object through GWLP_USERDATA.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/window_registry.h"
#include "win32_ui/win32_api.h"

namespace framora::win32 {

// A GDI object (font, bitmap, brush) deleted with its owner.
struct GdiDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

class Win32Window : public WindowView, public WindowFrame, public RegisteredWindow {
 public:
  // registry: where the window reports its closing; none for a window of its own (tests).
  Win32Window(const FormDesign& form, WindowRegistry* registry);
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  HWND Handle() const { return hwnd_; }
  const FormDesign& Form() const { return form_; }
  HWND Control(ControlId control) const;

  // RegisteredWindow: the window's own load steps are its description's.
  WindowView& View() override { return *this; }
  void Load() override;
  void ShowInFront() override;
  void Hide() override;
  // Not while one of its handlers is on the stack (a run in the console may be).
  bool CanDestroyNow() override { return running_ == 0; }
  // WindowFrame.
  void CloseWindow() override { Close(); }
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }
  // The window's keyboard navigation (Tab, access keys, Enter and Esc); true when handled.
  bool PreTranslate(MSG& msg);

  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;
  void SetEnabled(ControlId control, bool enabled) override;
  void SetFocus(ControlId control) override;
  void SetVisible(ControlId control, bool visible) override;

  // Pixels for twips (1440 per inch) at the display's real dots per inch.
  static int TwipsX(int twips);
  static int TwipsY(int twips);

 protected:
  // Creates the window and its controls and wires their events to `target`, the window's logic
  // (of the class its description is for); a window calls it once its own parts exist. A window
  // with an owner stays above it and has no button of its own in the task bar.
  void Build(EventTarget target, HWND owner = nullptr);
  // Runs a handler of the logic; gives the key to pass on. Nothing runs once the window is
  // closed (a click still queued), and a window closed meanwhile goes once the last returns.
  int Fire(const EventHandler& handler, int key = 0, int shift = 0);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Closing by any means: unloads the window; destroys it now or once CanDestroyNow().
  virtual void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Every control's own messages pass here first: what it is, for screen readers.
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
  // A command of a control or menu item, by its number; a change of a text box's text.
  void Command(int number, int code);
  // A key in a text box whose row names a key handler; true when the key was swallowed.
  bool Key(const ControlDesign& control, UINT msg, WPARAM& key);
  void CreateFrame(HWND owner);
  HMENU MakeMenu() const;
  void MakeControl(const ControlDesign& control);
  HFONT MakeFont(const FontDesign& font);
  static int TextWidth(HWND control, HFONT font, std::string_view text);
  HBRUSH Brush(FormColor color);
  const ControlDesign* DesignOf(HWND control) const;
  LRESULT Colors(HDC dc, HWND control, bool edit);
  void PaintLines();
  // A drop-down list's chosen item; a progress bar shown as the core's text says.
  static std::string ChosenItem(HWND list);
  static void ShowBar(HWND bar, const std::string& text);

  const FormDesign& form_;
  WindowRegistry* registry_;
  HWND hwnd_ = nullptr;
  std::map<int, HBITMAP> pictures_;
  std::map<FormColor, HBRUSH> brushes_;
  std::set<int> clickable_;
  std::vector<GdiObject> gdiObjects_;
  EventTarget target_;
  int running_ = 0;           // handlers on the stack
  bool settingText_ = false;  // SetText is changing a control's text
  bool closed_ = false;
};

// The program's module, for its resources and window classes.
HINSTANCE ProgramInstance();

// A colour of a description as GDI takes it.
COLORREF ToColorRef(FormColor color);

}  // namespace framora::win32
