// The console window's own actions: load, Execute, the Enter key, Cancel and the change rule.
#include <gtest/gtest.h>

#include "console/pane_text.h"
#include "console_fixture.h"

namespace framora::console::test {
namespace {

using framora::test::FakeProcessHost;

TEST(ConsoleLoad, FreshPaneAndFocusInCommandBox) {
  ConsoleFixture f;
  f.logic.Load();
  EXPECT_EQ(f.Pane(), Fresh());
  EXPECT_EQ(f.controls.focus, "txtCommand");  // only a visible window takes the focus
  EXPECT_EQ(f.window.log, std::vector<std::string>{"show"});
  EXPECT_TRUE(f.messages.shown.empty());
  EXPECT_TRUE(f.host.calls.empty());
}

TEST(ConsoleLoad, WholeTextSelectedInScrollbarColour) {
  ConsoleFixture f;
  f.logic.Load();
  EXPECT_EQ(f.logic.Pane().SelStart(), 0u);
  EXPECT_EQ(f.logic.Pane().SelLength(), f.logic.Pane().Length());
  EXPECT_EQ(f.logic.Pane().SelColor(), kColorScrollbar);
  EXPECT_GT(f.window.paneChanges, 0);
}

TEST(ConsoleExecute, RunsTheTextOfText1AndDiscardsWhatWasTyped) {
  ConsoleFixture f;
  f.logic.Load();
  f.controls.texts["Text1"] = "echo edited";
  f.controls.texts["txtCommand"] = "typed by the user";
  f.controls.focus = "Text1";
  f.logic.Execute();
  EXPECT_EQ(f.controls.texts["txtCommand"], "echo edited");
  EXPECT_EQ(f.logic.ReadOutput1().SetCommand(), "echo edited");
  EXPECT_EQ(f.host.started.command, "echo edited");
  EXPECT_EQ(f.controls.focus, "txtCommand");
  EXPECT_FALSE(f.logic.Executing());
}

TEST(ConsoleExecute, ReturnsOnlyWhenTheRunHasEnded) {
  ConsoleFixture f;
  f.host.reads = {{"a\n"}, {"b\n"}};
  bool executingDuringRun = false;
  f.host.onRead = [&] { executingDuringRun = f.logic.Executing(); };
  f.Run("cmd");
  EXPECT_TRUE(executingDuringRun);
  EXPECT_FALSE(f.logic.Executing());
  EXPECT_FALSE(f.logic.ReadOutput1().Processing());
  EXPECT_TRUE(f.host.open.empty());
}

TEST(ConsoleEnterKey, EnterRunsExecuteAndIsDroppedAfterwards) {
  ConsoleFixture f;
  f.logic.Load();
  f.controls.texts["Text1"] = "echo hi";
  bool runOnStack = false;
  f.host.onRead = [&] { runOnStack = f.logic.Executing(); };
  EXPECT_EQ(f.logic.TxtCommandKeyPress(13), 0);
  EXPECT_TRUE(runOnStack);
  EXPECT_EQ(f.host.started.command, "echo hi");
  EXPECT_EQ(f.controls.texts["txtCommand"], "echo hi");
}

TEST(ConsoleEnterKey, OtherCharactersPassAndRunNothing) {
  ConsoleFixture f;
  f.logic.Load();
  EXPECT_EQ(f.logic.TxtCommandKeyPress('a'), 'a');
  EXPECT_EQ(f.logic.TxtCommandKeyPress(10), 10);
  EXPECT_EQ(f.logic.TxtCommandKeyPress(27), 27);
  EXPECT_TRUE(f.host.calls.empty());
  EXPECT_EQ(f.Pane(), Fresh());
}

TEST(ConsoleCancel, ClosesTheWindowAndRunsNothing) {
  ConsoleFixture f;
  f.logic.Load();
  f.logic.Cancel();
  EXPECT_EQ(f.window.log, (std::vector<std::string>{"show", "close"}));
  EXPECT_TRUE(f.logic.IsClosed());
  EXPECT_TRUE(f.host.calls.empty());
  EXPECT_TRUE(f.messages.shown.empty());
}

TEST(ConsoleCancel, AClickStillQueuedAfterTheCloseRunsNothing) {
  ConsoleFixture f;
  f.logic.Load();
  f.logic.Cancel();
  f.logic.Execute();
  EXPECT_TRUE(f.host.calls.empty());
}

TEST(ConsoleChangeRule, CaretAtTheEndAfterEveryUpdateOfARun) {
  ConsoleFixture f;
  f.host.reads = {{"first\n"}, {"\f"}, {"second\r\n"}};
  int checks = 0;
  int failures = 0;
  f.host.onRead = [&] {
    ++checks;
    if (!f.CaretAtEnd()) ++failures;
  };
  f.messages.whileShown = [&](const auto&) {
    ++checks;
    if (!f.CaretAtEnd()) ++failures;
  };
  f.Run("cmd");
  EXPECT_EQ(checks, 5);  // four reads and the message box of Complete
  EXPECT_EQ(failures, 0);
  EXPECT_TRUE(f.CaretAtEnd());
}

TEST(ConsoleChangeRule, AChangeFromOutsideMovesTheCaretToo) {
  ConsoleFixture f;
  f.logic.Load();
  ASSERT_FALSE(f.CaretAtEnd());  // the load leaves the whole text selected
  f.logic.Pane().Replace("written by someone else");
  EXPECT_TRUE(f.CaretAtEnd());
  f.logic.Pane().Select(0, 4);
  f.logic.Pane().Append("!");
  EXPECT_TRUE(f.CaretAtEnd());
}

}  // namespace
}  // namespace framora::console::test
