// The runner's Canceled and Error events, a second Execute during a run, and closing the
// window while a command runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "console/pane_text.h"
#include "console_fixture.h"

namespace framora::console::test {
namespace {

using framora::test::FakeMessageBox;
using framora::test::FakeProcessHost;

const std::string kErrorText = "Error!\r\nDescription: ";

TEST(ConsoleCanceled, AppendsTheCancelLineAndThePromptThenShowsTheMessage) {
  ConsoleFixture f;
  f.host.GiveProcessAWindow();
  f.host.reads = {{"partial\n"}, {"never read\n"}};
  int reads = 0;
  f.host.onRead = [&] {
    if (++reads == 1) f.logic.ReadOutput1().CancelProcess();
  };
  std::string paneWhileShown;
  f.messages.whileShown = [&](const FakeMessageBox::Message&) { paneWhileShown = f.Pane(); };
  f.Run("c");
  const std::string expected =
      Fresh() + "c\r\npartial\r\n\r\n[**] Process Canceled [**]\r\n\r\nC:\\> ";
  EXPECT_EQ(f.Pane(), expected);
  EXPECT_EQ(paneWhileShown, expected);
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, "Success! Process was canceled!");
  EXPECT_EQ(f.messages.shown[0].title, "Framora audio converter");
  EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::None);
}

TEST(ConsoleSong, AFailedConversionLeavesNoVideoOfItsOwnAndExecuteRunsItAgain) {
  struct Case {
    const char* name;
    bool videoStoodBefore;
    bool editedByHand;  // the box no longer holds the launch's command: it runs alone
    bool removed;
  };
  const Case cases[] = {{"its own", false, false, true},
                        {"one that was there", true, false, false},
                        {"edited", false, true, false}};
  for (const Case& c : cases) {
    ConsoleFixture f;
    auto songs = std::make_shared<queue::SongQueue>(
        f.files,
        queue::Rules{"/usr/bin/ffmpeg", "/p/not a picture.png", ShellKind::Posix, true, true});
    // The window's one AVI, written at its name.
    songs->AddOne("/m/Intro.mp3", "/m/Intro.avi");
    if (c.videoStoodBefore) f.files.AddNormalFile("/m/Intro.avi");
    f.logic.Load();
    f.desk.HandOver(songs);
    EXPECT_EQ(f.controls.texts["Text1"], songs->Command(0));
    EXPECT_EQ(f.controls.texts["txtCommand"], songs->Command(0));
    if (c.editedByHand) {
      f.controls.texts["Text1"] += " -v quiet";
      f.logic.Text1_Change();
    }
    f.host.onStart = [&](const CommandLine&) {
      f.files.AddNormalFile("/m/Intro.avi");  // FFmpeg makes the file before it fails
      f.host.exitCode = 1;
    };
    f.logic.Execute();
    ASSERT_EQ(f.messages.shown.size(), 1u) << c.name;
    const std::string removedLine =
        "\r\nWhat FFmpeg had written of /m/Intro.avi was removed, so that the conversion can run "
        "again.";
    EXPECT_EQ(f.messages.shown[0].prompt,
              FailedCommandMessage(1) + (c.removed ? removedLine : std::string()))
        << c.name;
    EXPECT_EQ(f.files.normalFiles.count("/m/Intro.avi"), c.removed ? 0u : 1u) << c.name;
    f.logic.Execute();  // the retry reaches FFmpeg
    EXPECT_EQ(std::count(f.host.calls.begin(), f.host.calls.end(), "CreateProcess"), 2) << c.name;
  }
}

