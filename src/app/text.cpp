#include "app/text.h"

#include <cstdint>
#include <cstring>

namespace framora {

std::size_t Utf8Length(std::string_view text) {
  // Eight bytes at a time: a continuation byte has its top bit set and the next one clear.
  constexpr std::uint64_t kTops = 0x8080808080808080u;
  std::size_t continuations = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    const std::uint64_t marks = (word & ~(word << 1) & kTops) >> 7;  // one per byte, 0 or 1
    continuations += static_cast<std::size_t>((marks * 0x0101010101010101u) >> 56);
  }
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++continuations;
  }
  return text.size() - continuations;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string WithoutAccessKeys(std::string_view caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && ++i == caption.size()) break;
    plain += caption[i];
  }
  return plain;
}

}  // namespace framora
