// Text at the edges of the Win32 adapters. The core speaks UTF-8; the "A" functions speak the
// process's narrow code page (UTF-8 itself where the manifest's code page is honoured), and the
// front-end's windows speak UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "runner/utf8_chunk_decoder.h"

namespace framora::win32 {

// UTF-8 to the narrow code page and back; characters the code page lacks become '?'.
std::string ToNarrow(std::string_view utf8);
std::string FromNarrow(std::string_view narrow);

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

// Whether the narrow code page is UTF-8, so that narrow text needs no conversion.
bool NarrowIsUtf8();

// Turns the narrow bytes of successive pipe reads into UTF-8 chunks of at most 256 characters.
// A character cut in two by a read (a UTF-8 sequence, or a double-byte character's lead byte)
// is held back and arrives whole with the next chunk.
class NarrowChunkDecoder {
 public:
  NarrowChunkDecoder();
  void Decode(std::string_view bytes, std::string& chunk);
  // The input has ended: whatever was held back.
  void Finish(std::string& chunk);

 private:
  bool utf8_;
  Utf8ChunkDecoder utf8Decoder_;
  std::string leadByte_;  // a double-byte character's first half, waiting for its second
};

}  // namespace framora::win32
