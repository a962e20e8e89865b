// CloseProcess against a scripted host: the version test that picks the way of closing, the
// walk over the top-level windows, and the Windows 9x path that terminates after the notice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_process_host.h"
#include "runner/event_log.h"
#include "runner/read_output.h"

namespace framora {
namespace {

using test::EventLog;
using test::FakeProcessHost;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CloseTest : public ::testing::Test {
 protected:
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(host.calls.begin(), host.calls.end(), call));
  }

  FakeProcessHost host;
  EventLog log;
  ReadOutput runner{host, log};
};

// --- The version test ---

struct VersionCase {
  std::int32_t platform;
  std::int32_t major;
  std::int32_t minor;
  bool win9x;
};

class VersionTest : public CloseTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, ChoosesTheWayOfClosing) {
  const VersionCase& c = GetParam();
  host.version = FakeProcessHost::Version(c.platform, c.major, c.minor);
  host.windows = {{10, kNoWindow, 77}};
  EXPECT_TRUE(runner.CloseProcess(77, 3));

  ASSERT_EQ(host.posted.size(), 1u);
  if (c.win9x) {
    EXPECT_EQ(host.posted[0].uMsg, kWmEndSession);
    EXPECT_EQ(host.posted[0].wParam, -1);
    EXPECT_EQ(Count("TerminateProcess(opened)"), 1);
  } else {
    EXPECT_EQ(host.posted[0].uMsg, kWmClose);
    EXPECT_EQ(host.posted[0].wParam, 0);
    EXPECT_EQ(Count("OpenProcess(1,0,77)"), 0);
    EXPECT_THAT(host.terminateCodes, IsEmpty());
  }
  EXPECT_EQ(host.posted[0].lParam, 0);
}

INSTANTIATE_TEST_SUITE_P(
    PublishedAndOddVersions, VersionTest,
    ::testing::Values(VersionCase{1, 4, 0, true},    // Windows 95
                      VersionCase{1, 4, 10, true},   // Windows 98
                      VersionCase{1, 4, 90, true},   // Windows Me
                      VersionCase{1, 5, 0, true},    // a later 9x would still be one
                      VersionCase{1, 3, 95, false},  //
                      VersionCase{2, 4, 0, false},   // NT 4.0
                      VersionCase{2, 5, 0, false},   // 2000
                      VersionCase{2, 5, 1, false},   // XP
                      VersionCase{2, 6, 1, false},   // 7
                      VersionCase{2, 10, 0, false},  // 10
                      VersionCase{2, 4, 1, true},    // any 4.x above 4.0 counts, whatever platform
                      VersionCase{0, 4, 0, false},   // Win32s
                      VersionCase{1, -5, 0, false},  // compared as signed numbers
                      VersionCase{2, 4, -1, false}));

TEST_F(CloseTest, VersionIsReadOnceWithAPreparedRecordAndKept) {
  host.windows = {{10, kNoWindow, 77}};
  runner.CloseProcess(77, 0);
  host.version = FakeProcessHost::Version(1, 4, 10);  // too late: the first answer stands
  runner.CloseProcess(77, 0);

  ASSERT_EQ(host.versionRequests.size(), 1u);
  EXPECT_EQ(host.versionRequests[0].dwOSVersionInfoSize, 148u);
  EXPECT_EQ(host.versionRequests[0].szCSDVersion, std::string(128, ' '));
  EXPECT_EQ(host.posted.size(), 2u);
  EXPECT_EQ(host.posted[1].uMsg, kWmClose);
}

// --- The window walk ---

TEST_F(CloseTest, EveryTopLevelWindowOfTheProcessGetsTheMessage) {
  host.windows = {{10, kNoWindow, 5}, {11, kNoWindow, 9}, {12, 10, 5}, {13, kNoWindow, 5}};
  EXPECT_TRUE(runner.CloseProcess(5, 0));
  ASSERT_EQ(host.posted.size(), 2u);
  EXPECT_EQ(host.posted[0].hWnd, 10u);
  EXPECT_EQ(host.posted[1].hWnd, 13u);
}

TEST_F(CloseTest, NoTopLevelWindowOfTheProcessIsFalseOnBothPaths) {
  host.windows = {{10, kNoWindow, 9}, {12, 10, 5}};  // process 5 owns only a child window
  EXPECT_FALSE(runner.CloseProcess(5, 0));

  FakeProcessHost win9x;
  win9x.version = FakeProcessHost::Version(1, 4, 0);
  win9x.windows = host.windows;
  ReadOutput other(win9x, log);
  EXPECT_FALSE(other.CloseProcess(5, 0));
  EXPECT_THAT(win9x.posted, IsEmpty());
  EXPECT_EQ(std::count(win9x.calls.begin(), win9x.calls.end(), "OpenProcess(1,0,5)"), 0);
}

TEST_F(CloseTest, AnEmptyDesktopIsFalse) {
  EXPECT_FALSE(runner.CloseProcess(5, 0));
  EXPECT_THAT(host.posted, IsEmpty());
}

