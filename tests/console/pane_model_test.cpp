// Thousands of random interleavings of appends (ASCII, multi-byte characters, CR LF, tabs, long
// words), cuts, replacements, font and width changes and re-wrap slices: the rows are always
// those of the kept text laid out afresh, the selection and the RichEdit's text and positions
// those worked out directly.
#include "console/pane_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace framora::console {
namespace {

const PaneRows::Measure kFonts[] = {
    [](char32_t c) { return c == U'W' ? 3 : 1; },
    [](char32_t c) { return c < 0x80 ? 1 + static_cast<std::int32_t>(c % 3) : 2 + (c > 0xFFFF); },
    [](char32_t c) { return static_cast<std::int32_t>(c % 4); }};  // some take no room
const std::string kWords[] = {
    "frame=12 ", "a", "  ", "\t", "\r\n", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC ", "\xF0\x9F\x8E\xB5"};

std::vector<std::size_t> Starts(const PaneRows& rows) {
  std::vector<std::size_t> starts;
  for (std::size_t r = 0; r < rows.Count(); ++r) starts.push_back(rows.Start(r));
  return starts;
}

// The byte where character `index` starts, the end past the last one.
std::size_t ByteOf(const std::string& text, std::size_t index) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((text[i] & 0xC0) != 0x80 && index-- == 0) return i;
  return text.size();
}

// The RichEdit's text of well-formed UTF-8 whose every LF follows a CR: UTF-16, a CR LF one CR.
std::u16string RichEditText(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0, n = 1; i < text.size(); i += n) {
    const auto c = static_cast<unsigned char>(text[i]);
    n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t code = n == 1 ? c : c & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) code = code << 6 | (text[i + k] & 0x3Fu);
    if (code > 0xFFFF) out += static_cast<char16_t>(0xD7C0 + (code >> 10));
    if (code != '\n') out += static_cast<char16_t>(code > 0xFFFF ? 0xDC00 | (code & 0x3FF) : code);
  }
  return out;
}

TEST(PaneModel, AnyInterleavingGivesTheRowsSelectionAndRichEditOfTheTextAsItIs) {
  std::size_t cuts = 0;
  for (unsigned seed = 0; seed < 2000 && !HasFatalFailure(); ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto below = [&](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    // Small enough to cut often; the rows in [0], a RichEdit in [1], the same text in both.
    const ConsolePane::Bound bound{45 * below(3), 1 + below(2), 48 + 56 * below(3)};
    ConsolePane panes[2] = {ConsolePane(bound), ConsolePane(bound)};
    PaneModel rows(panes[0], PaneModel::Display::Rows, 8 + below(30));
    PaneModel richEdit(panes[1], PaneModel::Display::RichEdit);
    std::size_t font = 0;
    std::int64_t width = 12;
    std::u16string shown;  // what the RichEdit holds, from the edits alone
    rows.SetLayout(kFonts[font], width);
    for (int step = 0; step <= 80 && !HasFatalFailure(); ++step) {
      const std::size_t op = step == 80 ? 99 : below(100);
      const std::size_t from = below(panes[0].Length() + 2);
      const std::size_t to = below(panes[0].Length() + 2);
      std::string piece;
      for (std::size_t n = 1 + below(8); n > 0; --n)
        piece += below(12) ? kWords[below(std::size(kWords))] : std::string(20 + below(90), 'W');
      const std::uint64_t notShown = panes[0].BytesNotShown();
      for (ConsolePane& pane : panes) {
        if (op < 50) pane.Append(piece);
        if (op >= 50 && op < 52) pane.Replace(piece);
        if (op >= 52 && op < 57) pane.Select(from, to);
      }
      cuts += panes[0].BytesNotShown() != notShown;
      if (op >= 57 && op < 65) rows.SetLayout(kFonts[font = below(3)], width = below(30));
      if (op >= 65 && op < 77) rows.SetWidth(width = below(30));  // then at times a slice:
      if (op >= 65 && op < 85 && below(2)) rows.Settle(1 + below(60));
      const std::string now = panes[0].Text();
      if (op >= 85 && op < 90) rows.SetSelection(ByteOf(now, from), ByteOf(now, to));
      if (op >= 90) {  // a frame: each display takes the pane's selection, the RichEdit its edits
        rows.Sync();
        richEdit.Sync();
        for (const PaneModel::Edit& edit : richEdit.TakeEdits()) {
          ASSERT_TRUE(edit.all || (edit.from <= edit.to && edit.to <= shown.size()));
          shown = edit.all ? edit.text : shown.replace(edit.from, edit.to - edit.from, edit.text);
        }
        const std::string text = panes[0].Text();
        ASSERT_EQ(shown, RichEditText(text));
        const std::size_t start = ByteOf(text, panes[0].SelStart());
        const std::size_t end = ByteOf(text, panes[0].SelStart() + panes[0].SelLength());
        ASSERT_EQ(std::make_pair(rows.Anchor(), rows.Caret()), std::make_pair(start, end));
        ASSERT_EQ(richEdit.EditSelection(),
                  std::make_pair(RichEditText(text.substr(0, start)).size(),
                                 RichEditText(text.substr(0, end)).size()));
      }
      // After every step: the rows, and those of a re-wrap under way once worked to its end.
      const ChunkedText& text = panes[0].Chars();
      PaneRows fresh(text);
      fresh.SetLayout(kFonts[font], width);
      PaneRows settled = rows.Rows();
      while (!settled.Settle(std::size_t{1} << 20)) continue;
      ASSERT_EQ(Starts(settled), Starts(fresh)) << text.str();
      ASSERT_TRUE(!rows.Settled() || Starts(rows.Rows()) == Starts(fresh));
      for (const std::size_t at : {rows.Anchor(), rows.Caret()})
        ASSERT_TRUE(at == text.size() || (at < text.size() && (text[at] & 0xC0) != 0x80));
    }
  }
  EXPECT_GT(cuts, 10000u);
}

}  // namespace
}  // namespace framora::console

namespace framora::console {
namespace {

TEST(PaneRules, WhatIsDrawnCopiedAndSelectedByADoubleClick) {
  for (const char32_t c : {U'\0', U'\t', U'\x1B', U'\x7F', U'\x9F', U'\u2028', U'\u2029'})
    EXPECT_TRUE(Invisible(c)) << static_cast<std::uint32_t>(c);
  for (const char32_t c : {U' ', U'a', U'\xA0', U'\u00E9', U'\u2027', U'\U0001F3B5'})
    EXPECT_FALSE(Invisible(c)) << static_cast<std::uint32_t>(c);
  EXPECT_EQ(CopiedText("a\r\nb\rc\n\r\n"), "a\nb\rc\n\n");

  ChunkedText text;
  text.Append("C:\\> ffmpeg -i 'a b.mp3'\r\nframe=1\ttime=00:01");
  const struct {
    std::size_t at;
    std::string word;
  } cases[] = {
      {0, "C:\\>"},    {8, "ffmpeg"},      {16, "'a"},          {18, "b.mp3'"},
      {27, "frame=1"}, {38, "time=00:01"}, {1000, "time=00:01"}};  // past the end: the last word
  for (const auto& c : cases) {
    const auto [from, to] = WordAt(text, c.at);
    EXPECT_EQ(text.Substr(from, to - from), c.word) << c.at;
  }
}

}  // namespace
}  // namespace framora::console
