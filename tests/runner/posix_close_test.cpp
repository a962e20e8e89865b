// Stopping real processes on the POSIX host: a cancel that ends a wait, the close request
// (SIGTERM to the child's process group), the termination of the 9x path (SIGKILL), ids that
// must never be signalled, and the program ending in the middle of a run.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <limits>
#include <utility>

#include "runner/event_log.h"
#include "runner/posix_test_support.h"
#include "runner/read_output.h"

extern char** environ;

namespace framora {
namespace {

using test::EventLog;
using test::FakeYield;
using test::Helper;
using ::testing::ElementsAre;

class PosixCloseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::AdoptOrphans(); }

  void Run(const std::string& command) {
    runner.SetCommand(command);
    runner.ProcessCommand();
  }

  // Once the helper has said who it is, `act` runs on the next yield that happens while the
  // run waits for more output (the run loop's own yield comes first).
  void OnceWaitingAfterPid(std::function<bool()> act) {
    yield.onYield = [this, act = std::move(act), yieldsAfterPid = 0]() mutable {
      if (helperPid == 0) helperPid = test::PidAfter(log.Text(), "pid");
      if (helperPid == 0 || ++yieldsAfterPid != 2) return true;
      return act();
    };
  }

  FakeYield yield;
  BackgroundStops stops;
  posix::PosixProcessHost real{yield, &stops};
  test::RecordingHost host{real};
  EventLog log;
  ReadOutput runner{host, log};
  pid_t helperPid = 0;
};

// --- Cancelling a run ---

TEST_F(PosixCloseTest, CancelEndsTheWaitAndTheCloseRequestEndsTheChild) {
  OnceWaitingAfterPid([this] {
    runner.CancelProcess();
    return true;
  });
  Run(Helper("wait"));
  EXPECT_THAT(
      log.events,
      ElementsAre("Starting", "GotChunk(pid " + std::to_string(helperPid) + "\n)", "Canceled"));
  EXPECT_FALSE(runner.Processing());
  // SIGTERM ends it; the host reaps it.
  EXPECT_TRUE(test::WaitUntil([this] { return test::IsGone(helperPid); }));
}

TEST_F(PosixCloseTest, TheCloseRequestReachesEveryProcessInTheChildsGroup) {
  // Without exec the shell stays the child and the helper runs in its group.
  OnceWaitingAfterPid([this] {
    runner.CancelProcess();
    return true;
  });
  Run(test::ShellQuote(test::kHelper) + " wait; echo not reached");
  EXPECT_EQ(log.events.back(), "Canceled");
  ASSERT_NE(host.lastProcessId, helperPid);

  // It ends (were only the shell signalled, it would wait on for ever); when it is we who
  // reap it, its status says how.
  std::optional<int> status;
  ASSERT_TRUE(test::ReapOrphan(helperPid, &status));
  if (status) {
    EXPECT_TRUE(WIFSIGNALED(*status));
    EXPECT_EQ(WTERMSIG(*status), SIGTERM);
  }
}

TEST_F(PosixCloseTest, AChildThatIgnoresTheCloseRequestRunsOnAfterTheRun) {
  OnceWaitingAfterPid([this] {
    runner.CancelProcess();
    return true;
  });
  Run(Helper("wait ignore-term"));
  EXPECT_EQ(log.events.back(), "Canceled");  // the request reached it
  EXPECT_FALSE(runner.Processing());
  EXPECT_TRUE(test::IsRunning(helperPid));

  ::kill(helperPid, SIGKILL);
  EXPECT_TRUE(test::WaitUntil([this] { return test::IsGone(helperPid); }));
}

TEST_F(PosixCloseTest, AStopLetsTheCommandEndOnTheRequestAndKillsItAfterTheGraceIfItWillNot) {
  // The helper runs under a shell that waits for it, as FFmpeg does under sh: the shell ends at
  // once on the request, the helper in its own time (FFmpeg finishing its file) or never.
  for (const auto& [mode, killed] : {std::pair{"wait", false}, {"wait ignore-term", true}}) {
    log.events.clear();
    log.chunks.clear();
    helperPid = 0;
    OnceWaitingAfterPid([this] {
      runner.StopProcess();
      return true;
    });
    Run(test::ShellQuote(test::kHelper) + " " + mode + "; echo never");
    EXPECT_EQ(log.events.back(), "Canceled") << mode;
    EXPECT_FALSE(runner.Processing());
    if (killed) {
      // The run is back while the grace still goes on beside it, and the next run is neither
      // delayed by the stop nor delays it.
      EXPECT_TRUE(test::IsRunning(helperPid)) << "ended before its grace was over";
      EXPECT_EQ(stops.Pending(), 1u);
      yield.onYield = nullptr;
      Run("echo next");
      EXPECT_EQ(log.events.back(), "Complete");
    }
    const auto start = std::chrono::steady_clock::now();
    stops.WaitAll();
    EXPECT_TRUE(test::ReapOrphan(helperPid)) << mode;
    // A helper that ends on the request is gone long before the 3 s grace is over.
    EXPECT_EQ(std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1500), killed)
        << mode;
    EXPECT_EQ(log.Text().find("never"), std::string::npos);
  }
}

