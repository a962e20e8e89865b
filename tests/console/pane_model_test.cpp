// The pane as its displays follow it, over thousands of random interleavings of appends (ASCII,
// multi-byte characters, CR LF, tabs, long words), cuts, replacements, font and width changes
// and slices of a re-wrap: the rows are always those of the kept text laid out afresh, and the
// selection and the RichEdit's text and positions are those worked out directly from the text.
#include "console/pane_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace framora::console {
namespace {

std::int32_t Cells(char32_t c) { return c == U'W' ? 3 : 1; }
std::int32_t Proportional(char32_t c) { return c < 0x80 ? 1 + c % 3 : c > 0xFFFF ? 4 : 2; }
std::int32_t SomeTakeNoRoom(char32_t c) { return static_cast<std::int32_t>(c % 4); }
const PaneRows::Measure kFonts[] = {Cells, Proportional, SomeTakeNoRoom};

std::vector<std::size_t> Starts(const PaneRows& rows) {
  std::vector<std::size_t> starts;
  for (std::size_t r = 0; r < rows.Count(); ++r) starts.push_back(rows.Start(r));
  return starts;
}

bool Lead(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The byte where character `index` starts, the end past the last one.
std::size_t ByteOf(const std::string& text, std::size_t index) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Lead(text[i]) && index-- == 0) return i;
  }
  return text.size();
}

// The RichEdit's text of whole, well-formed UTF-8: UTF-16, each line break one CR.
std::u16string RichEditText(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t code = n == 1 ? c : c & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) code = code << 6 | (text[i + k] & 0x3Fu);
    if (code == '\n' && i > 0 && text[i - 1] == '\r') {
      // one mark for the pair, that of its CR
    } else if (code > 0xFFFF) {
      out += {static_cast<char16_t>(0xD7C0 + (code >> 10)),
              static_cast<char16_t>(0xDC00 | (code & 0x3FF))};
    } else {
      out += static_cast<char16_t>(code == '\n' ? '\r' : code);
    }
    i += n;
  }
  return out;
}

// Pieces of output, and a pane small enough to cut often: a start of at most `head` bytes,
// `tail` whole blocks of `block` bytes. Rows in [0] and the RichEdit in [1] see the same pane.
struct Interleaving {
  explicit Interleaving(unsigned seed)
      : random(seed),
        bound{Pick({std::size_t{0}, std::size_t{40}, std::size_t{90}}),
              Pick({std::size_t{1}, std::size_t{2}}),
              Pick({std::size_t{48}, std::size_t{64}, std::size_t{160}})},
        panes{ConsolePane(bound), ConsolePane(bound)},
        rows(panes[0], PaneModel::Display::Rows, Pick({std::size_t{8}, std::size_t{30}})),
        richEdit(panes[1], PaneModel::Display::RichEdit) {}

  template <typename T>
  T Pick(std::initializer_list<T> choices) {
    return choices
        .begin()[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random)];
  }
  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  }
  std::string Piece() {
    static const std::string kWords[] = {"frame=",
                                         " ",
                                         "  ",
                                         "12",
                                         "time=00:00:01.00",
                                         "\t",
                                         "\r\n",
                                         "\r\n\r\n",
                                         "a",
                                         "\xC3\xA9t\xC3\xA9",
                                         "\xE2\x82\xAC",
                                         "\xF0\x9F\x8E\xB5",
                                         "W",
                                         "WW "};
    std::string piece;
    for (std::size_t n = 1 + Below(8); n > 0; --n) {
      piece += Below(12) == 0 ? std::string(20 + Below(90), Pick({'x', 'W'}))
                              : kWords[Below(std::size(kWords))];
    }
    return piece;
  }

  std::mt19937 random;
  ConsolePane::Bound bound;
  ConsolePane panes[2];
  PaneModel rows;
  PaneModel richEdit;
  std::size_t font = 0;
  std::int64_t width = 0;
  std::u16string shown;  // what the RichEdit holds, from the edits alone
};

