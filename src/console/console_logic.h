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
#include "convert/progress_reader.h"
#include "queue/song_queue.h"
#include "runner/read_output.h"

namespace framora {
class ProcessHost;
namespace queue {
class Desk;
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
  // Where a queue's end is told, with the way to its videos; none: in a message box.
  ModalPort* modal = nullptr;
  DesktopPort* desktop = nullptr;
};

class ConsoleLogic : private ReadOutputEvents,
                     private queue::CommandRunner,
                     private queue::QueueReport {
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
  // The user changed the text of Text1: Execute runs it as it stands, no longer the launch's
  // songs.
  void Text1_Change() { holdsQueue_ = false; }
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

  // The songs the launch planned: the command boxes show the first one's command, and Execute
  // runs them all until the user changes Text1.
  void TakeQueue(std::shared_ptr<queue::SongQueue> songs);
  void RunQueue();
  // The queue's runner and what it tells.
  queue::RunEnd RunCommand(const std::string& command) override;
  void AfterStop(std::function<void()> work) override;
  void VideoStarting(const queue::SongQueue& songs, std::size_t video) override;
  void VideoEnded(const queue::SongQueue& songs, std::size_t video) override;
  // A queue of several videos is running: a line for each, one message at the end.
  bool Several() const;
  // A line of the program's own, then a new prompt.
  void Line(const std::string& line);
  // "[**] Song 2 of 8, 02 Song.mp3: converted: C:\Videos\02 Song.mp4 [**]"
  std::string SongLine(std::size_t i) const;
  void QueueMessage();
  // A command's output has ended: a new prompt, and the message that says how it ended.
  void CommandEnded(std::optional<std::int32_t> exitCode, const std::string& removedVideo);

  void rtfOutputChange();
  // The task-bar button, and the line and bar under the pane: the reader's latest, at most a few
  // times a second; cleared when the run is over.
  void ShowProgress();
  void ShowProgressLine();
  void ClearProgress();
  // "Song 3 of 10, Intro.mp3" (in an album, the song heard at `seconds`), "Intro.mp3".
  std::string VideoName(std::optional<double> seconds) const;

  WindowView& controls_;
  ConsoleView& window_;
  ConsolePorts ports_;
  ConsolePane pane_;
  ReadOutput readOutput1_;
  std::string piece_;
  convert::ProgressReader progress_;
  std::optional<long> shownProgress_;  // in thousandths
  std::int64_t shownAt_ = 0;
  int executeDepth_ = 0;
  bool closed_ = false;
  std::shared_ptr<queue::SongQueue> queue_;    // the latest launch's
  bool holdsQueue_ = false;                    // Text1 holds its first command as handed over
  std::shared_ptr<queue::SongQueue> running_;  // the one on the stack
  std::size_t queueDone_ = 0;                  // videos of it before the one being run
  bool runningVideo_ = false;                  // a command of the queue is running
  std::size_t videoRuns_ = 0;                  // commands of the video run so far
  std::optional<double> videoSeconds_;         // how long the video lasts
  std::int64_t videoStartMs_ = 0;              // when it started
  std::int64_t runStartMs_ = 0;                // when the latest command started
  std::optional<std::int64_t> lineShownAt_;
  bool songStarted_ = false;  // it has started
  bool completed_ = false;    // its output has ended by itself
  bool ending_ = false;       // the program ends and leaves it running
  queue::RunEnd runEnd_;      // how it ended
};

}  // namespace framora::console
