// What the runner's output turns into in the pane: the echo, the line breaks, the folder mask,
// the clear screen and the prompt at the end.
#include <gtest/gtest.h>

#include "console_fixture.h"

namespace framora::console::test {
namespace {

using framora::test::FakeMessageBox;

TEST(ConsoleWorkedExample, TwoLinesAndTheEmptyFinalChunk) {
  ConsoleFixture f;
  f.host.reads = {{"A\nB\n"}};
  f.Run("X");
  EXPECT_EQ(f.Pane(),
            "[**] Framora audio converter v1.0 [**]\r\n"
            "\r\n"
            "C:\\> X\r\n"
            "A\r\n"
            "B\r\n"
            "\r\n"
            "C:\\> ");
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, "Complete reading output!");
  EXPECT_EQ(f.messages.shown[0].title, "Success!");
  EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::None);
}

TEST(ConsoleWorkedExample, ALoneFormFeedClearsThePane) {
  ConsoleFixture f;
  f.host.reads = {{"\f"}};
  f.Run("cls");
  EXPECT_EQ(f.Pane(),
            "[**] Zelbrin's Version of MS-DOS [**]\r\n"
            "\r\n"
            "C:\\> ");
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, "Complete reading output!");
}

TEST(ConsoleStarting, EchoesTheCommandAsRunBehindThePrompt) {
  ConsoleFixture f;
  std::string atFirstRead;
  f.host.onRead = [&] {
    if (atFirstRead.empty()) atFirstRead = f.Pane();
  };
  f.Run("echo \"quoted\" & more");
  EXPECT_EQ(atFirstRead, Fresh() + "echo \"quoted\" & more\r\n");
}

TEST(ConsoleStarting, ACommandChangedDuringTheRunIsNotEchoedAgain) {
  ConsoleFixture f;
  f.host.reads = {{"out\n"}};
  f.host.onRead = [&] { f.logic.ReadOutput1().SetCommand("other"); };
  f.Run("first");
  EXPECT_EQ(f.Pane(), AfterPrompt("first", "out\r\n"));
}

TEST(ConsoleGotChunk, LineBreaksOfEveryKindBecomeCrLf) {
  ConsoleFixture f;
  f.host.reads = {{"crlf\r\n"}, {"lf\n"}, {" 10%\r 20%\r 30%\r\n"}, {"split\r"}, {"\nnext\n"}};
  f.Run("c");
  EXPECT_EQ(f.Pane(), AfterPrompt("c", "crlf\r\nlf\r\n 10% 20% 30%\r\nsplit\r\nnext\r\n"));
}

TEST(ConsoleGotChunk, OutputWithoutLineBreakGetsThePromptOnItsOwnLine) {
  ConsoleFixture f;
  f.host.reads = {{"no break"}};
  f.Run("c");
  EXPECT_EQ(f.Pane(), AfterPrompt("c", "no break"));
}

TEST(ConsoleGotChunk, TheProgramFolderIsMasked) {
  ConsoleFixture f;
  f.host.reads = {{std::string(ConsoleFixture::kFolder) + "\r\n"}};
  f.Run("cd");
  EXPECT_EQ(f.Pane(), AfterPrompt("cd", "C:\\\r\n"));
}

TEST(ConsoleGotChunk, TheFolderInAnotherCaseOrWithOtherEndingsIsOutput) {
  const std::string folder = ConsoleFixture::kFolder;
  const std::string upper = "/OPT/Framora audio converter";
  ConsoleFixture f;
  f.host.reads = {{upper + "\r\n"}, {folder + "\n"}, {folder + "\r\n\n"}, {folder + "\r\nx"}};
  f.Run("cd");
  EXPECT_EQ(f.Pane(), AfterPrompt("cd", upper + "\r\n" + folder + "\r\n" + folder + "\r\n\r\n" +
                                            folder + "\r\nx"));
}

TEST(ConsoleGotChunk, ShortChunksAreNeverTakenForTheFolder) {
  // With the program in the root folder ("") any two-character chunk would match.
  framora::test::FakeProcessHost host;
  FakeConsoleWindow window;
  FocusCheckingView controls(window);
  FakeMessageBox messages;
  ConsoleLogic logic(controls, window, {messages, host, "", nullptr, {}});
  host.reads = {{"ab"}, {"\r\n"}, {"c"}};
  logic.Load();
  controls.texts["Text1"] = "c";
  logic.Execute();
  EXPECT_EQ(logic.Pane().Text(), AfterPrompt("c", "ab\r\nc"));
}

TEST(ConsoleGotChunk, AFormFeedInsideALongerChunkIsAppended) {
  ConsoleFixture f;
  f.host.reads = {{"\f\n"}, {"a\fb"}};
  f.Run("c");
  EXPECT_EQ(f.Pane(), AfterPrompt("c", "\f\r\na\fb"));
}