// Three songs handed over as the launch does for "One video each": the first's video exists,
// FFmpeg fails on the second after beginning its file, and makes the third, each under its
// temporary name.
struct QueueFixture : ConsoleFixture {
  QueueFixture() {
    songs = std::make_shared<queue::SongQueue>(
        files, queue::Rules{"ffmpeg", "/p/c.png", ShellKind::Posix, false, false});
    songs->AddEach({"/m/1 a.mp3", "/m/2 b.mp3", "/m/3 c.mp3"}, {"/v", ".avi"});
    for (const char* song : {"/m/1 a.mp3", "/m/2 b.mp3", "/m/3 c.mp3"}) files.AddNormalFile(song);
    files.AddNormalFile("/v/1 a.avi");
    host.onStart = [this](const CommandLine& line) {
      // What FFmpeg writes: the command's last word, quoted for sh where it holds a blank.
      const std::string& command = line.command;
      const std::size_t start =
          command.ends_with('\'') ? command.rfind(" '") + 2 : command.rfind(' ') + 1;
      files.AddNormalFile(command.substr(start, command.size() - start - command.ends_with('\'')));
      host.exitCode = line.command.find("2 b") != std::string::npos ? 1 : 0;
      host.reads = {{"Input #0, png_pipe\nInput #1, mp3, from 'x':\n  Duration: 00:00:10.00, "
                     "start: 0\nOutput #0, mp4\n"},
                    {"frame=    1 time=00:00:05.00 bitrate=\r"}};
    };
    host.onRead = [this] { nowMs += 1000; };
    logic.Load();
    desk.HandOver(songs);
  }
  std::shared_ptr<queue::SongQueue> songs;
};

TEST(ConsoleQueue, SongsRunInTurnEachSaysWhatBecameOfItAndOneMessageSumsUp) {
  QueueFixture f;
  EXPECT_NE(f.Pane().find("[**] 3 songs queued: their videos go to /v [**]\r\n\r\nC:\\> "),
            std::string::npos);
  f.logic.Execute();
  for (const char* line :
       {"[**] Song 1 of 3, 1 a.mp3: skipped: File /v/1 a.avi allready exists",
        "[**] Song 2 of 3, 2 b.mp3: failed to make /v/2 b.avi: FFmpeg's exit code "
        "1 [**]\r\n\r\nC:\\> ffmpeg",
        "[**] Song 3 of 3, 3 c.mp3: converted: /v/3 c.avi [**]\r\n\r\nC:\\> "}) {
    EXPECT_NE(f.Pane().find(line), std::string::npos) << line << "\n" << f.Pane();
  }
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].title, "Error");
  EXPECT_EQ(f.messages.shown[0].prompt,
            "Complete reading output!\r\n3 songs: 1 converted, 1 skipped, 1 failed.\r\n2 b.mp3: "
            "FFmpeg's exit code 1");
  EXPECT_EQ(f.files.removed, std::vector<std::string>{"/v/.2 b.avi.part"});
  EXPECT_EQ(f.files.KindAt("/v/3 c.avi"), PathKind::File) << "renamed once whole";
  // The task-bar button covers the whole queue: half of the second song is half of its third.
  EXPECT_EQ(f.taskbar.shown, (std::vector<std::string>{"0.50", "0.83", "clear"}));
}

TEST(ConsoleQueue, ClosingDuringTheSecondSongRemovesItsVideoAndStartsNoMore) {
  QueueFixture f;
  f.files.normalFiles.erase("/v/1 a.avi");
  f.host.GiveProcessAWindow();
  const auto onStart = f.host.onStart;
  f.host.onStart = [&](const CommandLine& line) {
    onStart(line);
    f.host.exitCode = 0;
    if (line.command.find("2 b") != std::string::npos) f.host.onRead = [&] { f.logic.Cancel(); };
  };
  f.logic.Execute();
  EXPECT_EQ(std::count(f.host.calls.begin(), f.host.calls.end(), "CreateProcess"), 2);
  EXPECT_EQ(f.files.removed, std::vector<std::string>{"/v/.2 b.avi.part"});
  EXPECT_EQ(f.files.normalFiles.count("/v/1 a.avi"), 1u);
  EXPECT_TRUE(f.messages.shown.empty());
  EXPECT_EQ((*f.songs)[2].outcome, queue::Outcome::Waiting) << "never started";
}

TEST(ConsoleError, EmptyCommandShowsThreeLinesAndLeavesThePane) {
  ConsoleFixture f;
  f.Run("");
  EXPECT_EQ(f.Pane(), Fresh());
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, kErrorText + "Invalid Command.\r\nLastDLLError: 1200");
  EXPECT_EQ(f.messages.shown[0].title, "Error");
  EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(f.host.calls.empty());
}

