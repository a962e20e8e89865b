// How far an FFmpeg conversion has got, read from the output the console window receives.
//
// The total is the length of the audio, FFmpeg's "Duration:" line of the second input: with
// -shortest the video is as long as the sound, and the still image (the first input) has no
// useful length of its own. The progress is the latest "time=" of FFmpeg's progress lines. The
// reader keeps no output but an unfinished token at the end of a chunk, so tokens split
// between chunks are read whole and memory use stays constant.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace framora::console {

class ProgressReader {
 public:
  // A new run: nothing is known yet.
  void Start();
  // The next chunk of the command's output.
  void Feed(std::string_view chunk);
  // Time over total, between 0 and 1; nothing while either is unknown (a command that is not
  // an FFmpeg conversion, or output that says nothing usable).
  std::optional<double> Fraction() const;

  enum class Token { Input, Output, Duration };
  enum class Value { Read, Unfinished, Unusable };

 private:
  // Reads the tokens of `text`; returns where the unread rest starts.
  std::size_t Scan(std::string_view text);
  // A header line's token, its value at the start of `rest`; `used` is the value's length.
  Value ReadHeader(Token token, std::string_view rest, std::size_t& used);

  std::string tail_;
  std::string joined_;
  int input_ = -1;  // the input whose header came last; -1 before any, and after an output's
  bool outputSeen_ = false;  // the output's header has come: only progress lines follow
  std::optional<double> total_;
  std::optional<double> time_;
};

}  // namespace framora::console
