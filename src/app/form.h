// The design of a window as data, written once and read by both front-ends: the window's
// caption, size and border, every control with its kind, name, text, place in twips
// (1/1440 inch), tab index, font, colours and picture, what a screen reader calls it, the menu,
// and which handler of the window's logic runs on each event. Each window's description lives
// beside its logic (main_window/main_form.cpp, console/console_form.cpp, info/about_form.cpp,
// info/donate_form.cpp). The front-ends build the windows and wire the events from it alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/windows.h"

namespace framora {

// --- Events ---

// What a row's event runs: a handler of the window's logic class. A click (a button, a
// picture, a link, a menu item) runs a handler without arguments; Enter in a text box runs a
// key handler: a key-down handler (key code, shift state; the key goes on to the box) or a
// key-press handler (the character; it returns the character to insert, 0 for none).
enum class EventKind : std::uint8_t { None, Click, KeyDown, KeyPress };

// Stands for a logic class: its address tells the classes apart while compiling.
template <typename Logic>
inline constexpr char kLogicType = 0;

struct EventHandler {
  EventKind kind = EventKind::None;
  // Runs the handler on the logic; gives the key to pass on (0 for a click, or for a key that
  // a key-press handler swallowed).
  int (*run)(void* logic, int key, int shift) = nullptr;
  const void* logic = nullptr;  // the class the handler belongs to: &kLogicType<Logic>
  constexpr explicit operator bool() const { return run != nullptr; }
};

namespace detail {
template <auto Member>
struct Handler;
template <typename Logic, void (Logic::*Member)()>
struct Handler<Member> {
  static constexpr EventHandler kMade{EventKind::Click,
                                      [](void* logic, int, int) {
                                        (static_cast<Logic*>(logic)->*Member)();
                                        return 0;
                                      },
                                      &kLogicType<Logic>};
};
template <typename Logic, void (Logic::*Member)(std::uint16_t, int)>
struct Handler<Member> {
  static constexpr EventHandler kMade{EventKind::KeyDown,
                                      [](void* logic, int key, int shift) {
                                        (static_cast<Logic*>(logic)->*Member)(
                                            static_cast<std::uint16_t>(key), shift);
                                        return key;
                                      },
                                      &kLogicType<Logic>};
};
template <typename Logic, int (Logic::*Member)(int)>
struct Handler<Member> {
  static constexpr EventHandler kMade{
      EventKind::KeyPress,
      [](void* logic, int key, int) { return (static_cast<Logic*>(logic)->*Member)(key); },
      &kLogicType<Logic>};
};
}  // namespace detail

// The handler a row names, as &Logic::Handler: the compiler refuses a member that does not
// exist or takes what no event gives.
template <auto Member>
constexpr EventHandler On() {
  return detail::Handler<Member>::kMade;
}

// A window's logic object as the front-ends hold it, with the class it is.
struct EventTarget {
  void* logic = nullptr;
  const void* type = nullptr;
};
template <typename Logic>
EventTarget TargetOf(Logic& logic) {
  return {&logic, &kLogicType<Logic>};
}

// The key code of Enter, as the windows' key handlers get it.
inline constexpr int kKeyEnter = 13;

// A colour as the windows store it: with the top bit set, a system colour whose index is in
// the low bits; otherwise 0x00BBGGRR. kWindowColor leaves the control its window's colours.
using FormColor = std::uint32_t;
inline constexpr FormColor kSystemColorFlag = 0x80000000u;
inline constexpr FormColor kColorScrollbar = 0x80000000u;       // COLOR_SCROLLBAR
inline constexpr FormColor kColorWindowText = 0x80000008u;      // COLOR_WINDOWTEXT
inline constexpr FormColor kColorInactiveBorder = 0x8000000Bu;  // COLOR_INACTIVEBORDER
inline constexpr FormColor kWindowColor = 0xFFFFFFFFu;
constexpr FormColor Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return r | (g << 8) | (b << 16);
}

enum class ControlKind {
  Button,
  Label,
  TextBox,
  Picture,    // a stored picture; takes the focus when it has a tab index
  LinkLabel,  // a label the user clicks
  Pane,       // the console's output pane
  Line,       // a horizontal line: its height is the line's width
  // A drop-down list of `items` to choose one from; its text is the chosen item's.
  ComboBox,
  // How far a job has got: its text is the per cent done ("0" to "100"), "-1" for a job whose
  // end is not known (the bar moves without a per cent), or empty when nothing runs.
  ProgressBar,
};

// A fixed tool window has a narrow caption and no button in the task bar.
enum class BorderKind { Sizable, FixedDialog, FixedToolWindow };
enum class IconKind { Program, Console };