TEST(ConsoleError, PlatformFailuresShowTheirCodeSigned) {
  ConsoleFixture f;
  f.host.pipeError = -5;
  f.Run("c");
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, kErrorText + "CreatePipe failed.\r\nLastDLLError: -5");

  f.host.pipeError = 0;
  f.host.processError = 2;
  f.logic.Execute();
  ASSERT_EQ(f.messages.shown.size(), 2u);
  EXPECT_EQ(f.messages.shown[1].prompt, kErrorText + "CreateProcess failed.\r\nLastDLLError: 2");
  EXPECT_EQ(f.Pane(), Fresh());
}

TEST(ConsoleError, AProcessThatCannotBeClosedIsReportedWithItsId) {
  ConsoleFixture f;  // the process owns no window, so the close request reaches nothing
  f.host.processId = 4321;
  f.host.reads = {{"x\n"}, {"y\n"}};
  f.host.onRead = [&] { f.logic.ReadOutput1().CancelProcess(); };
  f.Run("c");
  EXPECT_EQ(f.Pane(), Fresh() + "c\r\nx\r\n");
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt,
            kErrorText + "Cannot close process id: 4321\r\nLastDLLError: 1203");
}

TEST(ConsoleExecuteDuringRun, RefusedWith1201AndTheRunGoesOn) {
  ConsoleFixture f;
  f.host.reads = {{"one\n"}, {"two\n"}};
  int reads = 0;
  f.host.onRead = [&] {
    if (++reads == 2) {
      f.controls.texts["Text1"] = "second";
      f.logic.Execute();
    }
  };
  f.Run("first");
  EXPECT_EQ(f.Pane(), AfterPrompt("first", "one\r\ntwo\r\n"));
  ASSERT_EQ(f.messages.shown.size(), 2u);
  EXPECT_EQ(f.messages.shown[0].prompt,
            kErrorText + "Currently processing a command!\r\nLastDLLError: 1201");
  EXPECT_EQ(f.messages.shown[1].prompt, "Complete reading output!");
  EXPECT_EQ(f.host.started.command, "first");
  EXPECT_EQ(std::count(f.host.calls.begin(), f.host.calls.end(), "CreateProcess"), 1);
}

// --- The task-bar button ---

const std::string kInputs =
    "Input #0, png_pipe, from 'a.png':\n  Duration: N/A, bitrate: N/A\n"
    "Input #1, wav, from 'b.wav':\n  Duration: 00:00:20.00, bitrate: 705 kb/s\n";

std::string At(const char* time) { return std::string("frame= 1 time=") + time + " bitrate=\r"; }

TEST(ConsoleProgress, ARunShowsHowFarItHasGotAFewTimesASecondAndClearsAtItsEnd) {
  ConsoleFixture f;
  f.host.reads = {{kInputs},           {At("00:00:02.00")}, {At("00:00:04.00")},
                  {At("00:00:05.00")}, {At("00:00:10.00")}, {At("00:00:20.00")}};
  // 100 ms between reads: every third one is due.
  f.host.onRead = [&] { f.nowMs += 100; };
  std::vector<std::string> atTheBox;
  f.messages.whileShown = [&](const auto&) { atTheBox = f.taskbar.shown; };
  f.Run("ffmpeg");
  EXPECT_EQ(f.taskbar.shown, (std::vector<std::string>{"0.10", "0.50", "clear"}));
  EXPECT_EQ(atTheBox, f.taskbar.shown) << "cleared before the box";

  // The next run starts from nothing again: not from the last run's 20 s.
  f.taskbar.shown.clear();
  f.host.reads = {{kInputs}, {At("00:00:01.00")}};
  f.logic.Execute();
  EXPECT_EQ(f.taskbar.shown, (std::vector<std::string>{"0.05", "clear"}));
}

