#include "batch/batch.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <optional>
#include <utility>

#include "app/text.h"
#include "app/wildcard.h"
#include "batch/command_line.h"
#include "convert/picture.h"
#include "convert/progress_reader.h"
#include "queue/song_queue.h"
#include "runner/process_host.h"
#include "runner/read_output.h"

namespace framora::batch {

namespace {

// The last lines of a command's output, each cut short: what tells why a conversion failed.
// However much the command writes (FFmpeg with a cover that is no picture writes without end),
// this stays as small.
class OutputTail {
 public:
  void Clear() {
    lines_.clear();
    current_.clear();
  }

  void Feed(std::string_view chunk) {
    // FFmpeg ends its lines with LF, and rewrites its progress line after each CR.
    while (!chunk.empty()) {
      const std::size_t end = chunk.find_first_of("\r\n");
      const std::string_view piece = chunk.substr(0, end);
      current_.append(piece.substr(0, kWidth - std::min(kWidth, current_.size())));
      if (end == std::string_view::npos) break;
      Push();
      chunk.remove_prefix(end + 1);
    }
  }

  // Oldest first, the unfinished line last.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines(lines_.begin(), lines_.end());
    if (!current_.empty()) lines.push_back(WholeCharacters(current_));
    if (lines.size() > kLines) lines.erase(lines.begin());
    return lines;
  }

 private:
  static constexpr std::size_t kLines = 5;
  static constexpr std::size_t kWidth = 200;  // bytes kept of a line

