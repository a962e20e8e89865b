// Base of every window of the Win32 front-end: builds the window from its description (class,
// caption, client size in twips, border, icon, background, menu, and every control with its
// kind, text, place, font and colours, in tab order), paints its pictures and lines, colours
// its controls, gives the core its controls by their ids, and tells the window registry when
// it has been closed. A window adds only its behaviour. The window procedure finds its object
// through GWLP_USERDATA.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/window_registry.h"
#include "platform/win32/windows_api.h"

namespace framora::win32 {

// A GDI object (font, bitmap, brush) deleted with its owner.
struct GdiDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

class Win32Window : public WindowView, public RegisteredWindow {
 public:
  // registry: where the window reports its closing; none for a window of its own (tests).
  Win32Window(const FormDesign& form, WindowRegistry* registry);
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  HWND Handle() const { return hwnd_; }
  const FormDesign& Form() const { return form_; }
  HWND Control(ControlId control) const;

  // RegisteredWindow: the window's own load steps are Load().
  WindowView& View() override { return *this; }
  void Load() override {}
  void ShowInFront() override;
  void Hide() override;
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }
  // The window's keyboard navigation (Tab, access keys, Enter and Esc); true when handled.
  bool PreTranslate(MSG& msg);

  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;
  void SetFocus(ControlId control) override;

  // Pixels for twips (1440 per inch) at the display's real dots per inch.
  static int TwipsX(int twips);
  static int TwipsY(int twips);

 protected:
  // Creates the window and its controls; a window calls it once its own parts exist.
  void Build();
  // A command of a control or menu item (BN_CLICKED, STN_CLICKED, ...), by its number.
  virtual void Command(int /*number*/, int /*code*/) {}
  // Shows the hand over a control that reacts to clicks.
  void Clickable(ControlId control) { clickable_.insert(control.number); }
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Closing by any means: unloads the window; destroys it now or once CanDestroyNow().
  virtual void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Every control's own messages pass here first: what it is, for screen readers.
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
  void CreateFrame();
  HMENU MakeMenu() const;
  void MakeControl(const ControlDesign& control);
  HFONT MakeFont(const FontDesign& font);
  HBRUSH Brush(FormColor color);
  const ControlDesign* DesignOf(HWND control) const;
  LRESULT Colors(HDC dc, HWND control, bool edit);
  void PaintLines();

  const FormDesign& form_;
  WindowRegistry* registry_;
  HWND hwnd_ = nullptr;
  std::map<int, HBITMAP> pictures_;
  std::map<FormColor, HBRUSH> brushes_;
  std::set<int> clickable_;
  std::vector<GdiObject> gdiObjects_;
  bool closed_ = false;
};

// A box that takes Enter itself is asked, by the window's keyboard navigation, whether it
// wants this key: true when the question is about Enter.
inline bool AsksForEnter(UINT msg, LPARAM lParam) {
  const auto* asked = reinterpret_cast<const MSG*>(lParam);
  return msg == WM_GETDLGCODE && asked != nullptr && asked->message == WM_KEYDOWN &&
         asked->wParam == VK_RETURN;
}

// The program's module, for its resources and window classes.
HINSTANCE ProgramInstance();

// A colour of a description as GDI takes it.
COLORREF ToColorRef(FormColor color);

}  // namespace framora::win32