TEST_F(PosixCloseTest, AStopKeepsTheGroupsLeaderUnreapedUntilItsLastSignalHasGone) {
  // The shell, which leads the group, ends on the request; the helper it started keeps the
  // group until the kill after the grace. Were the shell reaped meanwhile, its id could lead
  // another group by the time of that kill.
  OnceWaitingAfterPid([this] {
    runner.StopProcess();
    return true;
  });
  Run(test::ShellQuote(test::kHelper) + " wait ignore-term & wait");
  const pid_t leader = host.lastProcessId;
  ASSERT_NE(leader, helperPid);
  // Looked at over the whole grace: while the helper runs, the leader (seen just before) is
  // still there, running or a zombie.
  bool held = true;
  ASSERT_TRUE(test::WaitUntil([&] {
    const bool leaderThere = test::ProcessState(leader).has_value();
    if (!test::IsRunning(helperPid)) return true;
    held = held && leaderThere;
    return false;
  }));
  EXPECT_TRUE(held) << "the leader was reaped before the group's kill";
  stops.WaitAll();
  EXPECT_TRUE(test::ReapOrphan(helperPid));
  EXPECT_TRUE(test::IsGone(leader)) << "reaped once the stop is over";
}

TEST_F(PosixCloseTest, OnTheWindows9xPathTheNoticeIsFollowedByTermination) {
  OsVersionInfo windows98;
  windows98.dwPlatformId = kVerPlatformWin32Windows;
  windows98.dwMajorVersion = 4;
  windows98.dwMinorVersion = 10;
  host.version = windows98;
  OnceWaitingAfterPid([this] {
    runner.CancelProcess();
    return true;
  });
  Run(Helper("wait ignore-term"));
  EXPECT_EQ(log.events.back(), "Canceled");
  EXPECT_TRUE(test::WaitUntil([this] { return test::IsGone(helperPid); }));
}

// --- CloseProcess called by the host ---

TEST_F(PosixCloseTest, IdsThatAreNotLiveProcessesAreFalseAndSignalNothing) {
  EXPECT_FALSE(runner.CloseProcess(0, 0));
  EXPECT_FALSE(runner.CloseProcess(-1, 0));
  EXPECT_FALSE(runner.CloseProcess(std::numeric_limits<std::int32_t>::min(), 0));

  Run(Helper("bytes 1"));
  const pid_t ended = host.lastProcessId;
  ASSERT_TRUE(test::WaitUntil([ended] { return test::IsGone(ended); }));
  EXPECT_FALSE(runner.CloseProcess(ended, 0));
}

TEST_F(PosixCloseTest, AProcessInOurOwnGroupGetsTheRequestAloneAndWeAreLeftAlone) {
  // Started here without a group of its own: it shares ours.
  pid_t pid = 0;
  std::string helper = test::kHelper;
  std::string mode = "wait";
  char* argv[] = {helper.data(), mode.data(), nullptr};
  posix_spawn_file_actions_t quiet;
  ::posix_spawn_file_actions_init(&quiet);
  ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  const int spawned = ::posix_spawn(&pid, helper.c_str(), &quiet, nullptr, argv, environ);
  ::posix_spawn_file_actions_destroy(&quiet);
  ASSERT_EQ(spawned, 0);
  ASSERT_EQ(::getpgid(pid), ::getpgrp());

  EXPECT_TRUE(runner.CloseProcess(pid, 0));
  int status = 0;
  ASSERT_TRUE(test::WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }));
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

TEST_F(PosixCloseTest, ACancelWhileTheRunWaitsForAChildWithoutOutputClosesIt) {
  yield.onYield = [this] {
    if (log.events.back() == "LastChunk()") runner.CancelProcess();
    return true;
  };
  Run(Helper("wait close-output"));
  const pid_t pid = test::PidAfter(log.Text(), "pid");
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(pid " + std::to_string(pid) + "\n)",
                                      "LastChunk()", "Canceled"));
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
  EXPECT_TRUE(test::WaitUntil([pid] { return test::IsGone(pid); }));
}

// --- The program ending during a run ---

TEST_F(PosixCloseTest, ProgramEndingAbandonsTheRunAndLeavesTheChildAlone) {
  const int descriptors = test::OpenDescriptorCount();
  OnceWaitingAfterPid([this] {
    runner.CancelProcess();  // not acted on: the program is ending
    return false;
  });
  Run(Helper("wait"));
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(pid " + std::to_string(helperPid) + "\n)"));
  EXPECT_FALSE(runner.Processing());
  EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
  EXPECT_TRUE(test::IsRunning(helperPid));

  ::kill(helperPid, SIGUSR1);  // it ends when told to, and is reaped all the same
  EXPECT_TRUE(test::WaitUntil([this] { return test::IsGone(helperPid); }));
}

}  // namespace
}  // namespace framora
