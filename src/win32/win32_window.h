// Base of every window of the Win32 front-end: creates the window and its standard controls
// at their twip positions, gives the core access to the controls by their names, and tells
// the window manager when the window has been closed. The window procedure finds its object
// through GWLP_USERDATA.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/windows.h"
#include "platform/win32/windows_api.h"

namespace framora::win32 {

// A GDI object (font, bitmap, brush) deleted with its owner.
struct GdiDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

// Paints a picture control: the window face, then the bitmap at its own size.
void DrawBitmap(const DRAWITEMSTRUCT& item, HBITMAP bitmap);

class Win32Window : public WindowView {
 public:
  Win32Window() = default;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  HWND Handle() const { return hwnd_; }
  // The window's own load steps; the manager runs them once, right after creation.
  virtual void Load() {}
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }
  // A window may delay its destruction (a run still on the stack); default: destroy now.
  virtual bool CanDestroyNow() { return true; }
  void SetOnClosed(std::function<void(Win32Window&)> onClosed) { onClosed_ = std::move(onClosed); }

  // Shows the window modeless and brings it to the front.
  void ShowModeless();
  // The window's keyboard navigation (Tab, access keys, Enter and Esc); true when handled.
  bool PreTranslate(MSG& msg);

  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  void SetFocus(std::string_view control) override;

  // Pixels for twips (1440 per inch) at the display's real dots per inch.
  static int TwipsX(int twips);
  static int TwipsY(int twips);

 protected:
  struct Frame {
    const wchar_t* className = nullptr;
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HBRUSH background = nullptr;
    HMENU menu = nullptr;
  };
  void CreateFrame(const Frame& frame);

  // A child control named as the core names it, in tab order (creation order).
  HWND AddControl(const char* name, const wchar_t* windowClass, const std::string& text,
                  DWORD style, DWORD exStyle, int id, int left, int top, int width, int height);
  HWND Control(std::string_view name) const;
  // The name of a control of this window; empty for the window itself or anything else.
  std::string NameOf(HWND control) const;
  // A font of the given face and size in points, kept for the life of the window.
  HFONT MakeFont(const wchar_t* face, double points, bool bold = false, bool underline = false);
  HBITMAP LoadBitmapResource(int id);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Closing by any means: unloads the window; destroys it now or once CanDestroyNow().
  virtual void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  std::map<std::string, HWND, std::less<>> controls_;
  std::vector<GdiObject> gdiObjects_;
  std::function<void(Win32Window&)> onClosed_;
  bool closed_ = false;
};

// The program's module, for its resources and window classes.
HINSTANCE ProgramInstance();

}  // namespace framora::win32