  // A line cut short may end inside a character.
  static std::string WholeCharacters(std::string line) {
    std::size_t start = line.size();
    while (start > 0 && (static_cast<unsigned char>(line[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return line;
    const auto lead = static_cast<unsigned char>(line[start - 1]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (start - 1 + length > line.size()) line.resize(start - 1);
    return line;
  }

  void Push() {
    if (current_.empty()) return;
    lines_.push_back(WholeCharacters(std::move(current_)));
    current_.clear();
    if (lines_.size() > kLines) lines_.pop_front();
  }

  std::deque<std::string> lines_;
  std::string current_;
};

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

class Batch final : public YieldPort,
                    private ReadOutputEvents,
                    private queue::CommandRunner,
                    private queue::QueueReport {
 public:
  Batch(const Arguments& arguments, BatchPorts ports, std::string ffmpeg)
      : ports_(ports),
        queue_(ports.files, {.ffmpeg = std::move(ffmpeg),
                             .image = arguments.image,
                             .shell = ports.shell,
                             .overwrite = arguments.overwrite,
                             .frame = arguments.frame}) {
    // Every song's video is known before anything runs, so that no song replaces another's.
    const convert::Naming naming{arguments.outputDir, arguments.extension};
    std::vector<std::string> album;
    for (const std::string& argument : arguments.audio) {
      std::vector<std::string> songs = {argument};
      if (ports.shell == ShellKind::Cmd && HasWildcard(argument)) {
        // cmd leaves * and ? to the program, and Windows programs expand them.
        songs = Matching(argument);
        if (songs.empty()) {
          queue_.AddRefused(argument, "no file matches it");
          if (arguments.album) return;  // an album without some of its songs is no album
        }
      }
      if (arguments.album) {
        album.insert(album.end(), songs.begin(), songs.end());
      } else {
        queue_.AddEach(songs, naming);
      }
    }
    if (arguments.album) queue_.AddAlbum(album, *arguments.album);
  }

  int Run() {
    terminal_ = ports_.system.IsTerminal();
    host_ = ports_.system.MakeProcessHost(*this);
    runner_ = std::make_unique<ReadOutput>(*host_, static_cast<ReadOutputEvents&>(*this));
    queue_.Run(*this, *this);
    const queue::Counts counts = queue_.Count();
    const std::string sums = std::to_string(counts.converted) + " converted, " +
                             std::to_string(counts.skipped) + " skipped, " +
                             std::to_string(counts.failed) + " failed";
    if (queue_.IsAlbum()) {
      // An album is one video of its songs, and is summed up as that.
      const queue::Video& album = queue_[0];
      const char* made = stopped_                                     ? "stopped, not made"
                         : album.outcome == queue::Outcome::Converted ? "made "
                         : album.outcome == queue::Outcome::Skipped   ? "skipped "
                                                                      : "failed to make ";
      Line(AlbumOf(album) + ": " + made + (stopped_ ? "" : album.output));
      return stopped_ ? kStopped : counts.failed > 0 ? kFailed : kDone;
    }
    if (stopped_) {
      Line("Stopped: " + sums + ", " + std::to_string(counts.notConverted) + " not converted");
      return kStopped;
    }
    Line(std::to_string(queue_.Size()) + (queue_.Size() == 1 ? " file: " : " files: ") + sums);
    return counts.failed > 0 ? kFailed : kDone;
  }

 private:
  // "album of 10 songs", "album of 1 song".
  static std::string AlbumOf(const queue::Video& album) {
    return "album of " + std::to_string(album.songs.size()) +
           (album.songs.size() == 1 ? " song" : " songs");
  }

  // "[3/12] song.mp3", or "[1/1] album of 10 songs, Album.mp4".
  std::string Label(std::size_t index) const {
    const queue::Video& video = queue_[index];
    return "[" + std::to_string(index + 1) + "/" + std::to_string(queue_.Size()) + "] " +
           (video.album ? AlbumOf(video) + ", " + video.output : video.FirstSong());
  }

  bool StopRequested() override {
    stopped_ = stopped_ || ports_.system.StopRequested();
    return stopped_;
  }

  void VideoStarting(const queue::SongQueue& queue, std::size_t video) override {
    label_ = Label(video);
    videoSeconds_ = queue.Seconds(video);
  }

  queue::RunEnd RunCommand(const std::string& command) override {
    canceled_ = stalled_ = false;
    stopSent_ = false;
    error_.reset();
    runner_->SetCommand(command);
    runner_->ProcessCommand();
    stopped_ = stopped_ || canceled_;
    return {.stopped = canceled_,
            .stalled = stalled_,
            .leftRunning = false,
            .exitCode = runner_->ExitCode(),
            .error = error_};
  }

  void AfterStop(std::function<void()> work) override {
    // FFmpeg may still be writing what it was stopped in, until its stop is over.
    ports_.system.WaitForStops();
    work();
  }

  void VideoEnded(const queue::SongQueue& /*queue*/, std::size_t index) override {
    const queue::Video& video = queue_[index];
    std::string text = Label(index) + ": " + video.result;
    const std::vector<std::string> lines = tail_.Lines();
    if (video.outcome == queue::Outcome::Failed && video.exitCode && !lines.empty()) {
      text += "; its last lines:";
      for (const std::string& line : lines) text += "\n    " + line;
    }
    tail_.Clear();
    Line(text);
    // An album's track list itself, to paste into the video's description, or to pipe on.
    if (video.album && video.outcome == queue::Outcome::Converted) {
      std::string list = queue_.TrackListText(index);
      std::erase(list, '\r');
      ports_.system.Out(list);
    }
  }

  // The files a pattern names, in file-name order: wildcards in its last part, letter case
  // aside, as Windows matches them.
  std::vector<std::string> Matching(const std::string& pattern) const {
    const std::string folder = FolderOf(pattern, ports_.shell);
    const std::string name = FoldCase(NameOf(pattern, ports_.shell));
    std::vector<std::string> files;
    for (const std::string& entry : ports_.files.ListFolder(folder.empty() ? "." : folder)) {
      const std::string file = JoinPath(folder, entry, ports_.shell);
      if (WildcardMatch(name, FoldCase(entry)) && ports_.files.IsNormalFile(file))
        files.push_back(file);
    }
    std::sort(files.begin(), files.end(), [this](const std::string& a, const std::string& b) {
      return InFileNameOrder(a, b, ports_.shell);
    });
    return files;
  }

  // The terminal's line for the file being converted, rewritten in place.
  void Live(const std::string& text) {
    ports_.system.Out("\r" + text + Blanks(text));
    liveWidth_ = Utf8Length(text);
  }

  // A line that stays, over the live line if there is one.
  void Line(const std::string& text) {
    if (liveWidth_ > 0) {
      const std::string first = text.substr(0, text.find('\n'));
      ports_.system.Out("\r" + first + Blanks(first) + text.substr(first.size()) + "\n");
      liveWidth_ = 0;
      return;
    }
    ports_.system.Out(text + "\n");
  }

  // What covers the rest of the live line.
  std::string Blanks(const std::string& text) const {
    const std::size_t width = Utf8Length(text);
    return std::string(liveWidth_ > width ? liveWidth_ - width : 0, ' ');
  }

  // The runs wait through here: a stop the user asked for goes out as Cancel's does.
  bool Yield() override {
    if (!stopSent_ && runner_->Processing() && ports_.system.StopRequested()) {
      stopSent_ = true;
      runner_->StopProcess();
    }
    return true;
  }

  void Starting() override {
    progress_.Start(videoSeconds_);
    tail_.Clear();
    shownPercent_ = -1;
    if (terminal_) Live(label_);
  }

  void GotChunk(const std::string& sChunk, bool /*lastChunk*/) override {
    tail_.Feed(sChunk);
    progress_.Feed(sChunk);
    if (!stalled_ && progress_.Stalled(SteadyMs())) {
      // FFmpeg tries a picture it cannot read again for every frame, for ever.
      stalled_ = true;
      runner_->StopProcess();
    }
    if (!terminal_) return;
    const std::optional<double> fraction = progress_.Fraction();
    // Whole per cents, rounded down (100 % only at the end); 0.29 is 28.999... in binary.
    const int percent = fraction ? static_cast<int>(*fraction * 100 + 1e-9) : -1;
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    Live(label_ + "  " + std::to_string(percent) + " %");
  }

  void Complete() override {}
  void Canceled() override { canceled_ = canceled_ || !stalled_; }
  void Error(const std::string& error, std::int32_t& lastDllError) override {
    error_ = error + " (" + std::to_string(lastDllError) + ")";
  }

  BatchPorts ports_;
  queue::SongQueue queue_;
  bool terminal_ = false;
  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<ReadOutput> runner_;
  convert::ProgressReader progress_;
  OutputTail tail_;
  std::string label_;  // "[3/12] song.mp3"
  int shownPercent_ = -1;
  std::size_t liveWidth_ = 0;
  bool stopSent_ = false;
  bool canceled_ = false;
  bool stalled_ = false;
  bool stopped_ = false;  // the user asked to stop the batch
  std::optional<double> videoSeconds_;
  std::optional<std::string> error_;
};

int UsageError(BatchSystem& system, const std::string& error) {
  system.Err("Framoraaudioconverter: " + error +
             "\nTry 'Framoraaudioconverter --help' for more information.\n");
  return kUsage;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, BatchPorts ports) {
  const Arguments arguments = ParseArguments(args);
  switch (arguments.action) {
    case Action::Help:
      ports.system.Out(UsageText());
      return kDone;
    case Action::Version:
      ports.system.Out(VersionText());
      return kDone;
    case Action::Usage:
      return UsageError(ports.system, arguments.error);
    case Action::Batch:
      break;
  }
  if (!arguments.image.empty() && !ports.files.IsNormalFile(arguments.image)) {
    return UsageError(ports.system, "the cover '" + arguments.image + "' is not a file");
  }
  if (!arguments.image.empty() && !convert::IsStillPicture(ports.files, arguments.image)) {
    return UsageError(ports.system, convert::NotAPictureMessage(arguments.image));
  }
  if (arguments.outputDir && !ports.files.IsFolder(*arguments.outputDir)) {
    return UsageError(ports.system,
                      "the output folder '" + *arguments.outputDir + "' does not exist");
  }
  std::optional<std::string> ffmpeg = arguments.ffmpeg;
  if (!ffmpeg) {
    ffmpeg = FindProgram(ports.programs, ports.ffmpegSearch);
    if (!ffmpeg) {
      return UsageError(ports.system, "FFmpeg (" + ports.ffmpegSearch.name +
                                          ") was not found; name it with --ffmpeg PATH");
    }
  } else if (ffmpeg->find_first_of(ports.shell == ShellKind::Cmd ? "/\\:" : "/") ==
             std::string::npos) {
    // A bare name is looked up as the interpreter would, and named by where it was found.
    ProgramSearch search = ports.ffmpegSearch;
    search.name = *ffmpeg;
    std::optional<std::string> found = FindProgram(ports.programs, search);
    if (!found && ports.shell == ShellKind::Cmd && ffmpeg->find('.') == std::string::npos) {
      search.name += ".exe";
      found = FindProgram(ports.programs, search);
    }
    if (!found) return UsageError(ports.system, "--ffmpeg '" + *ffmpeg + "' was not found");
    ffmpeg = found;
  } else if (!ports.programs.IsProgramFile(*ffmpeg)) {
    // Before any song: otherwise each one fails alike, with the interpreter's words.
    return UsageError(ports.system, "--ffmpeg '" + *ffmpeg + "' is not a program that can run");
  }
  Batch batch(arguments, ports, *ffmpeg);
  return batch.Run();
}

}  // namespace framora::batch
