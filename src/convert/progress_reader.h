// How far an FFmpeg conversion has got, read from the output the console window receives.
//
// The total is the length of the audio, FFmpeg's "Duration:" line of the second input: with
// -shortest the video is as long as the sound, and the still image (the first input) has no
// useful length of its own. The progress is the latest "time=" of FFmpeg's progress lines.
//
// Only FFmpeg's own lines count, read line by line: a header ("Input #", "Output #") where it
// starts a line, the input's "Duration:" where it starts a line after exactly two blanks (what
// FFmpeg indents deeper is metadata and chapters, whose keys may be called anything), and
// "time=" as a field of a progress line, which is made of nothing but "name= value" fields. A
// file name or a tag that holds the same words sits elsewhere and moves nothing. FFmpeg writes
// a header's file name as it is, between quotes ("Input #1, mp3, from 'name':"): a name that
// holds line breaks runs on over several lines, up to the line that ends in "':", and none of
// them is read. Of each line only its start and its last two characters are kept (no header or
// time lies further in), so memory use stays constant.
//
// Once the output's header has come, only progress lines follow, and they come in floods:
// each chunk is only searched, from its end, for its latest progress line, which is read when
// someone asks how far the conversion has got.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace framora::convert {

class ProgressReader {
 public:
  // A new run: nothing is known yet, but the total where the caller knows it (the length of
  // the video being made), which FFmpeg's own lines then do not change.
  void Start(std::optional<double> total = std::nullopt);
  // The next chunk of the command's output.
  void Feed(std::string_view chunk);
  // Time over total, between 0 and 1; nothing while either is unknown (a command that is not
  // an FFmpeg conversion, or output that says nothing usable).
  std::optional<double> Fraction();
  // How far FFmpeg has got, in seconds of the video.
  std::optional<double> Time();
  // FFmpeg writes line after line without getting any further, for seconds: a picture it cannot
  // read makes it try again for every frame, for ever. Asked as the output arrives, with a
  // steady clock's milliseconds.
  bool Stalled(std::int64_t nowMs);

 private:
  // A whole line (`ended`), or the start of the line still being written: a progress line may
  // be read before its end, a header only once it is whole. `line` has its indentation.
  void ReadLine(std::string_view line, bool ended);
  void ReadHeader(std::string_view line, std::size_t indent);
  void ReadProgress(std::string_view line, bool ended);
  // After the output's header: only the latest progress line of the chunk is kept.
  void FeedProgress(std::string_view chunk);
  // Adds to the start of the line being received.
  void Carry(std::string_view piece);
  // The line has been dealt with: the next one starts.
  void NextLine();

  std::string line_;      // the start of the line being received
  bool lineCut_ = false;  // it was longer than what is kept of it
  std::string lineTail_;  // its last two characters
  // The header whose quoted file name has not ended yet: its lines are the name's.
  enum class Name { None, Input, Output } name_ = Name::None;
  bool lineRead_ = true;     // its progress has been looked at as it is now
  int input_ = -1;           // the input whose header came last; -1 before any, and after it ended
  bool totalRead_ = false;   // the audio's "Duration:" line has come (its value may be N/A)
  bool outputSeen_ = false;  // the output's header has come: only progress lines follow
  // The latest whole progress line since the output's header, and whether it has been read.
  std::string latest_;
  bool latestCut_ = false;
  bool latestRead_ = true;
  std::optional<double> total_;
  std::optional<double> time_;
  // For Stalled: the latest time that got further, the lines since, and since when.
  static constexpr std::uint64_t kStallLines = 1000;
  static constexpr std::int64_t kStallMs = 3000;
  std::optional<double> progressTime_;
  std::uint64_t linesSinceProgress_ = 0;
  std::optional<std::int64_t> stallSince_;
};

}  // namespace framora::convert
