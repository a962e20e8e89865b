#include "convert/progress_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace framora::convert {

namespace {

// Longer than the start of any line that matters: a header with its value, or a progress line
// up to its time.
constexpr std::size_t kKeptOfALine = 200;

constexpr std::string_view kInput = "Input #";
constexpr std::string_view kOutput = "Output #";
constexpr std::string_view kDuration = "Duration:";
constexpr std::string_view kTime = "time";
// Where a header's file name opens, and how it ends.
constexpr std::string_view kInputName = ", from '";
constexpr std::string_view kOutputName = ", to '";
constexpr std::string_view kNameEnd = "':";

enum class Value { Read, Unfinished, Unusable };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsName(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// "[-]H+:MM:SS[.ff]" at the start of `text`, ended by anything else or by the end of a whole
// line (`ended`), in seconds. A value that runs to the end of an unfinished line may go on in
// the next chunk.
Value ReadTime(std::string_view text, bool ended, double& seconds) {
  std::size_t end = 0;
  while (end < text.size() &&
         (IsDigit(text[end]) || text[end] == ':' || text[end] == '.' || text[end] == '-')) {
    ++end;
  }
  if (end == text.size() && !ended) return Value::Unfinished;
  std::string_view value = text.substr(0, end);
  const bool negative = value.starts_with('-');
  if (negative) value.remove_prefix(1);
  // Hours, minutes, seconds: two colons, digits between them, a fraction after the seconds.
  // Counted in whole units of the last digit, so that 3.90 reads exactly as 3.90 is written.
  std::int64_t parts[3] = {};
  std::int64_t fraction = 0;
  std::int64_t unit = 1;
  int part = 0;
  int digits = 0;
  bool inFraction = false;
  for (char c : value) {
    if (IsDigit(c)) {
      if (++digits > (inFraction ? 6 : 7)) return Value::Unusable;
      if (inFraction) {
        fraction = fraction * 10 + (c - '0');
        unit *= 10;
      } else {
        parts[part] = parts[part] * 10 + (c - '0');
      }
    } else if (c == ':' && part < 2 && digits > 0 && !inFraction) {
      ++part;
      digits = 0;
    } else if (c == '.' && part == 2 && digits > 0 && !inFraction) {
      inFraction = true;
      digits = 0;
    } else {
      return Value::Unusable;
    }
  }
  if (part != 2 || digits == 0) return Value::Unusable;
  const std::int64_t whole = (parts[0] * 60 + parts[1]) * 60 + parts[2];
  seconds = static_cast<double>(whole * unit + fraction) / static_cast<double>(unit);
  if (negative) seconds = -seconds;
  return Value::Read;
}

// Where the line that starts at `from` ends: its CR or LF, or the end of the text.
const char* LineEnd(const char* from, const char* end) {
  for (; from != end; ++from) {
    if (*from == '\n' || *from == '\r') return from;
  }
  return end;
}

// A progress line with a time in it, at a glance: it starts with a name and its '=', and a
// number follows "time=" somewhere. Read as a whole only when it is the latest (see Fraction).
bool LooksLikeProgress(std::string_view line) {
  line = SkipBlanks(line);
  std::size_t name = 0;
  while (name < line.size() && IsName(line[name])) ++name;
  if (name == 0 || name == line.size() || line[name] != '=') return false;
  const std::size_t time = line.find("time=");
  if (time == std::string_view::npos) return false;
  const std::string_view value = SkipBlanks(line.substr(time + 5));
  return !value.empty() && (IsDigit(value.front()) || value.front() == '-');
}

}  // namespace

void ProgressReader::Start(std::optional<double> total) {
  NextLine();
  name_ = Name::None;
  lineRead_ = true;
  input_ = -1;
  totalRead_ = false;
  outputSeen_ = false;
  latest_.clear();
  latestCut_ = false;
  latestRead_ = true;
  total_ = total;
  // A total given beforehand stands: FFmpeg's lines then only tell the time.
  totalRead_ = total.has_value();
  time_.reset();
  progressTime_.reset();
  linesSinceProgress_ = 0;
  stallSince_.reset();
}

void ProgressReader::Carry(std::string_view piece) {
  if (!lineCut_) {
    const std::size_t room = kKeptOfALine - line_.size();
    line_.append(piece.substr(0, room));
    lineCut_ = piece.size() > room;
  }
  lineRead_ = false;
  if (piece.size() >= 2) {
    lineTail_.assign(piece.substr(piece.size() - 2));
  } else {
    lineTail_.append(piece);
    if (lineTail_.size() > 2) lineTail_.erase(0, 1);
  }
}

void ProgressReader::NextLine() {
  line_.clear();
  lineCut_ = false;
  lineTail_.clear();
}

void ProgressReader::Feed(std::string_view chunk) {
  linesSinceProgress_ += static_cast<std::uint64_t>(std::count(chunk.begin(), chunk.end(), '\n'));
  // FFmpeg ends header lines with LF and rewrites its progress line after each CR.
  while (!outputSeen_ && !chunk.empty()) {
    const char* end = LineEnd(chunk.data(), chunk.data() + chunk.size());
    const auto length = static_cast<std::size_t>(end - chunk.data());
    Carry(chunk.substr(0, length));
    if (length == chunk.size()) break;
    ReadLine(line_, true);
    NextLine();
    chunk.remove_prefix(length + 1);
  }
  if (outputSeen_) {
    FeedProgress(chunk);
  } else if (!lineRead_) {
    lineRead_ = true;
    ReadLine(line_, false);
  }
}

void ProgressReader::FeedProgress(std::string_view chunk) {
  // A chunk holds a few lines at most, and of them only the latest progress line counts: the
  // lines are found with memchr, and only that one is copied. CR and LF are looked for apart.
  const char* p = chunk.data();
  const char* const end = p + chunk.size();
  const auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found != nullptr ? static_cast<const char*>(found) : end;
  };
  const char* cr = next(p, '\r');
  const char* lf = next(p, '\n');
  std::string_view latest;
  for (bool first = true;; first = false) {
    const char* stop = cr < lf ? cr : lf;
    if (stop == end) break;
    const std::string_view line(p, static_cast<std::size_t>(stop - p));
    if (first) {
      // The end of the line the last chunk began.
      Carry(line);
      if (LooksLikeProgress(line_)) {
        latest_ = line_;
        latestCut_ = lineCut_;
        latestRead_ = false;
      }
      NextLine();
      lineRead_ = true;
    } else if (LooksLikeProgress(line)) {
      latest = line;
    }
    if (stop == cr) cr = next(stop + 1, '\r');
    if (stop == lf) lf = next(stop + 1, '\n');
    p = stop + 1;
  }
  if (latest.data() != nullptr) {
    latest_.assign(latest.substr(0, kKeptOfALine));
    latestCut_ = latest.size() > kKeptOfALine;
    latestRead_ = false;
  }
  if (p != end) Carry(std::string_view(p, static_cast<std::size_t>(end - p)));
}

