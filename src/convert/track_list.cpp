#include "convert/track_list.h"

#include <cmath>
#include <string_view>

namespace framora::convert {

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// "03 Intro", "03 - Intro", "03. Intro", "3_Intro": "Intro". At most three digits: a year that
// starts a name is part of it.
std::string WithoutTrackNumber(const std::string& name) {
  std::size_t digits = 0;
  while (digits < name.size() && digits < 4 && Digit(name[digits])) ++digits;
  if (digits == 0 || digits > 3) return name;
  std::size_t rest = digits;
  while (rest < name.size() && std::string_view(" -._)").find(name[rest]) != std::string_view::npos)
    ++rest;
  if (rest == digits || rest == name.size()) return name;
  return name.substr(rest);
}

std::string TwoDigits(long long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Whole seconds, rounded down: a song never starts before its time in the list.
std::string StartText(double seconds, bool hours) {
  const auto whole = static_cast<long long>(std::floor(seconds + 1e-6));
  const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
  if (hours) return std::to_string(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
  return std::to_string(whole / 60) + ":" + TwoDigits(s);
}

}  // namespace

std::string OneLine(std::string_view text) {
  std::string line;
  for (char c : text) line += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(' ') + 1 - first);
}

std::string TrackTitle(const std::string& path, const std::string& titleTag, ShellKind shell) {
  std::string title = OneLine(titleTag);
  if (!title.empty()) return title;
  return WithoutTrackNumber(OneLine(StemOf(NameOf(path, shell))));
}

std::string TrackListText(const std::vector<Track>& tracks, double albumSeconds, ShellKind shell) {
  const bool hours = albumSeconds >= 3600;
  std::string list;
  for (const Track& track : tracks) {
    list += StartText(track.start, hours) + " " + track.title +
            (shell == ShellKind::Cmd ? "\r\n" : "\n");
  }
  return list;
}

}  // namespace framora::convert