// What a control is to a screen reader.
enum class AccessibleRole {
  Button,
  Text,        // a field the user types into
  StaticText,  // a label
  Link,
  Graphic,
  Output,  // text shown to be read, not typed into (the console's pane)
  Separator,
  ComboBox,
  ProgressBar,
};

struct FontDesign {
  std::string_view face;  // empty: the window's default font
  double points = 0;
  bool bold = false;
  bool underline = false;
};

struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlDesign {
  ControlId id = {};
  ControlKind kind = ControlKind::Label;
  std::string_view name = {};
  std::string_view text = {};                    // at design time; an '&' marks the access key
  std::span<const std::string_view> items = {};  // a drop-down list's, in order
  TwipsRect rect = {};
  int tabIndex = -1;  // -1: no tab index
  FontDesign font = {};
  FormColor back = kWindowColor;
  FormColor fore = kWindowColor;
  std::string_view picture = {};  // its file in resources/images, without ".png"
  bool isDefault = false;         // Enter presses it
  bool isCancel = false;          // Esc presses it
  bool wordWrap = false;          // the text wraps at word boundaries within the width
  bool autoSize = false;          // a picture box that takes its picture's size
  // For a screen reader: a label names the control it describes; a control without words of
  // its own says what it is for; a picture says what it acts as (a graphic by default).
  ControlId labelFor = {};  // number 0: none
  std::string_view accessibleName = {};
  AccessibleRole pictureRole = AccessibleRole::Graphic;
  // What its event runs: a click on a button, picture or link, Enter in a text box.
  EventHandler on = {};
  // What runs when the user changes a text box's text or a drop-down list's choice (not when
  // the program sets it).
  EventHandler onChange = {};
};

// A menu item; level 0 is the menu bar. The caption "-" is a separator line.
struct MenuItemDesign {
  ControlId id;
  std::string_view name;
  std::string_view caption;
  int level;
  EventHandler on = {};  // what choosing it runs
};

struct FormDesign {
  WindowId id;
  std::string_view name;
  std::string_view caption;
  int clientWidth;   // twips
  int clientHeight;  // twips
  BorderKind border;
  IconKind icon;
  FormColor back;
  std::span<const ControlDesign> controls;
  std::span<const MenuItemDesign> menu;
  // The window's own events: its load steps, and its closing by any means.
  EventHandler onLoad = {};
  EventHandler onClosed = {};
  // The logic class every handler of the description belongs to (see FormFor).
  const void* logic = nullptr;

  // Nothing when the window has no such control.
  const ControlDesign* Find(ControlId control) const {
    for (const ControlDesign& c : controls) {
      if (c.id == control) return &c;
    }
    return nullptr;
  }
};

// The description of a window whose logic is Logic. Checked while compiling: a handler of any
// other class in it does not compile.
template <typename Logic>
consteval FormDesign FormFor(FormDesign form) {
  const auto check = [](const EventHandler& handler) {
    if (handler && handler.logic != &kLogicType<Logic>) throw "a handler of another window";
  };
  for (const ControlDesign& control : form.controls) {
    check(control.on);
    check(control.onChange);
  }
  for (const MenuItemDesign& item : form.menu) check(item.on);
  check(form.onLoad);
  check(form.onClosed);
  form.logic = &kLogicType<Logic>;
  return form;
}

// Whether the control takes the keyboard focus (by Tab, and by a click).
constexpr bool TakesFocus(const ControlDesign& control) {
  switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::TextBox:
    case ControlKind::Pane:
    case ControlKind::ComboBox:
      return true;
    case ControlKind::Picture:
      return control.tabIndex >= 0;
    default:
      return false;
  }
}

// The controls in tab order: by tab index, those without one last, in the order written.
std::vector<const ControlDesign*> InTabOrder(const FormDesign& form);

// The controls that take the focus, in the order Tab moves through them.
std::vector<const ControlDesign*> FocusOrder(const FormDesign& form);

// The order in which both front-ends create the controls: the tab order, with each label
// right before the control it names (where Windows' screen readers look for a field's name).
std::vector<const ControlDesign*> CreationOrder(const FormDesign& form);

AccessibleRole RoleOf(const ControlDesign& control);
// The name a screen reader gives a control that has no words of its own: its own accessible
// name, or the caption of the label that names it, with runs of blanks made one and the ends
// trimmed. Empty for a control that is named by its own text (a button, a label).
std::string AccessibleName(const FormDesign& form, const ControlDesign& control);

// 0xRRGGBB of a system colour by its index (COLOR_SCROLLBAR 0 to COLOR_MENUBAR 30), as
// Windows' standard scheme has it, for a platform without system colours of its own.
std::uint32_t StandardSystemColor(int index);

}  // namespace framora
