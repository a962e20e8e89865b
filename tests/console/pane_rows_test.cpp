// The pane's rows: where lines wider than the pane are cut, with every character one cell wide
// but for 'W' (three cells), and a tab going to the next multiple of eight cells.
#include "console/pane_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "console/console_pane.h"

namespace framora::console {
namespace {

std::int32_t Cells(char32_t c) { return c == U'W' ? 3 : 1; }

// The rows as they cut the text, each up to where the next one starts, joined by '|'.
std::string Cut(const PaneRows& rows, const ChunkedText& text) {
  std::string out;
  for (std::size_t r = 0; r < rows.Count(); ++r) {
    const std::size_t end = r + 1 < rows.Count() ? rows.Start(r + 1) : rows.Indexed();
    out += (r ? "|" : "") + text.Substr(rows.Start(r), end - rows.Start(r));
  }
  return out;
}

TEST(PaneRows, LinesAreCutAtBlanksOrWhereAWordIsWiderThanARow) {
  struct Case {
    const char* what;
    std::string text;
    std::int64_t width;
    std::string rows;
  } cases[] = {
      {"a word longer than a row", "abcdefghij", 4, "abcd|efgh|ij"},
      {"a long word after a short one", "ab cdefghij", 4, "ab |cdef|ghij"},
      {"words wrap at blanks", "one two three", 8, "one two |three"},
      {"blanks at a row's end stay on it", "abcd    efgh", 4, "abcd    |efgh"},
      {"a blank that just fits", "abc def", 4, "abc |def"},
      {"CR LF at a row's end", "abcd\r\nefgh\r\n", 4, "abcd\r\n|efgh\r\n|"},
      {"CR LF after blanks past the edge", "abcd  \r\nef", 4, "abcd  \r\n|ef"},
      {"a two-byte character at the wrap point", "abc\xC3\xA9", 3, "abc|\xC3\xA9"},
      {"a four-byte character at the wrap point",
       "ab\xF0\x9F\x98\x80"
       "cd",
       2,
       "ab|\xF0\x9F\x98\x80"
       "c|d"},
      {"wide characters by their width", "aWWa", 4, "aW|Wa"},
      {"a character wider than the row", "WW", 2, "W|W"},
      {"a tab goes to its stop", "a\tb", 5, "a\t|b"},
      {"indented line", "  abcdef", 4, "  |abcd|ef"},
      {"no width, no wrapping", "abcdefgh", 0, "abcdefgh"},
  };
  for (const Case& c : cases) {
    ChunkedText text;
    text.Append(c.text);
    PaneRows rows(text);
    rows.SetLayout(Cells, c.width);
    EXPECT_EQ(Cut(rows, text), c.rows) << c.what;
  }
}

TEST(PaneRows, PositionsAndDistancesInARow) {
  ChunkedText text;
  text.Append(
      "xx\r\naW\tb c\xC3\xA9"
      "d\r\n");
  PaneRows rows(text);
  rows.SetLayout(Cells, 100);
  ASSERT_EQ(rows.Count(), 3u);
  EXPECT_EQ(rows.Lines(), 3u);
  EXPECT_EQ(rows.End(0), 2u);  // before the line break
  EXPECT_EQ(rows.RowOf(3), 0u);
  EXPECT_EQ(rows.RowOf(4), 1u);
  EXPECT_EQ(rows.X(1, 4 + 2), 4);             // "aW"
  EXPECT_EQ(rows.X(1, 4 + 3), 8);             // the tab's stop
  EXPECT_EQ(rows.X(1, rows.End(1)), 13);      // "b c", é, "d"
  EXPECT_EQ(rows.PositionAt(1, 2), 4u + 1);   // nearer the start of 'W' than its end
  EXPECT_EQ(rows.PositionAt(1, 3), 4u + 2);   // nearer its end
  EXPECT_EQ(rows.PositionAt(1, 11), 4u + 6);  // é
  EXPECT_EQ(rows.PositionAt(1, 12), 4u + 8);  // after é, one character of two bytes
  EXPECT_EQ(rows.PositionAt(1, 99), rows.End(1));
  std::string runs;
  rows.ForEachRun(1, 4 + 1, rows.End(1), [&](std::size_t from, std::size_t to, std::int64_t x) {
    runs += std::to_string(x) + ":" + text.Substr(from, to - from) + ";";
  });
  EXPECT_EQ(runs,
            "1:W;8:b c\xC3\xA9"
            "d;");  // cut at the tab, which is not drawn
}

// A line of over a megabyte arriving 256 bytes at a time, with characters split between two
// pieces and one between two of the text's storage blocks, is cut exactly as when it comes
// whole; a new width cuts it afresh.
TEST(PaneRows, AMegabyteLineArrivingInPiecesIsCutAsWhenWhole) {
  constexpr std::size_t kBlock = ChunkedText::kBlockSize;
  std::string line;
  for (int i = 0; line.size() < kBlock + 5000; ++i) {
    line += "frame= " + std::to_string(i) + (i % 7 ? " " : " \xC3\xA9t\xE2\x82\xAC ");
    if (i % 50 == 0) line += std::string(30 + i % 13, 'W');
  }
  ASSERT_LT(static_cast<unsigned char>(line[kBlock - 1]) | line[kBlock], 0x80);
  line.replace(kBlock - 1, 2, "\xC3\xA9");

  ChunkedText whole;
  whole.Append(line);
  PaneRows all(whole);
  all.SetLayout(Cells, 40);
  all.SetLayout(Cells, 97);
  ChunkedText growing;
  PaneRows rows(growing);
  rows.SetLayout(Cells, 97);
  for (std::size_t at = 0; at < line.size(); at += 256) {
    growing.Append(std::string_view(line).substr(at, 256));
    rows.Append();
  }
  ASSERT_EQ(Cut(rows, growing), Cut(all, whole));
  EXPECT_GT(all.Count(), line.size() / 97);
  EXPECT_EQ(all.Lines(), 1u);
  for (std::size_t r = 0; r < all.Count(); ++r) {
    std::size_t end = all.End(r);
    while (end > all.Start(r) && line[end - 1] == ' ') --end;  // blanks may hang past the edge
    ASSERT_LE(all.X(r, end), 97) << r;
    ASSERT_NE(static_cast<unsigned char>(line[all.Start(r)]) & 0xC0, 0x80) << r;
  }
}

// The rows a display keeps of a bounded pane, told only what changed, are the rows of its
// text worked out afresh: the cut text's rows go, the rest move, only the rows at the cut and
// the line put there are measured again (and, within one long line, those up to where the
// rows fall in step again).
TEST(PaneRows, ACutTextKeepsItsRowsAsIfWorkedOutAfresh) {
  for (const std::string line : {"frame= 1 time=00:00:01.00 \xC3\xA9t\xC3\xA9\r\n", "W\tab cd\r\n",
                                 "frame= 1 WWW \xC3\xA9t\xC3\xA9 ", "abc de"}) {
    ConsolePane pane(ConsolePane::Bound{40, 2, 64});
    PaneRows rows(pane.Chars());
    rows.SetLayout(Cells, 9);
    for (int i = 0; i < 400; ++i) {
      pane.Append(line);
      if (i % 3 != 0) continue;  // the display looks now and then
      const ConsolePane::Delta d = pane.TakeDelta();
      if (d.cut) rows.Cut(d.keep, d.resume, d.inserted);
      rows.Append();
      PaneRows fresh(pane.Chars());
      fresh.SetLayout(Cells, 9);
      ASSERT_EQ(Cut(rows, pane.Chars()), Cut(fresh, pane.Chars())) << i;
    }
    EXPECT_GT(pane.BytesNotShown(), 0u);
  }
}

// A new width works out the rows at the end at once and the others a slice at a time, with
// text arriving and old text cut out meanwhile; once settled they are the rows of the text
// worked out afresh. Lines of a few words, and one line longer than the first rows worked out.
TEST(PaneRows, ANewWidthSettlesToTheRowsWorkedOutAfresh) {
  std::string words;
  for (int i = 0; words.size() < 300000; ++i) words += "w" + std::to_string(i % 97) + " \xC3\xA9 ";
  for (const bool lines : {true, false}) {
    SCOPED_TRACE(lines ? "lines" : "one line");
    ConsolePane pane(ConsolePane::Bound{40, 2, 1 << 17});
    for (std::size_t at = 0; at < words.size(); at += 50) {
      pane.Append(words.substr(at, 50) + (lines ? "\r\n" : ""));
    }
    PaneRows rows(pane.Chars());
    rows.SetLayout(Cells, 30);
    (void)pane.TakeDelta();
    rows.SetWidth(11);
    EXPECT_FALSE(rows.Settled());
    const std::size_t last = rows.Count() - 1;
    for (int slice = 0; !rows.Settle(20000); ++slice) {
      if (slice == 3) pane.Append(words);  // past the bound: a cut
      const ConsolePane::Delta d = pane.TakeDelta();
      if (d.cut) rows.Cut(d.keep, d.resume, d.inserted);
      rows.Append();
    }
    EXPECT_GT(pane.BytesNotShown(), 0u);
    PaneRows fresh(pane.Chars());
    fresh.SetLayout(Cells, 11);
    EXPECT_EQ(Cut(rows, pane.Chars()), Cut(fresh, pane.Chars()));
    EXPECT_GT(rows.Count(), last);
  }
}

}  // namespace
}  // namespace framora::console
