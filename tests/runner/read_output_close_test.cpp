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
  int slicesToEnd;                 // how long it takes to end by itself
  bool endsTree;                   // the tree can be ended
  std::vector<std::string> calls;  // from the close request on
  std::string event;
};

class StopTest : public CloseTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, EndsTheCommandAndItsChildren) {
  const StopCase& c = GetParam();
  if (c.window) host.GiveProcessAWindow();
  host.reads = {{"a"}};
  host.exitWaitSlices = c.slicesToEnd;
  host.terminateSucceeds = c.endsTree;
  log.onGotChunk = [&](const std::string&, bool) { runner.StopProcess(); };
  runner.SetCommand("ffmpeg");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", c.event)) << c.what;
  const auto request = std::find(host.calls.begin(), host.calls.end(), "GetVersionEx");
  EXPECT_EQ(std::vector<std::string>(request + 1, host.calls.end() - 3), c.calls) << c.what;
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
}

const std::string kAsk = "PostMessage(7,16)";
const std::string kWaitAtOnce = "WaitForProcessTree(process,0)";
const std::string kGrace = "WaitForProcessTree(process,3000)";
const std::string kEnd = "TerminateProcessTree(process)";
const std::string kCannotClose = "Error(Cannot close process id: 4242,1203)";

// cmd.exe has no window: it is ended at once, FFmpeg with it. A command that gets the request
// has a moment to end by itself.
INSTANTIATE_TEST_SUITE_P(
    Cases, StopTest,
    ::testing::Values(
        StopCase{"no window", false, 100, true, {kWaitAtOnce, kEnd}, "Canceled"},
        StopCase{"ends on the request", true, 5, true, {kAsk, kGrace}, "Canceled"},
        StopCase{"ignores it", true, 1000000, true, {kAsk, kGrace, kEnd}, "Canceled"},
        StopCase{"cannot be ended", false, 100, false, {kWaitAtOnce, kEnd}, kCannotClose}));

TEST_F(CloseTest, APlainCancelOnlyAsksAndNeverEndsTheCommand) {
  host.reads = {{"a"}};
  host.exitWaitSlices = 100;
  log.onGotChunk = [&](const std::string&, bool) { runner.CancelProcess(); };
  runner.SetCommand("ffmpeg");
  runner.ProcessCommand();
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(a)", "Error(Cannot close process id: 4242,1203)"));
  EXPECT_EQ(Count("TerminateProcessTree(process)"), 0);
  EXPECT_TRUE(host.running);
}

TEST_F(CloseTest, TheProgramEndingDuringTheGraceLeavesTheCommandRunning) {
  host.GiveProcessAWindow();
  host.reads = {{"a"}};
  host.exitWaitSlices = 100;
  log.onGotChunk = [&](const std::string&, bool) { runner.StopProcess(); };
  host.onYield = [&] { return log.events.size() < 2; };  // ends once the chunk has come
  runner.SetCommand("ffmpeg");
  runner.ProcessCommand();
  EXPECT_EQ(Count("TerminateProcessTree(process)"), 0);
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
