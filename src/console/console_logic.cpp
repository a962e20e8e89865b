#include "console/console_logic.h"

#include <chrono>
#include <cmath>
#include <utility>

#include "app/identity.h"
#include "console/console_form.h"
#include "console/pane_text.h"
#include "console/queue_done.h"
#include "queue/desk.h"
#include "queue/song_queue.h"
#include "runner/process_host.h"

namespace framora::console {

namespace {
// At most about four updates a second: a flood of output costs the task bar nothing.
constexpr std::int64_t kProgressEveryMs = 250;

std::string AlbumName(const queue::SongQueue& songs) {
  return "Album of " + std::to_string(songs[0].songs.size()) + " songs";
}
}  // namespace

std::int64_t ConsoleLogic::SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ConsoleLogic::ConsoleLogic(WindowView& controls, ConsoleView& window, ConsolePorts ports)
    : controls_(controls),
      window_(window),
      ports_(std::move(ports)),
      readOutput1_(ports_.host, *this) {
  if (!ports_.now) ports_.now = &SteadyMilliseconds;
  pane_.SetChangeListener([this] { rtfOutputChange(); });
  if (ports_.desk != nullptr) {
    ports_.desk->Listen(
        this, [this](std::shared_ptr<queue::SongQueue> songs) { TakeQueue(std::move(songs)); });
  }
}

ConsoleLogic::~ConsoleLogic() {
  if (ports_.desk != nullptr) ports_.desk->StopListening(this);
}

void ConsoleLogic::TakeQueue(std::shared_ptr<queue::SongQueue> songs) {
  if (closed_) return;
  queue_ = std::move(songs);
  // The launch's command in both boxes, Text1 first; Execute runs the songs while it stands.
  const std::string command = queue_->Command(0);
  controls_.SetText(console_form::Text1, command);
  controls_.SetText(console_form::txtCommand, command);
  holdsQueue_ = true;
  if (!queue_->Several() || running_ || readOutput1_.Processing()) return;
  // Before the prompt where the first song's command stands: what is queued, and where.
  std::string note(kNoteStart);
  if (queue_->IsAlbum()) {
    note += std::to_string((*queue_)[0].songs.size()) +
            " songs queued as one album video: " + (*queue_)[0].output;
  } else {
    note += std::to_string(queue_->Size()) + " songs queued: their videos go to ";
    const std::string folder = FolderOf((*queue_)[0].output, queue_->GetRules().shell);
    note += folder.empty() ? "the current folder" : folder;
  }
  note += kNoteEnd;
  if (pane_.Text() == FreshPaneText()) {
    std::string text(StartBanner());
    text += kCrLf;
    text += kCrLf;
    text += note;
    text += kCrLf;
    text += kCrLf;
    text += kPrompt;
    pane_.Replace(std::move(text));
  } else {
    Line(note);
  }
}

bool ConsoleLogic::Several() const { return running_ && running_->Several(); }

void ConsoleLogic::Line(const std::string& line) {
  std::string text = line;
  text += kCrLf;
  text += kCrLf;
  text += kPrompt;
  pane_.Append(text);
}

std::string ConsoleLogic::SongLine(std::size_t i) const {
  const queue::SongQueue& songs = *running_;
  std::string line(kNoteStart);
  if (songs.IsAlbum()) {
    line += AlbumName(songs) + ": " + songs[i].result;
  } else {
    line += "Song " + std::to_string(i + 1) + " of " + std::to_string(songs.Size()) + ", " +
            NameOf(songs[i].FirstSong(), songs.GetRules().shell) + ": " + songs[i].result;
  }
  line += kNoteEnd;
  if (songs.IsAlbum() && songs[i].outcome == queue::Outcome::Converted) {
    // The list to paste into the video's description, as its file holds it.
    line += kCrLf;
    line += kCrLf;
    std::string list = songs.TrackListText(i);
    while (!list.empty() && (list.back() == '\n' || list.back() == '\r')) list.pop_back();
    for (std::size_t c = 0; c < list.size(); ++c) {
      if (list[c] == '\n' && (c == 0 || list[c - 1] != '\r')) line += '\r';
      line += list[c];
    }
  }
  return line;
}

void ConsoleLogic::RunQueue() {
  // Held here: a launch meanwhile hands over another queue for the next Execute.
  running_ = queue_;
  ending_ = false;
  running_->Run(*this, *this);
  ClearProgress();
  if (running_->Several() && !closed_ && !ending_) QueueMessage();
  running_.reset();
}

queue::RunEnd ConsoleLogic::RunCommand(const std::string& command) {
  // A video's second run (its picture was encoded first) stands behind a prompt of its own, as
  // if typed after the first.
  if (videoRuns_++ > 0 && completed_ && !closed_) {
    std::string prompt(kCrLf);
    prompt += kPrompt;
    pane_.Append(prompt);
  }
  runEnd_ = {};
  runningVideo_ = true;
  songStarted_ = completed_ = false;
  readOutput1_.SetCommand(command);
  readOutput1_.ProcessCommand();
  runningVideo_ = false;
  if (!completed_ && !runEnd_.error && !runEnd_.stopped && !runEnd_.stalled) {
    // Stopped by the window's closing; or the program is ending and leaves it running.
    ending_ = !closed_;
    runEnd_.stopped = closed_;
    runEnd_.leftRunning = ending_;
  }
  return runEnd_;
}

void ConsoleLogic::AfterStop(std::function<void()> work) {
  ports_.host.AfterStops(std::move(work));
}

void ConsoleLogic::VideoStarting(const queue::SongQueue& songs, std::size_t video) {
  queueDone_ = video;
  videoRuns_ = 0;
  videoSeconds_ = songs.Seconds(video);
  videoStartMs_ = ports_.now();
  if (closed_) return;
  controls_.SetText(console_form::lblProgress, VideoName(0) + ": starting");
  controls_.SetText(console_form::prgProgress, "0");
}

void ConsoleLogic::VideoEnded(const queue::SongQueue& songs, std::size_t video) {
  if (closed_ || ending_) return;
  const queue::Video& made = songs[video];
  const bool ran = std::exchange(songStarted_, false);
  if (songs.Several()) {
    // The queue's one message comes at its end; here, what became of this video.
    Line((ran ? std::string(kCrLf) : std::string()) + SongLine(video));
    completed_ = false;
    return;
  }
  if (completed_) {
    completed_ = false;
    CommandEnded(runEnd_.exitCode, made.removed ? made.output : "");
  } else if (made.outcome == queue::Outcome::Failed && !runEnd_.error) {
    // Decided before FFmpeg: without a picture FFmpeg would only fail on a missing input.
    Line(SongLine(video));
    ports_.messages.ShowMessage(made.why, MessageIcon::Critical, std::string(kErrorTitle));
  }
}

void ConsoleLogic::QueueMessage() {
  const queue::SongQueue& songs = *running_;
  const queue::Counts counts = songs.Count();
  const ShellKind shell = songs.GetRules().shell;
  std::string message(kCompleteMessage);
  message += kCrLf;
  if (songs.IsAlbum()) {
    message += AlbumName(songs) + ": " + songs[0].result;
  } else {
    message += std::to_string(songs.Size()) + " songs: " + std::to_string(counts.converted) +
               " converted, " + std::to_string(counts.skipped) + " skipped, " +
               std::to_string(counts.failed) + " failed.";
    for (std::size_t i = 0; i < songs.Size(); ++i) {
      if (songs[i].outcome != queue::Outcome::Failed) continue;
      message += kCrLf;
      message += NameOf(songs[i].FirstSong(), shell) + ": " + songs[i].why;
    }
  }
  const std::string title(counts.failed == 0 ? kCompleteTitle : kErrorTitle);
  if (ports_.modal == nullptr || ports_.desktop == nullptr) {
    ports_.messages.ShowMessage(
        message, counts.failed == 0 ? MessageIcon::None : MessageIcon::Critical, title);
    return;
  }
  // The way to the videos: their folder, with the first one made picked out.
  std::string selected = songs[0].output;
  for (std::size_t i = songs.Size(); i-- > 0;) {
    if (songs[i].outcome == queue::Outcome::Converted) selected = songs[i].output;
  }
  const std::string folder = FolderOf(selected, shell);
  message += kCrLf;
  message += (songs.IsAlbum() ? "The video is in " : "The videos are in ") +
             (folder.empty() ? std::string("the current folder") : folder) + ".";
  ShowQueueDone(*ports_.modal, *ports_.desktop, ports_.messages,
                {title, message, folder.empty() ? "." : folder, selected});
}

void ConsoleLogic::Load() {
  window_.ShowModeless();  // focus needs a visible window
  pane_.Replace(FreshPaneText());
  controls_.SetFocus(console_form::txtCommand);
  pane_.Select(0, pane_.Length());
  pane_.SetSelColor(console_form::Form().Find(console_form::rtfOutput)->fore);
  window_.PaneChanged();
}

void ConsoleLogic::Execute() {
  if (closed_) return;  // a click still queued when the window went away
  controls_.SetFocus(console_form::txtCommand);
  controls_.SetText(console_form::txtCommand, controls_.Text(console_form::Text1));
  ++executeDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{executeDepth_};
  // The launch's songs, while the box holds what the launch wrote; anything else runs alone.
  if (queue_ && holdsQueue_ && !readOutput1_.Processing()) {
    RunQueue();
    return;
  }
  readOutput1_.SetCommand(controls_.Text(console_form::txtCommand));
  readOutput1_.ProcessCommand();
}

int ConsoleLogic::TxtCommandKeyPress(int keyAscii) {
  if (keyAscii != kKeyEnter) return keyAscii;
  Execute();
  return 0;  // only now, so the Enter that started a run is dropped when the run is over
}

void ConsoleLogic::Cancel() { window_.CloseWindow(); }

void ConsoleLogic::Closed() {
  if (closed_) return;
  closed_ = true;
  ClearProgress();
  // Stop the command rather than let it run on unseen, also when this close ends the program:
  // the runner sends the close request at its next cancel check and leaves the grace and the
  // end of whatever still runs to a stop beside the windows; the events that follow go nowhere.
  if (readOutput1_.Processing()) readOutput1_.StopProcess();
}

void ConsoleLogic::rtfOutputChange() {
  pane_.Select(pane_.Length(), 0);
  window_.PaneChanged();
}

void ConsoleLogic::ShowProgress() {
  // The clock first: the reader reads its latest line only when it is asked.
  if (ports_.taskbar == nullptr) return;
  const std::int64_t now = ports_.now();
  if (shownProgress_ && now - shownAt_ < kProgressEveryMs) return;
  std::optional<double> fraction = progress_.Fraction();
  // A queue's button covers all of it: each song its share.
  if (fraction && Several()) fraction = (queueDone_ + *fraction) / running_->Size();
  if (!fraction) return;
  // Compared in thousandths, what a button can show: a fraction worked out again may differ in
  // its last bits (the 32-bit x87 keeps more of them in a register).
  const long thousandths = std::lround(*fraction * 1000);
  if (shownProgress_ == thousandths) return;
  ports_.taskbar->ShowProgress(*fraction);
  shownProgress_ = thousandths;
  shownAt_ = now;
}

namespace {
// "1:05", "1:02:45".
std::string ClockText(double seconds) {
  const auto whole = static_cast<long long>(std::max(0.0, seconds));
  const auto two = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  if (whole >= 3600)
    return std::to_string(whole / 3600) + ":" + two(whole / 60 % 60) + ":" + two(whole % 60);
  return std::to_string(whole / 60) + ":" + two(whole % 60);
}
}  // namespace

std::string ConsoleLogic::VideoName(std::optional<double> seconds) const {
  const queue::SongQueue& songs = *running_;
  const queue::Video& video = songs[queueDone_];
  const ShellKind shell = songs.GetRules().shell;
  if (video.album) {
    // The song heard now, by where the album's tracks start.
    const std::vector<convert::Track> tracks = songs.Tracks(queueDone_);
    std::size_t now = 0;
    while (seconds && now + 1 < tracks.size() && tracks[now + 1].start <= *seconds) ++now;
    return "Album, song " + std::to_string(now + 1) + " of " + std::to_string(tracks.size()) +
           (tracks.empty() ? "" : ", " + tracks[now].title);
  }
  const std::string name = NameOf(video.FirstSong(), shell);
  if (!songs.Several()) return name;
  return "Song " + std::to_string(queueDone_ + 1) + " of " + std::to_string(songs.Size()) + ", " +
         name;
}

void ConsoleLogic::ShowProgressLine() {
  const std::int64_t now = ports_.now();
  if (lineShownAt_ && now - *lineShownAt_ < kProgressEveryMs) return;
  const std::optional<double> fraction = progress_.Fraction();
  const std::optional<double> time = progress_.Time();
  // A command that is no conversion says nothing of how far it has got.
  if (!fraction && !time && !runningVideo_) return;
  lineShownAt_ = now;
  std::string text = runningVideo_ ? VideoName(time) + ": " : std::string();
  std::string bar = "-1";
  if (fraction) {
    const int percent = static_cast<int>(*fraction * 100 + 1e-9);
    bar = std::to_string(percent);
    text += bar + " %";
    const double elapsed =
        static_cast<double>(now - (runningVideo_ ? videoStartMs_ : runStartMs_)) / 1000;
    if (*fraction >= 0.01 && *fraction < 1)
      text += ", " + ClockText(elapsed * (1 - *fraction) / *fraction) + " left";
  } else {
    text += "length unknown";
    if (time) text += ", " + ClockText(*time) + " made";
  }
  controls_.SetText(console_form::lblProgress, text);
  controls_.SetText(console_form::prgProgress, bar);
}

void ConsoleLogic::ClearProgress() {
  if (lineShownAt_ || runningVideo_ || Several()) {
    controls_.SetText(console_form::lblProgress, "");
    controls_.SetText(console_form::prgProgress, "");
    lineShownAt_.reset();
  }
  if (ports_.taskbar == nullptr || !shownProgress_) return;
  ports_.taskbar->ClearProgress();
  shownProgress_.reset();
}

void ConsoleLogic::Starting() {
  songStarted_ = true;
  runStartMs_ = ports_.now();
  // A video of the queue says how long it lasts; of a typed command, FFmpeg's lines tell.
  progress_.Start(runningVideo_ ? videoSeconds_ : std::nullopt);
  if (closed_) return;
  std::string line = readOutput1_.SetCommand();
  line += kCrLf;
  pane_.Append(line);
}

void ConsoleLogic::GotChunk(const std::string& sChunk, bool /*lastChunk*/) {
  if (closed_) return;
  progress_.Feed(sChunk);
  if (runningVideo_ && !runEnd_.stalled && progress_.Stalled(ports_.now())) {
    // FFmpeg tries a picture it cannot read again for every frame, for ever.
    runEnd_.stalled = true;
    readOutput1_.StopProcess();
  }
  ShowProgress();
  ShowProgressLine();
  if (IsFolderChunk(sChunk, ports_.programFolder)) {
    std::string mask(kFolderMask);
    mask += kCrLf;
    pane_.Append(mask);
    return;
  }
  piece_.clear();  // one buffer for every chunk of the run
  AppendNormalizedLineBreaks(sChunk, piece_);
  pane_.Append(piece_);
  if (IsClearScreen(sChunk)) {
    std::string banner(kClearBanner);
    banner += kCrLf;
    pane_.Replace(std::move(banner));
  }
}

void ConsoleLogic::Complete() {
  if (runningVideo_) {
    // The queue finishes the video first: what a failed conversion left can go, and the
    // message says so.
    completed_ = true;
    runEnd_.exitCode = readOutput1_.ExitCode();
    if (!Several()) ClearProgress();
    return;
  }
  ClearProgress();
  if (closed_) return;
  CommandEnded(readOutput1_.ExitCode(), "");
}

void ConsoleLogic::CommandEnded(std::optional<std::int32_t> exitCode,
                                const std::string& removedVideo) {
  if (pane_.Empty()) {
    pane_.Replace(std::string(kPrompt));
    return;
  }
  std::string tail(kCrLf);
  tail += kPrompt;
  pane_.Append(tail);
  // A command that failed must not look like a success; one whose status is not known
  // (never 0 by mistake) is shown as it always was.
  if (exitCode && *exitCode != 0) {
    std::string message = FailedCommandMessage(*exitCode);
    if (!removedVideo.empty()) {
      message += kCrLf;
      message += RemovedVideoLine(removedVideo);
    }
    ports_.messages.ShowMessage(message, MessageIcon::Critical, std::string(kErrorTitle));
    return;
  }
  ports_.messages.ShowMessage(std::string(kCompleteMessage), MessageIcon::None,
                              std::string(kCompleteTitle));
}

void ConsoleLogic::Canceled() {
  ClearProgress();
  if (runningVideo_ && runEnd_.stalled) return;  // the program stopped it: the video failed
  if (runningVideo_) runEnd_.stopped = true;
  if (closed_) return;
  std::string tail(kCrLf);
  tail += kCancelLine;
  tail += kCrLf;
  tail += kCrLf;
  tail += kPrompt;
  pane_.Append(tail);
  ports_.messages.ShowMessage(std::string(kCanceledMessage), MessageIcon::None, identity::kTitle);
}

void ConsoleLogic::Error(const std::string& error, std::int32_t& lastDllError) {
  // Before Starting, the video's run could not start; later errors are about other calls.
  if (runningVideo_ && !songStarted_) {
    runEnd_.error = error + " (" + std::to_string(lastDllError) + ")";
    if (Several()) return;  // its line says so
  }
  ClearProgress();
  if (closed_) return;
  ports_.messages.ShowMessage(ErrorMessage(error, lastDllError), MessageIcon::Critical,
                              std::string(kErrorTitle));
}

}  // namespace framora::console
