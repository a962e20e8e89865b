#include "main_window/song_list.h"

#include "app/text.h"

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

std::string_view NameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

// <0, 0, >0 as a file manager orders the two names.
int CompareNames(std::string_view a, std::string_view b) {
  const std::string x = FoldCase(a);
  const std::string y = FoldCase(b);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < x.size() && j < y.size()) {
    if (Digit(x[i]) && Digit(y[j])) {
      // Numbers by their value: leading zeros aside, the longer is the larger.
      std::size_t i0 = i;
      std::size_t j0 = j;
      while (i0 < x.size() && x[i0] == '0') ++i0;
      while (j0 < y.size() && y[j0] == '0') ++j0;
      std::size_t i1 = i0;
      std::size_t j1 = j0;
      while (i1 < x.size() && Digit(x[i1])) ++i1;
      while (j1 < y.size() && Digit(y[j1])) ++j1;
      if (i1 - i0 != j1 - j0) return i1 - i0 < j1 - j0 ? -1 : 1;
      if (const int c = x.compare(i0, i1 - i0, y, j0, j1 - j0); c != 0) return c;
      i = i1;
      j = j1;
      continue;
    }
    if (x[i] != y[j])
      return static_cast<unsigned char>(x[i]) < static_cast<unsigned char>(y[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  return (x.size() - i) == (y.size() - j) ? 0 : (x.size() - i < y.size() - j ? -1 : 1);
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

bool InFileNameOrder(const std::string& a, const std::string& b) {
  const int names = CompareNames(NameOf(a), NameOf(b));
  return names != 0 ? names < 0 : a < b;
}

}  // namespace framora
