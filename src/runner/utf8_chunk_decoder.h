// Turns the bytes of successive reads into UTF-8 text chunks. A character cut in two by a read
// boundary is held back and arrives whole with the next chunk; bytes that cannot be UTF-8
// become U+FFFD (one for each maximal broken piece); no chunk holds more than kMaxChars
// characters, anything beyond waits for the next chunk. Memory use stays constant.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framora {

// What a UTF-8 lead byte begins: how long its character is (0: none, or it is ASCII) and the
// range of the byte after it. Well-formed UTF-8 only: no overlong forms, no surrogates,
// nothing above U+10FFFF.
struct Utf8Lead {
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};
Utf8Lead Utf8LeadOf(unsigned char byte);

class Utf8ChunkDecoder {
 public:
  static constexpr std::size_t kMaxChars = 256;

  // Replaces `chunk` with the text of these bytes and of whatever was held back before.
  // `bytes` are one read: at most kMaxChars of them.
  void Decode(std::string_view bytes, std::string& chunk);
  // The input has ended: replaces `chunk` with whatever was held back (an unfinished character
  // becomes U+FFFD) and starts afresh.
  void Finish(std::string& chunk);

 private:
  void Emit(std::string& chunk, std::string_view character);
  void EmitReplacement(std::string& chunk);

  // An unfinished character: its bytes so far, the length it announced, the range its next
  // byte must fall into.
  char partial_[4] = {};
  std::size_t partialLength_ = 0;
  std::size_t expectedLength_ = 0;
  unsigned char nextLow_ = 0x80;
  unsigned char nextHigh_ = 0xBF;

  // Characters over the limit of the previous chunk, and how many of them there are.
  std::string overflow_;
  std::size_t overflowChars_ = 0;
  std::size_t chunkChars_ = 0;
};

}  // namespace framora
