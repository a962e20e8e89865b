// Turns the bytes of successive reads into UTF-8 chunks where the output mixes two encodings
// line by line: on Windows FFmpeg writes UTF-8, while cmd.exe writes its own messages in the
// code page of the command's console. Each line is read as UTF-8 when it is valid UTF-8, and
// in the code page otherwise.
//
// Plain ASCII reads the same in both and passes at once; from a line's first other byte on,
// the line is held back until it ends (or kMaxHeld bytes of it have come, which are then read
// as one piece), so that a character cut by a read is never damaged. No chunk holds more than
// kMaxChars characters; what does not fit waits (see Pending). Memory use stays bounded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framora {

// A narrow code page, as the system knows it.
class NarrowCodePage {
 public:
  virtual ~NarrowCodePage() = default;
  // Whole characters of the code page, as UTF-8.
  virtual std::string ToUtf8(std::string_view bytes) const = 0;
  // Whether the byte begins a character of two bytes.
  virtual bool IsLeadByte(unsigned char byte) const = 0;
};

class LineChunkDecoder {
 public:
  static constexpr std::size_t kMaxChars = 256;
  static constexpr std::size_t kMaxHeld = 4096;

  // `codePage` outlives the decoder.
  explicit LineChunkDecoder(const NarrowCodePage& codePage) : codePage_(&codePage) {}

  // Takes one read (it may be empty) and replaces `chunk` with the next text.
  void Decode(std::string_view bytes, std::string& chunk);
  // The input has ended: what was held back is read as it is.
  void Finish(std::string& chunk);
  // Text is waiting that did not fit into the last chunk: Decode with no bytes gives it.
  bool Pending() const { return given_ < ready_.size(); }

 private:
  // Reads what is held: the whole rest of a line (`whole`), or a piece of a long one, whose
  // last character may be unfinished and then stays held.
  void Release(bool whole);
  void Give(std::string& chunk);

  const NarrowCodePage* codePage_;
  std::string held_;   // the line from its first byte that is not ASCII
  std::string ready_;  // UTF-8 text not yet given out, from `given_` on
  std::size_t given_ = 0;
};

}  // namespace framora
