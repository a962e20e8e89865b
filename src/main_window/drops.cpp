#include "main_window/drops.h"

#include <array>

#include "app/text.h"
#include "main_window/main_form.h"

namespace framora {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// "scheme:" at the start, as addresses have it; a drive letter ("C:") is no scheme.
std::optional<std::string> Scheme(std::string_view item) {
  const std::size_t colon = item.find(':');
  if (colon == std::string_view::npos || colon < 2) return std::nullopt;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = item[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(i > 0 && other)) return std::nullopt;
  }
  return AsciiLower(item.substr(0, colon));
}

}  // namespace

std::optional<std::string> DroppedPath(std::string_view item) {
  const std::optional<std::string> scheme = Scheme(item);
  if (!scheme) {
    if (item.empty()) return std::nullopt;
    return std::string(item);
  }
  if (*scheme != "file") return std::nullopt;
  std::string_view rest = item.substr(5);
  // A '#' or '?' in a name is escaped; a bare one starts what is no part of the path.
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    const std::string host = AsciiLower(rest.substr(0, slash));
    if (!host.empty() && host != "localhost") return std::nullopt;  // another machine's file
    if (slash == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(slash);
  }
  if (!rest.starts_with('/')) return std::nullopt;
  return PercentDecoded(rest);
}

std::optional<ControlId> FieldForFile(std::string_view path, ShellKind shell) {
  const std::string name = AsciiLower(NameOf(path, shell));
  if (name == "ffmpeg" || name == "ffmpeg.exe") return main_form::Text1;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::string_view extension = std::string_view(name).substr(dot);
  static constexpr std::array<std::string_view, 6> kImages = {".jpg", ".jpeg", ".gif",
                                                              ".png", ".bmp",  ".webp"};
  // Besides the chooser's three kinds, the sounds albums come in.
  static constexpr std::array<std::string_view, 8> kSounds = {".wav", ".mp3",  ".amr", ".m4a",
                                                              ".aac", ".flac", ".ogg", ".opus"};
  for (std::string_view image : kImages) {
    if (extension == image) return main_form::Text2;
  }
  for (std::string_view sound : kSounds) {
    if (extension == sound) return main_form::Text3;
  }
  return std::nullopt;
}

}  // namespace framora
