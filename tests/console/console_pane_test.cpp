// The pane as data: appends in place, whole replacements, selection in characters, the
// record of what the display has not drawn yet, and the bound on what it keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/text.h"
#include "console/console_pane.h"
#include "console/pane_text.h"

namespace framora::console {
namespace {

TEST(ConsolePane, AppendAndReplaceRaiseTheChangeNotificationEachTime) {
  ConsolePane pane;
  int changes = 0;
  pane.SetChangeListener([&] { ++changes; });
  pane.Append("ab");
  pane.Append("");
  pane.Replace("xyz");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(pane.Text(), "xyz");
}

TEST(ConsolePane, LengthCountsCharacters) {
  ConsolePane pane;
  pane.Append("\xC3\xA9t\xC3\xA9");  // "été"
  EXPECT_EQ(pane.Length(), 3u);
  pane.Append("\r\n");
  EXPECT_EQ(pane.Length(), 5u);
  pane.Replace("\xE2\x82\xAC");
  EXPECT_EQ(pane.Length(), 1u);
  pane.Replace("");
  EXPECT_EQ(pane.Length(), 0u);
  EXPECT_TRUE(pane.Empty());
}

TEST(ConsolePane, SelectionBeyondTheEndMeansTheEnd) {
  ConsolePane pane;
  pane.Replace("hello");
  pane.Select(2, 100);
  EXPECT_EQ(pane.SelStart(), 2u);
  EXPECT_EQ(pane.SelLength(), 3u);
  pane.Select(99, 4);
  EXPECT_EQ(pane.SelStart(), 5u);
  EXPECT_EQ(pane.SelLength(), 0u);
}

TEST(ConsolePane, ListenerSeesTheNewTextAndCanMoveTheCaret) {
  ConsolePane pane;
  pane.SetChangeListener([&] { pane.Select(pane.Length(), 0); });
  pane.Replace("abc");
  pane.Select(0, 3);
  pane.Append("de");
  EXPECT_EQ(pane.SelStart(), 5u);
  EXPECT_EQ(pane.SelLength(), 0u);
}

TEST(ConsolePane, ShrinkingReplaceKeepsTheSelectionInside) {
  ConsolePane pane;
  pane.Replace("a long text");
  pane.Select(2, 6);
  pane.Replace("ab");
  EXPECT_LE(pane.SelStart() + pane.SelLength(), pane.Length());
}

TEST(ConsolePaneDelta, AppendsAreReportedAsTheNewTailOnly) {
  ConsolePane pane;
  pane.Replace("start");
  ConsolePane::Delta d = pane.TakeDelta();
  EXPECT_TRUE(d.replaced);
  EXPECT_FALSE(pane.HasUnseenChange());

  pane.Append("+one");
  pane.Append("+two");
  ASSERT_TRUE(pane.HasUnseenChange());
  d = pane.TakeDelta();
  EXPECT_FALSE(d.replaced);
  EXPECT_EQ(pane.Text().substr(d.from), "+one+two");
  EXPECT_FALSE(pane.HasUnseenChange());
}

TEST(ConsolePaneDelta, ReplaceAfterAppendsAsksForTheWholeText) {
  ConsolePane pane;
  pane.Replace("start");
  (void)pane.TakeDelta();
  pane.Append("more");
  pane.Replace("new");
  pane.Append("!");
  const ConsolePane::Delta d = pane.TakeDelta();
  EXPECT_TRUE(d.replaced);
  EXPECT_EQ(d.from, 0u);
}

TEST(ConsolePaneDelta, ReplaceWithTheSameTextIsStillAChange) {
  ConsolePane pane;
  pane.Replace("same");
  (void)pane.TakeDelta();
  pane.Replace("same");
  EXPECT_TRUE(pane.HasUnseenChange());
}

TEST(ConsolePaneDelta, ManyAppendsKeepTheTextExact) {
  ConsolePane pane;
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    const std::string piece = std::to_string(i) + "\r\n";
    pane.Append(piece);
    expected += piece;
  }
  EXPECT_EQ(pane.Text(), expected);
  EXPECT_EQ(pane.Length(), expected.size());
}

// The pane as a display keeps it, from the deltas alone.
void CatchUp(ConsolePane& pane, std::string& shown) {
  const ConsolePane::Delta d = pane.TakeDelta();
  const std::string now = pane.Text();
  if (d.replaced) shown.clear();
  if (d.cut)
    shown = shown.substr(0, d.keep) + now.substr(d.keep, d.inserted) + shown.substr(d.resume);
  ASSERT_EQ(shown.size(), d.from);
  shown += now.substr(d.from);
}

// Small blocks reach the bound sooner: a start of at most 40 bytes, two whole blocks of 64 and
// the one being filled.
constexpr ConsolePane::Bound kSmall{40, 2, 64};

// What a bounded pane must hold after `full` was appended: the start up to its last line break
// in 40 bytes (or 40 bytes less what would split a character or a CR LF), the line that says
// how much is not shown, and the newest text from a whole character on.
void ExpectBounded(const ConsolePane& pane, const std::string& full) {
  const std::string text = pane.Text();
  if (text == full) return;
  std::size_t head = full.rfind('\n', 39);
  head = head == std::string::npos ? 40 : head + 1;
  if (full.find('\n') > 39) {
    while ((full[head] & 0xC0) == 0x80) --head;
    if (full[head - 1] == '\r' && full[head] == '\n') --head;
  }
  const std::size_t lineAt = text.find("[**] ");
  ASSERT_NE(lineAt, std::string::npos) << text;
  const std::size_t tailAt = text.find("[**]\r\n", lineAt) + 6;
  const std::string tail = text.substr(tailAt);
  const std::size_t dropped = full.size() - head - tail.size();
  EXPECT_EQ(text.substr(0, head), full.substr(0, head));
  EXPECT_EQ(lineAt, head + (full[head - 1] == '\n' ? 0 : 2)) << "the line starts a line";
  EXPECT_EQ(text.substr(lineAt, tailAt - lineAt - 2),
            NotShownLine(dropped, std::count(full.begin() + head, full.end() - tail.size(), '\n')));
  EXPECT_EQ(full.substr(full.size() - tail.size()), tail);
  EXPECT_NE(tail[0] & 0xC0, 0x80) << "the newest text starts inside a character";
  EXPECT_FALSE(tail[0] == '\n' && full[full.size() - tail.size() - 1] == '\r');
  EXPECT_EQ(pane.BytesNotShown(), dropped);
  EXPECT_EQ(pane.Length(), Utf8Length(text));
  EXPECT_LE(tail.size(), 3u * 64) << "memory stays flat";
}

TEST(ConsolePaneBound, KeepsTheStartALineAndTheNewestText) {
  const auto repeat = [](const std::string& piece, int times, std::string first = "") {
    std::vector<std::string> pieces{first};
    for (int i = 0; i < times; ++i) pieces.push_back(piece);
    return pieces;
  };
  const struct {
    const char* what;
    std::vector<std::string> pieces;
  } cases[] = {
      {"lines", repeat("line 7 of many\r\n", 300)},
      {"a bound inside a two-byte character", repeat("\xC3\xA9", 400, "a")},
      {"a bound between CR and LF", repeat("\r\n", 700, "a")},
      {"a long line, cut between two rows", repeat("frame= 12 time=00:00:01.00 ", 90)},
      {"a start without a line break", repeat("x\r\n", 300, std::string(100, 'b'))},
      {"a start cut inside a character", repeat("x\r\n", 300, "a" + repeat("\xC3\xA9", 30)[1])},
      {"a start cut between CR and LF", repeat("x\r\n", 300, std::string(39, 'c'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConsolePane pane(kSmall);
    std::string full;
    std::string shown;
    std::size_t cuts = 0;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      const std::uint64_t notShown = pane.BytesNotShown();
      pane.Append(c.pieces[i]);
      full += c.pieces[i];
      cuts += pane.BytesNotShown() != notShown;
      if (i % 7 == 0) CatchUp(pane, shown);  // the display looks now and then
    }
    ASSERT_GT(cuts, 0u);
    EXPECT_LE(cuts, full.size() / 64) << "old text goes a whole block at a time";
    ExpectBounded(pane, full);
    CatchUp(pane, shown);
    EXPECT_EQ(shown, pane.Text());
  }
}

TEST(ConsolePaneBound, TheSelectionStaysOnItsTextAndAClearScreenStillReplacesAll) {
  ConsolePane pane(kSmall);
  std::string shown;
  for (int i = 0; i < 100; ++i) pane.Append("\xE2\x82\xAC line " + std::to_string(i) + "\r\n");
  const std::string text = pane.Text();
  const std::size_t at = Utf8Length(text.substr(0, text.find("line 99")));
  pane.Select(at, 7);
  // Up to the next cut: the line is further forward then.
  for (const std::uint64_t cut = pane.BytesNotShown(); pane.BytesNotShown() == cut;) {
    pane.Append("z");
  }
  const std::string now = pane.Text();
  std::size_t byte = 0;
  for (std::size_t chars = 0; chars < pane.SelStart(); ++byte) chars += (now[byte] & 0xC0) != 0x80;
  EXPECT_LT(byte, text.find("line 99"));
  EXPECT_EQ(now.substr(byte, 7), "line 99");
  EXPECT_EQ(pane.SelLength(), 7u);

  CatchUp(pane, shown);
  pane.Replace(std::string(kClearBanner) + "\r\n");
  EXPECT_EQ(pane.Text(), std::string(kClearBanner) + "\r\n");
  EXPECT_EQ(pane.BytesNotShown(), 0u);
  CatchUp(pane, shown);
  EXPECT_EQ(shown, pane.Text());
}

}  // namespace
}  // namespace framora::console
