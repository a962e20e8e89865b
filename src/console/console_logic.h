// What the console window frmReadOutput does: its load steps, Execute, the Enter key, Cancel,
// the change rule of the output pane and the handlers of its runner ReadOutput1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ports.h"
#include "app/windows.h"
#include "console/console_pane.h"
#include "console/progress_reader.h"
#include "runner/read_output.h"

namespace framora {
class ProcessHost;
namespace queue {
class Desk;
class SongQueue;
}  // namespace queue
}  // namespace framora

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
  // Where the launch hands over the songs it planned; none: commands only.
  queue::Desk* desk = nullptr;
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
  ~ConsoleLogic() override;

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

  // The songs the launch planned; Execute runs them while the command box holds the first one's
  // command.
  void TakeQueue(std::shared_ptr<queue::SongQueue> songs);
  bool QueueHolds(const std::string& command) const;
  void RunQueue();
  // A queue of several songs is running: a line for each song, one message at the end.
  bool Several() const;
  // A line of the program's own, then a new prompt.
  void Line(const std::string& line);
  // "[**] Song 2 of 8, 02 Song.mp3: converted: C:\Videos\02 Song.mp4 [**]"
  std::string SongLine(std::size_t i) const;
  void QueueMessage();
  // The song being run has ended (its run's events tell how); false when no song is running.
  bool SongEnded(std::optional<std::int32_t> exitCode, std::optional<std::string> error);

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
  std::optional<long> shownProgress_;  // in thousandths
  std::int64_t shownAt_ = 0;
  int executeDepth_ = 0;
  bool closed_ = false;
  std::shared_ptr<queue::SongQueue> queue_;    // the latest launch's
  std::shared_ptr<queue::SongQueue> running_;  // the one on the stack
  std::optional<std::size_t> song_;            // its song being run
  std::size_t queueDone_ = 0;                  // songs of it before the one being run
  bool songStarted_ = false;
};

}  // namespace framora::console
