// Base of every window of the Qt front-end: builds the window from its description (caption,
// client size in twips, border, icon, colours, every control with its name, text, place, font,
// colours and tab order, the menu), runs the handler each row names on its event (a click,
// Enter in a text box, a menu command, the window's load and closing), gives the core its
// controls by their ids, and tells the window registry when it has been closed. A window adds
// only what is Qt's own: the controls a description cannot make (the console's pane), drops.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "app/form.h"
#include "app/window_registry.h"

class QAction;

namespace framora::qt {

class FramoraWindow : public QWidget,
                      public WindowView,
                      public WindowFrame,
                      public RegisteredWindow {
  Q_OBJECT
 public:
  // Makes a control of a kind the description cannot make by itself; nullptr for the others.
  using SpecialControl = std::function<QWidget*(const ControlDesign&, QWidget* parent)>;

  // registry: where the window reports its closing; none for a window of its own (tests).
  FramoraWindow(const FormDesign& form, WindowRegistry* registry);

  const FormDesign& Form() const { return form_; }
  QWidget* Widget(ControlId control) const;
  template <typename T>
  T* Control(ControlId control) const {
    return qobject_cast<T*>(Widget(control));
  }
  QAction* MenuItem(ControlId item) const;

  // RegisteredWindow: the window's own load steps are its description's.
  WindowView& View() override { return *this; }
  void Load() override;
  void ShowInFront() override;
  // Not while one of its handlers is on the stack (a run in the console may be).
  bool CanDestroyNow() override { return running_ == 0; }
  // WindowFrame.
  void CloseWindow() override { close(); }
  void Hide() override { hide(); }
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }

  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;
  void SetFocus(ControlId control) override;
  void SetVisible(ControlId control, bool visible) override;
  void SetEnabled(ControlId control, bool enabled) override;

  // Client size in pixels for a size in twips (1440 per inch) at 96 dots per inch; high-dpi
  // screens scale the layout as a whole.
  static int Twips(int twips);

 protected:
  // Creates the controls and wires their events to `target`, the window's logic (of the class
  // its description is for); windows call it once their own parts exist.
  void Build(EventTarget target, const SpecialControl& special = {});
  // Runs a handler of the logic. A window closed meanwhile goes once the last has returned.
  int Fire(const EventHandler& handler, int key = 0, int shift = 0);
  void closeEvent(QCloseEvent* event) override;
  // Enter in a text box whose row names a key handler.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Enter and Esc press the default and the cancel button, where the window has them.
  void keyPressEvent(QKeyEvent* event) override;
  WindowRegistry* Registry() const { return registry_; }

 private:
  QWidget* Make(const ControlDesign& control, QWidget* parent, const SpecialControl& special);
  void BuildMenu();
  void Wire(const ControlDesign& control, QWidget* widget);

  const FormDesign& form_;
  WindowRegistry* registry_;
  QWidget* client_ = this;  // below the menu bar, where the window has one
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> menuItems_;
  EventTarget target_;
  int running_ = 0;  // handlers on the stack
  bool closed_ = false;
};

// The program icon in all its drawn sizes.
QIcon ProgramIcon();

// 0xRRGGBB of a colour as the descriptions store it: system colours get Windows' standard
// ones, other values are 0x00BBGGRR.
std::uint32_t ColorToRgb(FormColor color);
QColor ToQColor(FormColor color);

}  // namespace framora::qt
