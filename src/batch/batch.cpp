#include "batch/batch.h"

#include <deque>
#include <optional>
#include <utility>

#include "app/text.h"
#include "batch/command_line.h"
#include "console/progress_reader.h"
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

class Batch final : public YieldPort, private ReadOutputEvents {
 public:
  Batch(const Arguments& arguments, BatchPorts ports, std::string ffmpeg)
      : args_(arguments), ports_(ports), ffmpeg_(std::move(ffmpeg)) {}

  int Run() {
    terminal_ = ports_.system.IsTerminal();
    host_ = ports_.system.MakeProcessHost(*this);
    runner_ = std::make_unique<ReadOutput>(*host_, static_cast<ReadOutputEvents&>(*this));
    int converted = 0, skipped = 0, failed = 0;
    bool stopped = false;
    for (std::size_t i = 0; i < args_.audio.size() && !stopped; ++i) {
      stopped = ports_.system.StopRequested();
      if (stopped) break;
      switch (Convert(i)) {
        case Result::Converted:
          ++converted;
          break;
        case Result::Skipped:
          ++skipped;
          break;
        case Result::Failed:
          ++failed;
          break;
        case Result::Stopped:
          stopped = true;
          break;
      }
    }
    const std::string counts = std::to_string(converted) + " converted, " +
                               std::to_string(skipped) + " skipped, " + std::to_string(failed) +
                               " failed";
    if (stopped) {
      const std::size_t left = args_.audio.size() - converted - skipped - failed;
      Line("Stopped: " + counts + ", " + std::to_string(left) + " not converted");
      return kStopped;
    }
    Line(std::to_string(args_.audio.size()) + (args_.audio.size() == 1 ? " file: " : " files: ") +
         counts);
    return failed > 0 ? kFailed : kDone;
  }

 private:
  enum class Result { Converted, Skipped, Failed, Stopped };

  Result Convert(std::size_t index) {
    const std::string& audio = args_.audio[index];
    label_ =
        "[" + std::to_string(index + 1) + "/" + std::to_string(args_.audio.size()) + "] " + audio;
    const std::string output = OutputFor(audio);
    const bool existed = ports_.files.IsNormalFile(output);
    // The launch's rule, a look-up as it makes it: an output that exists is not written over
    // unasked.
    if (!args_.overwrite && ports_.files.FindFirstFile(output)) {
      Line(label_ + ": skipped: " + OutputExistsMessage(output));
      return Result::Skipped;
    }

    canceled_ = false;
    stopSent_ = false;
    error_.reset();
    runner_->SetCommand(BuildConversionCommand(ffmpeg_, args_.image, audio, output, ports_.shell,
                                               ProbeSound(ports_.files, audio)));
    runner_->ProcessCommand();

    // What a conversion that did not finish leaves behind is no video, and a later batch
    // would skip it as one; a file that was there before is the user's.
    const auto removeUnfinished = [&] {
      if (!existed) ports_.files.RemoveFile(output);
    };
    if (canceled_) {
      ports_.system.WaitForStops();  // FFmpeg may be writing until it has ended
      removeUnfinished();
      Line(label_ + ": stopped");
      return Result::Stopped;
    }
    const std::optional<std::int32_t> exitCode = runner_->ExitCode();
    const bool written = ports_.files.IsNormalFile(output);
    if (!error_ && exitCode.value_or(0) == 0 && written) {
      Line(label_ + ": converted: " + output);
      return Result::Converted;
    }
    std::string why;
    if (error_) {
      why = *error_;
    } else if (!exitCode) {
      why = "FFmpeg's exit code is unknown";
    } else if (*exitCode != 0) {
      why = "FFmpeg's exit code " + std::to_string(*exitCode);
    } else {
      why = "FFmpeg ended (exit code 0) without writing " + output;
    }
    removeUnfinished();
    std::string text = label_ + ": failed: " + why;
    const std::vector<std::string> lines = tail_.Lines();
    if (!lines.empty()) text += "; its last lines:";
    for (const std::string& line : lines) text += "\n    " + line;
    Line(text);
    return Result::Failed;
  }

  // DIR/<name without extension>.avi (or .mp4); DIR is the audio file's own folder by default.
  std::string OutputFor(const std::string& audio) const {
    const bool windows = ports_.shell == ShellKind::Cmd;
    const auto separator = [windows](char c) {
      return c == '/' || (windows && (c == '\\' || c == ':'));
    };
    std::size_t start = audio.size();
    while (start > 0 && !separator(audio[start - 1])) --start;
    std::string name = audio.substr(start);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::string folder = audio.substr(0, start);
    if (args_.outputDir) {
      folder = *args_.outputDir;
      if (!folder.empty() && !separator(folder.back())) folder += windows ? '\\' : '/';
    }
    return folder + name + args_.extension;
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
    progress_.Start();
    tail_.Clear();
    shownPercent_ = -1;
    if (terminal_) Live(label_);
  }

  void GotChunk(const std::string& sChunk, bool /*lastChunk*/) override {
    tail_.Feed(sChunk);
    if (!terminal_) return;
    progress_.Feed(sChunk);
    const std::optional<double> fraction = progress_.Fraction();
    // Whole per cents, rounded down (100 % only at the end); 0.29 is 28.999... in binary.
    const int percent = fraction ? static_cast<int>(*fraction * 100 + 1e-9) : -1;
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    Live(label_ + "  " + std::to_string(percent) + " %");
  }

  void Complete() override {}
  void Canceled() override { canceled_ = true; }
  void Error(const std::string& error, std::int32_t& lastDllError) override {
    error_ = error + " (" + std::to_string(lastDllError) + ")";
  }

  const Arguments& args_;
  BatchPorts ports_;
  std::string ffmpeg_;
  bool terminal_ = false;
  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<ReadOutput> runner_;
  console::ProgressReader progress_;
  OutputTail tail_;
  std::string label_;  // "[3/12] song.mp3"
  int shownPercent_ = -1;
  std::size_t liveWidth_ = 0;
  bool stopSent_ = false;
  bool canceled_ = false;
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
  if (!ports.files.IsNormalFile(arguments.image)) {
    return UsageError(ports.system, "the cover '" + arguments.image + "' is not a file");
  }
  if (arguments.outputDir && !ports.files.IsFolder(*arguments.outputDir)) {
    return UsageError(ports.system,
                      "the output folder '" + *arguments.outputDir + "' does not exist");
  }
  std::optional<std::string> ffmpeg = arguments.ffmpeg;
  if (!ffmpeg) ffmpeg = FindProgram(ports.programs, ports.ffmpegSearch);
  if (!ffmpeg) {
    return UsageError(ports.system, "FFmpeg (" + ports.ffmpegSearch.name +
                                        ") was not found; name it with --ffmpeg PATH");
  }
  Batch batch(arguments, ports, *ffmpeg);
  return batch.Run();
}

}  // namespace framora::batch
