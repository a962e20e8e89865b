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

namespace {

char32_t Lower(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) != 0 ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

}  // namespace

void AppendUtf8(char32_t c, std::string& out) {
  const auto put = [&out](char32_t value) { out += static_cast<char>(value); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | c >> 6);
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

std::string FromLatin1(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, text.find('\0')))
    AppendUtf8(static_cast<unsigned char>(c), out);
  return out;
}

std::string FromUtf16(std::string_view text, bool bigEndian) {
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    return bigEndian ? a << 8 | b : b << 8 | a;
  };
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    char32_t c = unit(i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xE000) {  // half of a pair, which must be the high one, then the low
      const char32_t low = i + 3 < text.size() ? unit(i + 2) : 0;
      if (c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        c = 0xFFFD;
      }
    }
    AppendUtf8(c, out);
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i++]);
    std::size_t more = 0;  // bytes that must follow
    if (c >= 0xC2 && c < 0xE0) {
      more = 1;
    } else if (c >= 0xE0 && c < 0xF0) {
      more = 2;
    } else if (c >= 0xF0 && c < 0xF5) {
      more = 3;
    } else if (c >= 0x80) {
      return false;
    }
    for (; more > 0; --more, ++i)
      if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    const auto next = [&](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    // Only two-byte characters are folded (the ranges above); the rest are copied.
    if (b0 >= 0xC2 && b0 < 0xE0 && (next(1) & 0xC0) == 0x80) {
      AppendUtf8(Lower(static_cast<char32_t>(((b0 & 0x1F) << 6) | (next(1) & 0x3F))), out);
      ++i;
      continue;
    }
    out += b0 < 0x80 ? static_cast<char>(Lower(b0)) : text[i];
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

std::optional<std::uint32_t> ParseProcessId(std::string_view text) {
  constexpr std::uint64_t kHighest = 0xFFFFFFFEu;
  std::uint64_t id = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<std::uint64_t>(c - '0');
    if (id > kHighest) return std::nullopt;  // before it could wrap
  }
  if (id == 0) return std::nullopt;  // no digits, or only zeros
  return static_cast<std::uint32_t>(id);
}

}  // namespace framora
