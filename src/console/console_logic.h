// What the console window frmReadOutput does: its load steps, Execute, the Enter key, Cancel,
// the change rule of the output pane and the handlers of its runner ReadOutput1.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/ports.h"
#include "app/windows.h"
#include "console/console_pane.h"
#include "console/progress_reader.h"
#include "runner/read_output.h"

namespace framora {
class ProcessHost;
}

namespace framora::console {

// The window-level calls the logic needs besides the texts and focus of its controls.
class ConsoleView {
 public:
  virtual ~ConsoleView() = default;
  virtual void ShowModeless() = 0;
  virtual void CloseWindow() = 0;
  // The pane's text or selection changed; the display catches up when it next draws.
  virtual void PaneChanged() = 0;
};

// What the console window works with besides its own window.
struct ConsolePorts {
  MessageBoxPort& messages;
  ProcessHost& host;  // its runner's
  // The full path of the folder that holds the program file.
  std::string programFolder;
  // While a conversion runs, the task-bar button (if any) shows how far it has got.
  TaskbarProgressPort* taskbar = nullptr;
  // Milliseconds of a steady clock.
  std::function<std::int64_t()> now;
};

class ConsoleLogic : private ReadOutputEvents {
 public:
  // Milliseconds of a steady clock.
  using Clock = std::function<std::int64_t()>;
  static std::int64_t SteadyMilliseconds();

  // `controls` gives the text boxes txtCommand and Text1; the pane is kept here. Without a
  // clock in the ports, the steady clock.
  ConsoleLogic(WindowView& controls, ConsoleView& window, ConsolePorts ports);
  ConsoleLogic(const ConsoleLogic&) = delete;
  ConsoleLogic& operator=(const ConsoleLogic&) = delete;
  ~ConsoleLogic() override = default;

  void Load();
  // cmdExecute. Returns when the run has ended.
  void Execute();
  // A character typed into txtCommand, before it is inserted; the result is the character to
  // insert, 0 for none.
  int TxtCommandKeyPress(int keyAscii);
  // cmdCancel.
  void Cancel();
  // The window was closed by any means: a running command is stopped, and from now on the
  // runner's events change nothing and show nothing.
  void Closed();

  // An Execute is on the stack (perhaps several, nested); the window must outlive them.
  bool Executing() const { return executeDepth_ > 0; }
  bool IsClosed() const { return closed_; }

  ConsolePane& Pane() { return pane_; }
  const ConsolePane& Pane() const { return pane_; }
  ReadOutput& ReadOutput1() { return readOutput1_; }

 private:
  void Error(const std::string& error, std::int32_t& lastDllError) override;
  void GotChunk(const std::string& sChunk, bool lastChunk) override;
  void Complete() override;
  void Starting() override;
  void Canceled() override;

  void rtfOutputChange();
  // The task-bar button: the reader's latest fraction, at most a few times a second.
  void ShowProgress();
  void ClearProgress();

  WindowView& controls_;
  ConsoleView& window_;
  ConsolePorts ports_;
  ConsolePane pane_;
  ReadOutput readOutput1_;
  std::string piece_;
  ProgressReader progress_;
  std::optional<double> shownProgress_;
  std::int64_t shownAt_ = 0;
  int executeDepth_ = 0;
  bool closed_ = false;
};

}  // namespace framora::console