void CheckRows(Interleaving& c) {
  const ChunkedText& text = c.panes[0].Chars();
  PaneRows fresh(text);
  fresh.SetLayout(kFonts[c.font], c.width);
  const PaneRows& rows = c.rows.Rows();
  ASSERT_EQ(rows.Indexed(), text.size());
  PaneRows settled = rows;  // the re-wrap under way, worked out to its end
  while (!settled.Settle(std::size_t{1} << 20)) {
  }
  ASSERT_EQ(Starts(settled), Starts(fresh)) << text.str();
  if (c.rows.Settled()) {
    ASSERT_EQ(Starts(rows), Starts(fresh)) << text.str();
  }
  const std::size_t anchor = c.rows.Anchor();
  const std::size_t caret = c.rows.Caret();
  ASSERT_TRUE(anchor <= text.size() && (anchor == text.size() || Lead(text[anchor])));
  ASSERT_TRUE(caret <= text.size() && (caret == text.size() || Lead(text[caret])));
}

// A frame of each display: the selection the pane gives, and the RichEdit's edits.
void CheckFrame(Interleaving& c) {
  c.rows.Sync();
  const std::string text = c.panes[0].Text();
  const ConsolePane& pane = c.panes[0];
  ASSERT_EQ(c.rows.Anchor(), ByteOf(text, pane.SelStart()));
  ASSERT_EQ(c.rows.Caret(), ByteOf(text, pane.SelStart() + pane.SelLength()));

  c.richEdit.Sync();
  for (const PaneModel::Edit& edit : c.richEdit.TakeEdits()) {
    if (edit.all) {
      c.shown = edit.text;
    } else {
      ASSERT_LE(edit.from, edit.to);
      ASSERT_LE(edit.to, c.shown.size());
      c.shown.replace(edit.from, edit.to - edit.from, edit.text);
    }
  }
  ASSERT_EQ(c.shown, RichEditText(text));
  const auto units = [&](std::size_t character) {
    return RichEditText(text.substr(0, ByteOf(text, character))).size();
  };
  const auto [from, to] = c.richEdit.EditSelection();
  ASSERT_EQ(from, units(pane.SelStart()));
  ASSERT_EQ(to, units(pane.SelStart() + pane.SelLength()));
}

// How often the interleavings cut the text and left a re-wrap under way.
struct Seen {
  unsigned cuts = 0;
  unsigned rewraps = 0;
};

void RunInterleaving(unsigned seed, Seen& seen) {
  Interleaving c(seed);
  c.rows.SetLayout(kFonts[0], 12);
  c.width = 12;
  for (int step = 0; step < 80; ++step) {
    const std::size_t op = c.Below(100);
    if (op < 50) {
      const std::string piece = c.Piece();
      const std::uint64_t notShown = c.panes[0].BytesNotShown();
      for (ConsolePane& pane : c.panes) pane.Append(piece);
      seen.cuts += c.panes[0].BytesNotShown() != notShown;
    } else if (op < 52) {
      const std::string text = c.Piece();
      for (ConsolePane& pane : c.panes) pane.Replace(text);
    } else if (op < 60) {
      c.font = c.Below(std::size(kFonts));
      c.width = static_cast<std::int64_t>(c.Below(30));
      c.rows.SetLayout(kFonts[c.font], c.width);
    } else if (op < 72) {
      c.width = static_cast<std::int64_t>(c.Below(30));
      c.rows.SetWidth(c.width);
      seen.rewraps += !c.rows.Settled();
      if (c.Below(2) == 0) c.rows.Settle(1 + c.Below(40));
    } else if (op < 80) {
      c.rows.Settle(1 + c.Below(60));
    } else if (op < 85) {
      const std::size_t length = c.panes[0].Length();
      const std::size_t start = c.Below(length + 2);
      const std::size_t count = c.Below(length + 2);
      for (ConsolePane& pane : c.panes) pane.Select(start, count);
    } else if (op < 90) {
      const std::string text = c.panes[0].Text();
      const std::size_t characters = c.panes[0].Length() + 1;
      c.rows.SetSelection(ByteOf(text, c.Below(characters)), ByteOf(text, c.Below(characters)));
    } else {
      CheckFrame(c);
    }
    CheckRows(c);
    if (::testing::Test::HasFatalFailure()) return;
  }
  CheckFrame(c);
}

TEST(PaneModel, AnyInterleavingGivesTheRowsSelectionAndRichEditOfTheTextAsItIs) {
  constexpr unsigned kCases = 2000;
  Seen seen;
  for (unsigned seed = 0; seed < kCases; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RunInterleaving(seed, seen);
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(seen.cuts, 5 * kCases);
  EXPECT_GT(seen.rewraps, kCases);
}

}  // namespace
}  // namespace framora::console
