// Base of every window of the Qt front-end: builds the window from its description (caption,
// client size in twips, border, icon, colours, every control with its name, text, place, font,
// colours and tab order, the menu), gives the core its controls by their ids, and tells the
// window registry when it has been closed. A window adds only its behaviour, and the controls
// a description cannot make (the console's pane).
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "app/form.h"
#include "app/window_registry.h"

class QAction;

namespace framora::qt {

class FramoraWindow : public QWidget, public WindowView, public RegisteredWindow {
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

  // RegisteredWindow: the window's own load steps are Load().
  WindowView& View() override { return *this; }
  void Load() override {}
  void ShowInFront() override;
  void Hide() override { hide(); }
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }

  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;
  void SetFocus(ControlId control) override;

  // Client size in pixels for a size in twips (1440 per inch) at 96 dots per inch; high-dpi
  // screens scale the layout as a whole.
  static int Twips(int twips);

 protected:
  // Creates the controls; windows with special controls call it once their own parts exist.
  void Build(const SpecialControl& special = {});
  void closeEvent(QCloseEvent* event) override;
  // Enter and Esc press the default and the cancel button, where the window has them.
  void keyPressEvent(QKeyEvent* event) override;
  WindowRegistry* Registry() const { return registry_; }

 private:
  QWidget* Make(const ControlDesign& control, QWidget* parent, const SpecialControl& special);
  void BuildMenu();

  const FormDesign& form_;
  WindowRegistry* registry_;
  QWidget* client_ = this;  // below the menu bar, where the window has one
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> menuItems_;
  bool closed_ = false;
};

// The program icon in all its drawn sizes.
QIcon ProgramIcon();

// 0xRRGGBB of a colour as the descriptions store it: system colours get Windows' standard
// ones, other values are 0x00BBGGRR.
std::uint32_t ColorToRgb(FormColor color);
QColor ToQColor(FormColor color);

}  // namespace framora::qt
