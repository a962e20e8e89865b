// A console logic wired to fakes: text boxes by name, a window that records what it was asked
// to do, recorded message boxes and a scripted process host.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/console_logic.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_process_host.h"
#include "fakes/fake_windows.h"
#include "queue/desk.h"
#include "queue/song_queue.h"

namespace framora::console::test {

class FakeConsoleWindow : public ConsoleView {
 public:
  void ShowModeless() override {
    visible = true;
    log.push_back("show");
  }
  void CloseWindow() override {
    log.push_back("close");
    if (onClose) onClose();
  }
  void PaneChanged() override { ++paneChanges; }

  bool visible = false;
  int paneChanges = 0;
  std::vector<std::string> log;
  std::function<void()> onClose;
};

// Focus is only accepted by a visible window.
class FocusCheckingView : public framora::test::FakeView {
 public:
  explicit FocusCheckingView(const FakeConsoleWindow& window) : window_(window) {}
  void SetFocus(ControlId control) override {
    if (window_.visible) FakeView::SetFocus(control);
  }

 private:
  const FakeConsoleWindow& window_;
};

// The task-bar button: what it was asked to show, in order ("0.25", "clear").
class FakeTaskbar : public TaskbarProgressPort {
 public:
  void ShowProgress(double fraction) override {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", fraction);
    shown.push_back(text);
  }
  void ClearProgress() override { shown.push_back("clear"); }
  std::vector<std::string> shown;
};

struct ConsoleFixture {
  static constexpr const char* kFolder = "/opt/Framora audio converter";

  ConsoleFixture()
      : controls(window),
        logic(controls, window,
              {messages, host, kFolder, &taskbar, [this] { return nowMs; }, &desk}) {
    controls.texts["txtCommand"] = "ping www.example.com";
    controls.texts["Text1"] = "ping www.example.com";
    // A closed window tells the logic, as the real one does from its close event.
    window.onClose = [this] { logic.Closed(); };
  }

  // Loads the window, sets the command into both boxes and runs it.
  void Run(const std::string& command) {
    logic.Load();
    controls.texts["Text1"] = command;
    controls.texts["txtCommand"] = command;
    logic.Execute();
  }

  std::string Pane() const { return logic.Pane().Text(); }
  bool CaretAtEnd() const {
    return logic.Pane().SelStart() == logic.Pane().Length() && logic.Pane().SelLength() == 0;
  }

  FakeConsoleWindow window;
  FocusCheckingView controls;
  framora::test::FakeMessageBox messages;
  framora::test::FakeProcessHost host;
  FakeTaskbar taskbar;
  std::int64_t nowMs = 1000;
  queue::Desk desk;  // where a launch would hand over its songs
  framora::test::FakeFileSystem files;
  ConsoleLogic logic;
};

inline std::string Fresh() { return "[**] Framora audio converter v1.0 [**]\r\n\r\nC:\\> "; }

// The pane after a run of `command` whose output, already in CR LF form, ended by itself.
inline std::string AfterPrompt(const std::string& command, const std::string& output) {
  return Fresh() + command + "\r\n" + output + "\r\nC:\\> ";
}

}  // namespace framora::console::test