void ProgressReader::ReadLine(std::string_view line, bool ended) {
  if (name_ != Name::None) {
    // A line of a file name: none of FFmpeg's, and the one that ends it ends the name.
    if (ended && lineTail_ == kNameEnd) {
      if (name_ == Name::Output) outputSeen_ = true;
      name_ = Name::None;
    }
    return;
  }
  std::size_t indent = 0;
  while (indent < line.size() && IsBlank(line[indent])) ++indent;
  line.remove_prefix(indent);
  if (line.empty()) return;
  // What was cut off a long line may have been the rest of a value.
  if (IsName(line.front())) ReadProgress(line, ended && !lineCut_);
  if (ended && !outputSeen_) ReadHeader(line, indent);
}

void ProgressReader::ReadHeader(std::string_view line, std::size_t indent) {
  if (indent == 0) {
    // Anything else at the margin ends the header of the input before it.
    input_ = -1;
    const bool output = line.starts_with(kOutput);
    if (!output && !line.starts_with(kInput)) return;
    // The name runs from its opening quote to a "':" that ends a line, maybe a later one.
    const std::string_view opening = output ? kOutputName : kInputName;
    if (const std::size_t found = line.find(opening); found != std::string_view::npos) {
      const std::size_t quote = found + opening.size() - 1;
      const bool ends = lineTail_ == kNameEnd && (lineCut_ || line.size() > quote + 2);
      if (!ends) name_ = output ? Name::Output : Name::Input;
    }
    if (output) {
      outputSeen_ = name_ == Name::None;
    } else {
      line.remove_prefix(kInput.size());
      int number = 0;
      std::size_t digits = 0;
      while (digits < line.size() && digits < 4 && IsDigit(line[digits])) {
        number = number * 10 + (line[digits++] - '0');
      }
      if (digits > 0 && (digits == line.size() || !IsDigit(line[digits]))) input_ = number;
    }
  } else if (indent == 2 && input_ == 1 && !totalRead_ && line.starts_with(kDuration)) {
    // The second input is the audio; N/A or a broken value leaves the total unknown. Its first
    // such line is its own; nothing later can be.
    totalRead_ = true;
    double seconds = 0;
    if (ReadTime(SkipBlanks(line.substr(kDuration.size())), true, seconds) == Value::Read &&
        seconds > 0) {
      total_ = seconds;
    }
  }
}

void ProgressReader::ReadProgress(std::string_view line, bool ended) {
  // "frame=   25 fps=0.0 q=2.0 size=     256kB time=00:00:01.00 bitrate=..."
  for (;;) {
    std::size_t name = 0;
    while (name < line.size() && IsName(line[name])) ++name;
    if (name == 0 || name == line.size() || line[name] != '=') return;
    const bool isTime = line.substr(0, name) == kTime;
    line = SkipBlanks(line.substr(name + 1));
    if (isTime) {
      double seconds = 0;
      // FFmpeg's first times may lie below zero.
      if (ReadTime(line, ended, seconds) == Value::Read) time_ = std::max(seconds, 0.0);
      return;
    }
    std::size_t value = 0;
    while (value < line.size() && !IsBlank(line[value])) ++value;
    if (value == 0) return;
    line = SkipBlanks(line.substr(value));
  }
}

std::optional<double> ProgressReader::Time() {
  Fraction();
  return time_;
}

bool ProgressReader::Stalled(std::int64_t nowMs) {
  const std::optional<double> time = Time();
  if (!stallSince_ || (time && (!progressTime_ || *time > *progressTime_))) {
    if (time) progressTime_ = time;
    if (stallSince_) linesSinceProgress_ = 0;
    stallSince_ = nowMs;
  }
  return linesSinceProgress_ >= kStallLines && nowMs - *stallSince_ >= kStallMs;
}

std::optional<double> ProgressReader::Fraction() {
  // The latest whole progress line, then the start of the one still coming, which is newer.
  if (!latestRead_) {
    latestRead_ = true;
    const std::string_view line = SkipBlanks(latest_);
    if (!line.empty() && IsName(line.front())) ReadProgress(line, !latestCut_);
  }
  if (!lineRead_) {
    lineRead_ = true;
    ReadLine(line_, false);
  }
  if (!total_ || !time_) return std::nullopt;
  return std::clamp(*time_ / *total_, 0.0, 1.0);
}

}  // namespace framora::convert
