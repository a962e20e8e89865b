#include "main_window/song_list.h"

namespace framora {

namespace {

constexpr char kQuote = '"';

bool Blank(char c) { return c == ' ' || c == '\t'; }

// The quoted path that starts at `at`, if one does: a quote at the start or after a blank, and
// its closing quote at the end or before a blank. Gives the index of the closing quote.
std::optional<std::size_t> QuotedAt(std::string_view text, std::size_t at) {
  if (text[at] != kQuote || (at > 0 && !Blank(text[at - 1]))) return std::nullopt;
  const std::size_t close = text.find(kQuote, at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  if (close + 1 < text.size() && !Blank(text[close + 1])) return std::nullopt;
  return close;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> SongsInField(std::string_view text) {
  bool listed = false;
  for (std::size_t i = 0; i < text.size() && !listed; ++i) listed = QuotedAt(text, i).has_value();
  if (!listed) {
    if (Trimmed(text).empty()) return {};
    return {std::string(text)};
  }
  std::vector<std::string> songs;
  std::size_t bare = 0;  // where the bare text since the last quoted path starts
  const auto takeBare = [&](std::size_t end) {
    const std::string_view run = Trimmed(text.substr(bare, end - bare));
    if (!run.empty()) songs.emplace_back(run);
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::optional<std::size_t> close = QuotedAt(text, i);
    if (!close) continue;
    takeBare(i);
    if (*close > i + 1) songs.emplace_back(text.substr(i + 1, *close - i - 1));
    i = *close;
    bare = i + 1;
  }
  takeBare(text.size());
  return songs;
}

bool ListableSong(std::string_view path) { return path.find(kQuote) == std::string_view::npos; }

std::optional<std::string> SongField(const std::vector<std::string>& songs) {
  std::string field;
  if (songs.size() == 1) {
    field = songs.front();
  } else {
    for (const std::string& song : songs) {
      if (!ListableSong(song)) return std::nullopt;
      if (!field.empty()) field += ' ';
      field += kQuote + song + kQuote;
    }
  }
  if (SongsInField(field) != songs) return std::nullopt;
  return field;
}

}  // namespace framora
