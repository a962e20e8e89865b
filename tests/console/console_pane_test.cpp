// The pane as data: appends in place, whole replacements, selection in characters, and the
// record of what the display has not drawn yet.
#include <gtest/gtest.h>

#include "console/console_pane.h"

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

}  // namespace
}  // namespace framora::console
