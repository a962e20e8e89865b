#include "runner/utf8_chunk_decoder.h"

#include <algorithm>

namespace framora {

Utf8Lead Utf8LeadOf(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {2};
  if (byte >= 0xE0 && byte <= 0xEF)
    return {3, static_cast<unsigned char>(byte == 0xE0 ? 0xA0 : 0x80),
            static_cast<unsigned char>(byte == 0xED ? 0x9F : 0xBF)};
  if (byte >= 0xF0 && byte <= 0xF4)
    return {4, static_cast<unsigned char>(byte == 0xF0 ? 0x90 : 0x80),
            static_cast<unsigned char>(byte == 0xF4 ? 0x8F : 0xBF)};
  return {};
}

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

void Utf8ChunkDecoder::Decode(std::string_view bytes, std::string& chunk) {
  chunk.clear();
  chunk.append(overflow_);
  chunkChars_ = overflowChars_;
  overflow_.clear();
  overflowChars_ = 0;

  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);

    if (partialLength_ > 0) {
      if (byte < nextLow_ || byte > nextHigh_) {
        // The character broke off; the byte is looked at again as a start of its own.
        partialLength_ = 0;
        EmitReplacement(chunk);
        continue;
      }
      partial_[partialLength_++] = bytes[i++];
      nextLow_ = 0x80;
      nextHigh_ = 0xBF;
      if (partialLength_ == expectedLength_) {
        Emit(chunk, std::string_view(partial_, partialLength_));
        partialLength_ = 0;
      }
      continue;
    }

    if (byte < 0x80) {
      // Plain ASCII is by far the most common output: copy whole runs at once.
      std::size_t end = i + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      const std::size_t run = end - i;
      const std::size_t room = chunkChars_ < kMaxChars ? kMaxChars - chunkChars_ : 0;
      const std::size_t now = std::min(run, room);
      chunk.append(bytes.substr(i, now));
      chunkChars_ += now;
      overflow_.append(bytes.substr(i + now, run - now));
      overflowChars_ += run - now;
      i = end;
      continue;
    }

    const auto [length, low, high] = Utf8LeadOf(byte);
    ++i;
    if (length == 0) {
      EmitReplacement(chunk);
      continue;
    }
    partial_[0] = static_cast<char>(byte);
    partialLength_ = 1;
    expectedLength_ = length;
    nextLow_ = low;
    nextHigh_ = high;
  }
}

void Utf8ChunkDecoder::Finish(std::string& chunk) {
  chunk.assign(overflow_);
  if (partialLength_ > 0) chunk.append(kReplacement);
  overflow_.clear();
  overflowChars_ = 0;
  partialLength_ = 0;
  chunkChars_ = 0;
}

void Utf8ChunkDecoder::Emit(std::string& chunk, std::string_view character) {
  if (chunkChars_ < kMaxChars) {
    chunk.append(character);
    ++chunkChars_;
  } else {
    overflow_.append(character);
    ++overflowChars_;
  }
}

void Utf8ChunkDecoder::EmitReplacement(std::string& chunk) { Emit(chunk, kReplacement); }

}  // namespace framora