TEST(ConsoleGotChunk, AClearedPaneGoesOnWithTheLaterOutput) {
  ConsoleFixture f;
  f.host.reads = {{"before\n"}, {"\f"}, {"after\n"}};
  f.Run("c");
  EXPECT_EQ(f.Pane(), "[**] Zelbrin's Version of MS-DOS [**]\r\nafter\r\n\r\nC:\\> ");
}

TEST(ConsoleGotChunk, TheFinalChunkFollowsTheSameRules) {
  ConsoleFixture f;
  f.host.reads = {{"a\n"}};
  f.host.finalChunk = "tail\r";
  f.Run("c");
  EXPECT_EQ(f.Pane(), AfterPrompt("c", "a\r\ntail"));
}

TEST(ConsoleGotChunk, TextBeyondAsciiIsKeptAsItIs) {
  ConsoleFixture f;
  f.host.reads = {{"d\xC3\xA9j\xC3\xA0 vu \xE2\x82\xAC\n"}};
  f.Run("c");
  EXPECT_EQ(f.Pane(), AfterPrompt("c", "d\xC3\xA9j\xC3\xA0 vu \xE2\x82\xAC\r\n"));
  EXPECT_TRUE(f.CaretAtEnd());
}

TEST(ConsoleComplete, AFailedCommandEndsWithAnErrorBoxThatNamesItsExitCode) {
  struct Case {
    std::uint32_t exitCode;
    const char* prompt;  // nullptr: the success box
  };
  const Case cases[] = {
      {0, nullptr},
      {1, "Complete reading output!\r\nThe command failed with exit code 1."},
      {127, "Complete reading output!\r\nThe command failed with exit code 127."},
      {9009, "Complete reading output!\r\nThe command failed with exit code 9009."},
      {0xBFFFFFFF, "Complete reading output!\r\nThe command failed with exit code -1073741825."},
      {0xC0000005, "Complete reading output!\r\nThe command failed with exit code 0xC0000005."},
      {0xFFFFFFFF, "Complete reading output!\r\nThe command failed with exit code 0xFFFFFFFF."},
  };
  for (const Case& c : cases) {
    ConsoleFixture f;
    f.host.reads = {{"out\n"}};
    f.host.exitCode = c.exitCode;
    f.Run("c");
    EXPECT_EQ(f.Pane(), AfterPrompt("c", "out\r\n")) << c.exitCode;
    ASSERT_EQ(f.messages.shown.size(), 1u) << c.exitCode;
    const FakeMessageBox::Message& box = f.messages.shown[0];
    if (c.prompt == nullptr) {
      EXPECT_EQ(box.prompt, "Complete reading output!");
      EXPECT_EQ(box.title, "Success!");
      EXPECT_EQ(box.icon, MessageIcon::None);
    } else {
      EXPECT_EQ(box.prompt, c.prompt);
      EXPECT_EQ(box.title, "Error");
      EXPECT_EQ(box.icon, MessageIcon::Critical);
    }
  }
}

TEST(ConsoleComplete, AnUnknownExitStatusLooksLikeSuccessAndASecondRunStartsAfresh) {
  ConsoleFixture f;
  f.host.exitCode = 3;
  f.Run("c");
  f.host.exitCodeKnown = false;
  f.logic.Execute();
  ASSERT_EQ(f.messages.shown.size(), 2u);
  EXPECT_EQ(f.messages.shown[0].title, "Error");
  EXPECT_EQ(f.messages.shown[1].title, "Success!") << "not the failure of the run before";
}

TEST(ConsoleComplete, EmptyPaneGetsThePromptAloneAndNoMessage) {
  ConsoleFixture f;
  f.host.reads = {{"some output\n"}};
  f.host.exitCode = 1;  // not even for a failed command
  // Someone empties the pane just before the output ends.
  f.host.onRead = [&] {
    if (f.host.reads.empty()) f.logic.Pane().Replace("");
  };
  f.Run("c");
  EXPECT_EQ(f.Pane(), "C:\\> ");
  EXPECT_TRUE(f.messages.shown.empty());
}

TEST(ConsoleComplete, TheMessageComesAfterThePromptIsWritten) {
  ConsoleFixture f;
  std::string paneWhileShown;
  f.messages.whileShown = [&](const FakeMessageBox::Message&) { paneWhileShown = f.Pane(); };
  f.Run("c");
  EXPECT_EQ(paneWhileShown, AfterPrompt("c", ""));
  EXPECT_EQ(f.Pane(), paneWhileShown);
}

}  // namespace
}  // namespace framora::console::test
