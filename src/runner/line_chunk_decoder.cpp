#include "runner/line_chunk_decoder.h"

#include "runner/utf8_chunk_decoder.h"

namespace framora {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// How much of the text is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF), and whether all that follows is the unfinished start of one more character.
struct Utf8Prefix {
  std::size_t valid = 0;
  bool unfinished = false;
};

Utf8Prefix CheckUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      ++i;
      continue;
    }
    auto [length, low, high] = Utf8LeadOf(byte);
    if (length == 0) return {i, false};
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k == text.size()) return {i, true};
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next < low || next > high) return {i, false};
      low = 0x80;
      high = 0xBF;
    }
    i += length;
  }
  return {i, false};
}

}  // namespace

void LineChunkDecoder::Decode(std::string_view bytes, std::string& chunk) {
  ready_.erase(0, given_);
  given_ = 0;
  while (!bytes.empty()) {
    if (held_.empty()) {
      std::size_t ascii = 0;
      while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
      ready_.append(bytes.substr(0, ascii));
      bytes.remove_prefix(ascii);
      if (bytes.empty()) break;
    }
    std::size_t take = 0;
    while (take < bytes.size() && !IsLineBreak(bytes[take]) && held_.size() + take < kMaxHeld) {
      ++take;
    }
    held_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (!bytes.empty() && IsLineBreak(bytes.front())) {
      Release(true);
    } else if (held_.size() >= kMaxHeld) {
      Release(false);
    }
  }
  Give(chunk);
}

void LineChunkDecoder::Finish(std::string& chunk) {
  ready_.erase(0, given_);
  given_ = 0;
  // An unfinished character after UTF-8 is a cut-off end, not another code page.
  const Utf8Prefix utf8 = CheckUtf8(held_);
  if (utf8.unfinished) {
    held_.resize(utf8.valid);
    Release(true);
    ready_.append(kReplacement);
  } else {
    Release(true);
  }
  Give(chunk);
}

void LineChunkDecoder::Release(bool whole) {
  const std::string_view text = held_;
  const Utf8Prefix utf8 = CheckUtf8(text);
  std::size_t used = text.size();
  if (utf8.valid == text.size() || (!whole && utf8.unfinished)) {
    used = utf8.valid;
    ready_.append(text.substr(0, used));
  } else {
    // A lead byte at the end of a piece lost its second half to the next piece.
    std::size_t i = 0;
    while (!whole && i < text.size()) {
      const bool lead = codePage_->IsLeadByte(static_cast<unsigned char>(text[i]));
      if (lead && i + 1 == text.size()) used = i;
      i += lead ? 2 : 1;
    }
    ready_.append(codePage_->ToUtf8(text.substr(0, used)));
  }
  held_.erase(0, used);
}

void LineChunkDecoder::Give(std::string& chunk) {
  std::size_t end = given_;
  for (std::size_t chars = 0; end < ready_.size() && chars < kMaxChars; ++chars) {
    ++end;
    while (end < ready_.size() && (static_cast<unsigned char>(ready_[end]) & 0xC0) == 0x80) ++end;
  }
  chunk.assign(ready_, given_, end - given_);
  given_ = end;
  if (given_ == ready_.size()) {
    ready_.clear();
    given_ = 0;
  }
}

}  // namespace framora
