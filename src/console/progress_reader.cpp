#include "console/progress_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace framora::console {

using Value = ProgressReader::Value;
using Token = ProgressReader::Token;

namespace {

struct Keyword {
  ProgressReader::Token token;
  std::string_view text;
};

// What FFmpeg prints before it starts: its inputs with their lengths, then its output.
constexpr std::array<Keyword, 3> kHeaders = {{{ProgressReader::Token::Input, "Input #"},
                                              {ProgressReader::Token::Output, "Output #"},
                                              {ProgressReader::Token::Duration, "Duration:"}}};
// What each progress line holds.
constexpr std::string_view kTime = "time=";
// Longer than any real token with its value: what is still unfinished after this is noise.
constexpr std::size_t kLongestToken = 48;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool InValue(char c) { return IsDigit(c) || c == ':' || c == '.' || c == '-'; }

// "[-]H+:MM:SS[.ff]" at the start of `text` (after blanks), in seconds. `used` is the length
// read. A value that runs to the end of the text may go on in the next chunk.
Value ReadTime(std::string_view text, double& seconds, std::size_t& used) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const std::size_t start = i;
  while (i < text.size() && InValue(text[i])) ++i;
  if (i == text.size()) return Value::Unfinished;
  used = i;
  std::string_view value = text.substr(start, i - start);
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

// The digits of "Input #1,": which input the lines that follow describe.
Value ReadNumber(std::string_view text, int& number, std::size_t& used) {
  std::size_t i = 0;
  number = 0;
  while (i < text.size() && IsDigit(text[i]) && number < 1000)
    number = number * 10 + (text[i++] - '0');
  if (i == text.size()) return Value::Unfinished;
  used = i;
  return i > 0 ? Value::Read : Value::Unusable;
}

}  // namespace

void ProgressReader::Start() {
  tail_.clear();
  input_ = -1;
  outputSeen_ = false;
  total_.reset();
  time_.reset();
}

void ProgressReader::Feed(std::string_view chunk) {
  if (tail_.empty()) {
    tail_.assign(chunk.substr(Scan(chunk)));
    return;
  }
  joined_.assign(tail_);
  joined_.append(chunk);
  tail_.assign(std::string_view(joined_).substr(Scan(joined_)));
}

std::size_t ProgressReader::Scan(std::string_view text) {
  std::size_t keep = text.size();  // where the unread rest starts
  // The inputs and their lengths, in order; after the output's header only progress follows.
  if (!outputSeen_) {
    std::array<std::size_t, kHeaders.size()> next{};
    for (std::size_t k = 0; k < kHeaders.size(); ++k) next[k] = text.find(kHeaders[k].text);
    for (;;) {
      const auto first = std::min_element(next.begin(), next.end());
      const std::size_t at = *first;
      if (at == std::string_view::npos) break;
      const Keyword& keyword = kHeaders[static_cast<std::size_t>(first - next.begin())];
      const std::size_t valueAt = at + keyword.text.size();
      std::size_t used = 0;
      const Value value = ReadHeader(keyword.token, text.substr(valueAt), used);
      if (value == Value::Unfinished && text.size() - at <= kLongestToken) {
        keep = at;  // read whole with the next chunk
        break;
      }
      const std::size_t read = value == Value::Read ? valueAt + used : valueAt;
      for (std::size_t k = 0; k < kHeaders.size(); ++k) {
        if (next[k] != std::string_view::npos && next[k] < read) {
          next[k] = text.find(kHeaders[k].text, read);
        }
      }
    }
  }
  // Only the latest time counts; one still running to the end of the text waits for the rest.
  for (std::size_t at = text.rfind(kTime); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : text.rfind(kTime, at - 1)) {
    double seconds = 0;
    std::size_t used = 0;
    const Value value = ReadTime(text.substr(at + kTime.size()), seconds, used);
    if (value == Value::Read) time_ = std::max(seconds, 0.0);  // FFmpeg starts below zero
    if (value != Value::Unfinished) break;
    if (text.size() - at <= kLongestToken) keep = std::min(keep, at);
  }
  // A keyword may have begun in the last few characters.
  const auto keepPrefix = [&](std::string_view keyword) {
    for (std::size_t n = std::min(keyword.size() - 1, text.size()); n > 0; --n) {
      if (text.substr(text.size() - n) == keyword.substr(0, n)) {
        keep = std::min(keep, text.size() - n);
        return;
      }
    }
  };
  keepPrefix(kTime);
  if (!outputSeen_) {
    for (const Keyword& keyword : kHeaders) keepPrefix(keyword.text);
  }
  return keep;
}

Value ProgressReader::ReadHeader(Token token, std::string_view rest, std::size_t& used) {
  switch (token) {
    case Token::Input: {
      int number = 0;
      const Value value = ReadNumber(rest, number, used);
      if (value == Value::Read) input_ = number;
      return value;
    }
    case Token::Output:
      outputSeen_ = true;
      input_ = -1;
      return Value::Read;
    case Token::Duration: {
      double seconds = 0;
      const Value value = ReadTime(rest, seconds, used);
      // The second input is the audio; N/A or a broken value leaves the total unknown.
      if (value == Value::Read && input_ == 1 && seconds > 0) total_ = seconds;
      return value;
    }
  }
  return Value::Unusable;
}

std::optional<double> ProgressReader::Fraction() const {
  if (!total_ || !time_) return std::nullopt;
  return std::clamp(*time_ / *total_, 0.0, 1.0);
}

}  // namespace framora::console
