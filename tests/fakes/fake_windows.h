// Windows made of named texts, and a window manager that loads them on first reference and
// keeps a log of what happened, in order.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/windows.h"
#include "console/console_form.h"
#include "console/queue_done.h"
#include "info/about_form.h"
#include "info/donate_form.h"
#include "main_window/main_form.h"
#include "main_window/songs_question_form.h"

namespace framora::test {

// The name a window's description gives the control; empty for the window itself.
inline std::string NameOf(ControlId control) {
  for (const FormDesign* form :
       {&main_form::Form(), &console_form::Form(), &about_form::Form(), &donate_form::Form(),
        &songs_question_form::Form(), &console::queue_done_form::Form()}) {
    if (form->id != control.window) continue;
    if (const ControlDesign* design = form->Find(control)) return std::string(design->name);
  }
  return {};
}

// A window made of texts by control name ("" for the caption).
class FakeView : public WindowView {
 public:
  std::string Text(ControlId control) const override { return Text(NameOf(control)); }
  void SetText(ControlId control, const std::string& text) override {
    texts[NameOf(control)] = text;
    if (log) log->push_back(name + "." + NameOf(control) + "=" + text);
  }
  void SetFocus(ControlId control) override { focus = NameOf(control); }
  void SetVisible(ControlId control, bool shown) override { visible[NameOf(control)] = shown; }
  void SetEnabled(ControlId control, bool on) override { enabled[NameOf(control)] = on; }

  std::string Text(const std::string& control) const {
    auto it = texts.find(control);
    return it == texts.end() ? std::string() : it->second;
  }

  std::map<std::string, std::string> texts;
  std::string focus;
  std::map<std::string, bool> visible;  // as last set
  std::map<std::string, bool> enabled;  // as last set
  std::string name;
  std::vector<std::string>* log = nullptr;
};

class FakeWindowManager : public WindowManager {
 public:
  // Runs as a window's load steps, right after it is created.
  std::function<void(WindowId, FakeView&)> onLoad;

  WindowView& Ref(WindowId id) override {
    auto& slot = windows[Index(id)];
    if (!slot) {
      slot = std::make_unique<FakeView>();
      slot->name = Name(id);
      slot->log = &log;
      ++loads[Index(id)];
      log.push_back(Name(id) + " loaded");
      if (onLoad) onLoad(id, *slot);
    }
    return *slot;
  }
  void Show(WindowId id) override {
    Ref(id);
    log.push_back(Name(id) + " shown");
  }
  bool IsLoaded(WindowId id) const override { return windows[Index(id)] != nullptr; }
  void EndProgram() override { log.push_back("end program"); }

  void Close(WindowId id) { windows[Index(id)].reset(); }
  FakeView* Get(WindowId id) { return windows[Index(id)].get(); }

  static std::size_t Index(WindowId id) { return static_cast<std::size_t>(id); }
  static std::string Name(WindowId id) {
    switch (id) {
      case WindowId::Form1:
        return "Form1";
      case WindowId::frmReadOutput:
        return "frmReadOutput";
      case WindowId::frmAbout:
        return "frmAbout";
      case WindowId::frmDonate:
        return "frmDonate";
      case WindowId::frmSongsQuestion:
        return "frmSongsQuestion";
      case WindowId::frmQueueDone:
        return "frmQueueDone";
    }
    return "?";
  }

  std::array<std::unique_ptr<FakeView>, 4> windows;
  std::array<int, 4> loads{};
  std::vector<std::string> log;
};

// A window asked modally, made of texts: its load, the user's click on its control in `clicks`
// (none: the close box), closing. Each window's texts stay in `shown`, by its name.
struct FakeModal : ModalPort, WindowFrame {
  void RunModal(const FormDesign& form, const MakeLogic& make) override {
    view = {};
    const EventTarget target = make(view, *this);
    if (form.onLoad) form.onLoad.run(target.logic, 0, 0);
    for (const ControlId control : {click.value_or(ControlId{}), also.value_or(ControlId{})}) {
      if (const ControlDesign* design = form.Find(control); design && design->on)
        design->on.run(target.logic, 0, 0);
    }
    if (form.onClosed) form.onClosed.run(target.logic, 0, 0);
    shown[std::string(form.name)] = view.texts;
  }
  void CloseWindow() override { closedItself = true; }

  std::optional<ControlId> click;
  std::optional<ControlId> also;  // a click on another window's control
  FakeView view;                  // as the latest window left it
  std::map<std::string, std::map<std::string, std::string>> shown;
  bool closedItself = false;
};

}  // namespace framora::test
