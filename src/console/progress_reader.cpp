#include "console/progress_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace framora::console {

namespace {

enum class Token { Input, Output, Duration, Time };

struct Keyword {
  Token token;
  std::string_view text;
};

constexpr std::array<Keyword, 4> kKeywords = {{{Token::Input, "Input #"},
                                               {Token::Output, "Output #"},
                                               {Token::Duration, "Duration:"},
                                               {Token::Time, "time="}}};
// Longer than any real token with its value: what is still unfinished after this is noise.
constexpr std::size_t kLongestToken = 48;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool InValue(char c) { return IsDigit(c) || c == ':' || c == '.' || c == '-'; }

enum class Value { Read, Unfinished, Unusable };

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
  // Where each keyword comes next; only the one just read is looked for again.
  std::array<std::size_t, kKeywords.size()> next{};
  for (std::size_t k = 0; k < kKeywords.size(); ++k) next[k] = text.find(kKeywords[k].text);
  std::size_t read = 0;  // everything before this has been read
  for (;;) {
    const auto first = std::min_element(next.begin(), next.end());
    const std::size_t at = *first;
    if (at == std::string_view::npos) break;
    const Keyword& keyword = kKeywords[static_cast<std::size_t>(first - next.begin())];
    const std::size_t valueAt = at + keyword.text.size();
    const std::string_view rest = text.substr(valueAt);
    std::size_t used = 0;
    Value value = Value::Read;
    switch (keyword.token) {
      case Token::Input: {
        int number = 0;
        value = ReadNumber(rest, number, used);
        if (value == Value::Read) input_ = number;
        break;
      }
      case Token::Output:
        input_ = -1;
        break;
      case Token::Duration: {
        double seconds = 0;
        value = ReadTime(rest, seconds, used);
        // The second input is the audio; N/A or a broken value leaves the total unknown.
        if (value == Value::Read && input_ == 1 && seconds > 0) total_ = seconds;
        if (value == Value::Unusable) used = 0;
        break;
      }
      case Token::Time: {
        double seconds = 0;
        value = ReadTime(rest, seconds, used);
        if (value == Value::Read) time_ = std::max(seconds, 0.0);  // FFmpeg starts below zero
        if (value == Value::Unusable) used = 0;
        break;
      }
    }
    if (value == Value::Unfinished) {
      // Kept for the next chunk, unless it can be no real token any more.
      if (text.size() - at <= kLongestToken) return at;
      used = 0;
    }
    read = valueAt + used;
    for (std::size_t k = 0; k < kKeywords.size(); ++k) {
      if (next[k] != std::string_view::npos && next[k] < read) {
        next[k] = text.find(kKeywords[k].text, read);
      }
    }
  }
  // A keyword may have begun in the last few characters.
  std::size_t keep = text.size();
  for (const Keyword& keyword : kKeywords) {
    const std::size_t room = std::min(keyword.text.size() - 1, text.size() - read);
    for (std::size_t n = room; n > 0; --n) {
      if (text.substr(text.size() - n) == keyword.text.substr(0, n)) {
        keep = std::min(keep, text.size() - n);
        break;
      }
    }
  }
  return keep;
}

std::optional<double> ProgressReader::Fraction() const {
  if (!total_ || !time_) return std::nullopt;
  return std::clamp(*time_ / *total_, 0.0, 1.0);
}

}  // namespace framora::console