TEST_F(CloseTest, ActsAtOnceAlsoWhenIdle) {
  host.windows = {{10, kNoWindow, 5}};
  EXPECT_TRUE(runner.CloseProcess(5, 0));
  EXPECT_THAT(log.events, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

// --- Stopping a run: the close request, then the end of whatever still runs ---

struct StopCase {
  const char* what;
  bool window;                     // the command has a top-level window for the close request
  bool handedOver;                 // the host takes the process to end it beside the run
  bool programEnds;                // the same close ends the program (the console was the last)
  std::vector<std::string> calls;  // from the close request on
  std::string event;
};

class StopTest : public CloseTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, HandsTheCommandOverToBeEndedAndReturnsAtOnce) {
  const StopCase& c = GetParam();
  if (c.window) host.GiveProcessAWindow();
  host.reads = {{"a"}};
  host.exitWaitSlices = 1000000;  // it would run on for ever
  host.handOverSucceeds = c.handedOver;
  int yieldsAtStop = -1;
  log.onGotChunk = [&](const std::string&, bool) {
    runner.StopProcess();
    yieldsAtStop = host.yields;
  };
  host.onYield = [&] { return !c.programEnds || yieldsAtStop < 0; };
  runner.SetCommand("ffmpeg");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", c.event)) << c.what;
  const auto request = std::find(host.calls.begin(), host.calls.end(), "GetVersionEx");
  EXPECT_EQ(std::vector<std::string>(request + 1, host.calls.end() - 3 + c.handedOver), c.calls)
      << c.what;
  EXPECT_EQ(host.yields, yieldsAtStop + 1) << "one look at the windows, then no waiting";
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
  if (c.programEnds) return;
  // The next run, started at once, runs to its own end: the stop never waits inside it.
  log.events.clear();
  log.onGotChunk = nullptr;
  host.exitWaitSlices = 0;
  host.reads = {{"b"}};
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(b)", "LastChunk()", "Complete"));
}

const std::string kAsk = "PostMessage(7,16)";
const std::string kEndAtOnce = "EndProcessTreeLater(process,0)";
const std::string kEndAfterGrace = "EndProcessTreeLater(process,3000)";
const std::string kCannotClose = "Error(Cannot close process id: 4242,1203)";

// cmd.exe has no window: it is ended at once, FFmpeg with it. A command that gets the request
// has a moment to end by itself.
INSTANTIATE_TEST_SUITE_P(
    Cases, StopTest,
    ::testing::Values(
        StopCase{"no window", false, true, false, {kEndAtOnce}, "Canceled"},
        StopCase{"a window", true, true, false, {kAsk, kEndAfterGrace}, "Canceled"},
        StopCase{"as the program ends", true, true, true, {kAsk, kEndAfterGrace}, "Canceled"},
        StopCase{"asked, not taken", true, false, false, {kAsk, kEndAfterGrace}, "Canceled"},
        StopCase{"neither", false, false, false, {kEndAtOnce}, kCannotClose}));

TEST_F(CloseTest, APlainCancelOnlyAsksAndNeverEndsTheCommand) {
  host.reads = {{"a"}};
  host.exitWaitSlices = 100;
  log.onGotChunk = [&](const std::string&, bool) { runner.CancelProcess(); };
  runner.SetCommand("ffmpeg");
  runner.ProcessCommand();
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(a)", "Error(Cannot close process id: 4242,1203)"));
  EXPECT_THAT(host.handedOver, IsEmpty());
  EXPECT_TRUE(host.running);
}

// --- The Windows 9x path ---

class Win9xCloseTest : public CloseTest {
 protected:
  void SetUp() override {
    host.version = FakeProcessHost::Version(1, 4, 10);
    host.windows = {{10, kNoWindow, 5}};
  }
};

TEST_F(Win9xCloseTest, NoticeThenTerminationWithTheExitCodeThenTheHandleIsClosed) {
  EXPECT_TRUE(runner.CloseProcess(5, 9));
  EXPECT_THAT(host.calls, ElementsAre("GetVersionEx", "PostMessage(10,22)", "OpenProcess(1,0,5)",
                                      "TerminateProcess(opened)", "CloseHandle(opened)"));
  EXPECT_THAT(host.terminateCodes, ElementsAre(9u));
  EXPECT_THAT(host.open, IsEmpty());
}

TEST_F(Win9xCloseTest, AProcessThatCannotBeOpenedIsFalse) {
  host.openProcessSucceeds = false;
  EXPECT_FALSE(runner.CloseProcess(5, 0));
  EXPECT_THAT(host.terminateCodes, IsEmpty());
}

TEST_F(Win9xCloseTest, AFailedTerminationIsFalseAndStillClosesTheHandle) {
  host.terminateSucceeds = false;
  EXPECT_FALSE(runner.CloseProcess(5, 0));
  EXPECT_EQ(Count("CloseHandle(opened)"), 1);
  EXPECT_THAT(host.open, IsEmpty());
}

TEST_F(Win9xCloseTest, CancelledRunTerminatesTheChildWithExitCodeZero) {
  host.windows = {{10, kNoWindow, host.processId}};
  host.reads = {{"a"}, {"b"}};
  log.onGotChunk = [&](const std::string&, bool) { runner.CancelProcess(); };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", "Canceled"));
  EXPECT_THAT(host.terminateCodes, ElementsAre(0u));
}

}  // namespace
}  // namespace framora