TEST(ConsoleProgress, ACancelAnErrorAndClosingTheWindowClearIt) {
  const std::vector<std::string> shownThenCleared = {"0.50", "clear"};
  {
    ConsoleFixture f;
    f.host.GiveProcessAWindow();
    f.host.reads = {{kInputs + At("00:00:10.00")}, {"more"}};
    f.host.onRead = [&] {
      if (f.host.reads.size() == 1) f.logic.ReadOutput1().CancelProcess();
    };
    f.Run("ffmpeg");
    EXPECT_EQ(f.taskbar.shown, shownThenCleared) << "cancelled";
  }
  {
    ConsoleFixture f;
    f.host.reads = {{kInputs + At("00:00:10.00")}, {"more"}};
    f.host.onRead = [&] {
      if (f.host.reads.size() == 1) f.logic.Execute();  // refused: 1201
    };
    f.Run("ffmpeg");
    // The run goes on after the error, and so does its progress.
    EXPECT_EQ(f.taskbar.shown, (std::vector<std::string>{"0.50", "clear", "0.50", "clear"}))
        << "an error";
  }
  {
    ConsoleFixture f;
    f.host.reads = {{kInputs + At("00:00:10.00")}, {"more", 5}};
    f.host.onRead = [&] {
      if (f.host.reads.size() == 1) f.logic.Cancel();
    };
    f.Run("ffmpeg");
    EXPECT_EQ(f.taskbar.shown, shownThenCleared) << "closed";
  }
}

TEST(ConsoleProgress, OutputThatIsNoConversionShowsNothing) {
  ConsoleFixture f;
  f.host.reads = {{"64 bytes from x: time=20.1 ms\n"}, {"Duration: 00:00:05.00\n"}};
  f.Run("ping x");
  EXPECT_TRUE(f.taskbar.shown.empty());
}

TEST(ConsoleClosing, ClosingDuringARunStopsTheCommandAndStaysSilent) {
  ConsoleFixture f;
  f.host.GiveProcessAWindow();
  f.host.reads = {{"one\n"}, {"two\n"}, {"three\n"}};
  std::string paneAtClose;
  int reads = 0;
  f.host.onRead = [&] {
    if (++reads == 2) {
      f.logic.Cancel();
      paneAtClose = f.Pane();
    }
  };
  f.Run("long");
  EXPECT_TRUE(f.logic.IsClosed());
  EXPECT_FALSE(f.logic.Executing());
  // Stopped: the close request went to the process and the rest was never read.
  ASSERT_EQ(f.host.posted.size(), 1u);
  EXPECT_EQ(f.host.posted[0].uMsg, framora::kWmClose);
  EXPECT_EQ(f.host.reads.size(), 1u);
  EXPECT_TRUE(f.host.open.empty());
  // Silent: no message box, and the pane is left as it was.
  EXPECT_TRUE(f.messages.shown.empty());
  EXPECT_EQ(f.Pane(), paneAtClose);
}

TEST(ConsoleClosing, ClosingWhileTheCompleteMessageIsUpShowsNothingMore) {
  ConsoleFixture f;
  f.host.GiveProcessAWindow();
  f.messages.whileShown = [&](const FakeMessageBox::Message&) { f.logic.Cancel(); };
  f.Run("c");
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].prompt, "Complete reading output!");
  EXPECT_FALSE(f.logic.Executing());
}

TEST(ConsoleClosing, ClosingWhenIdleStopsNothing) {
  ConsoleFixture f;
  f.host.GiveProcessAWindow();
  f.Run("c");
  f.logic.Cancel();
  EXPECT_TRUE(f.host.posted.empty());
  EXPECT_EQ(f.messages.shown.size(), 1u);  // the Complete message of the run, nothing more
}

TEST(ConsoleClosing, ProgramEndingDuringARunLeavesExecute) {
  ConsoleFixture f;
  f.host.reads = {{"one\n"}, {"two\n"}};
  f.host.onYield = [&] { return f.host.yields < 2; };
  f.Run("c");
  EXPECT_FALSE(f.logic.Executing());
  EXPECT_TRUE(f.host.open.empty());
}

}  // namespace
}  // namespace framora::console::test
