// What runs leave behind on the POSIX host: descriptors, children, and what happens when the
// process runs out of descriptors.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <set>

#include "runner/event_log.h"
#include "runner/posix_test_support.h"
#include "runner/read_output.h"

namespace framora {
namespace {

using test::EventLog;
using test::FakeYield;
using test::Helper;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::set<int> OpenDescriptors() {
  std::set<int> fds;
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return fds;
  while (const dirent* item = ::readdir(dir)) {
    if (item->d_name[0] != '.' && std::atoi(item->d_name) != ::dirfd(dir)) {
      fds.insert(std::atoi(item->d_name));
    }
  }
  ::closedir(dir);
  return fds;
}

class PosixResourcesTest : public ::testing::Test {
 protected:
  void Run(const std::string& command) {
    runner.SetCommand(command);
    runner.ProcessCommand();
  }

  FakeYield yield;
  posix::PosixProcessHost real{yield};
  test::RecordingHost host{real};
  EventLog log;
  ReadOutput runner{host, log};
};

TEST_F(PosixResourcesTest, AThousandRunsLeaveNoDescriptorAndNoZombieBehind) {
  Run("echo warm-up");  // whatever the libraries open once and keep
  const int before = test::OpenDescriptorCount();

  int completed = 0;
  log.onComplete = [&] { ++completed; };
  for (int i = 0; i < 1000; ++i) Run(i % 2 == 0 ? "echo run" : "exit 3");

  EXPECT_EQ(completed, 1000);
  EXPECT_EQ(test::OpenDescriptorCount(), before);
  EXPECT_TRUE(test::WaitUntil([] { return test::OurZombies().empty(); }))
      << test::OurZombies().size() << " zombies";
}

TEST_F(PosixResourcesTest, AGuardThatDiesIsReplacedInTheGroupAndTheRunLeavesNothingBehind) {
  Run("echo warm-up");
  const int before = test::OpenDescriptorCount();
  pid_t killed = 0;
  pid_t replacement = 0;
  yield.onYield = [&] {
    const pid_t pid = test::PidAfter(log.Text(), "pid");
    if (pid <= 0 || killed != 0) return true;
    // The helper's group holds it and its guard.
    if ((killed = test::OtherMember(pid, pid)) > 0) ::kill(killed, SIGKILL);
    test::WaitUntil(
        [&] { return (replacement = test::OtherMember(pid, pid)) > 0 && replacement != killed; });
    ::kill(pid, SIGUSR1);
    return true;
  };
  Run(Helper("wait"));
  EXPECT_TRUE(killed > 0 && replacement > 0 && replacement != killed) << killed << replacement;
  EXPECT_TRUE(test::WaitUntil([&] { return test::IsGone(replacement); })) << "let go and reaped";
  EXPECT_EQ(test::OpenDescriptorCount(), before);
  EXPECT_TRUE(test::WaitUntil([] { return test::OurZombies().empty(); }));
}

TEST_F(PosixResourcesTest, EveryDescriptorWeHoldDuringARunIsCloseOnExec) {
  const std::set<int> before = OpenDescriptors();
  std::set<int> notCloseOnExec;
  std::set<int> duringRun;
  yield.onYield = [&] {
    for (int fd : OpenDescriptors()) {
      if (before.count(fd) != 0) continue;
      duringRun.insert(fd);
      const int flags = ::fcntl(fd, F_GETFD);
      if (flags >= 0 && (flags & FD_CLOEXEC) == 0) notCloseOnExec.insert(fd);
    }
    return true;
  };
  Run("echo a");
  EXPECT_FALSE(duringRun.empty());  // the read end, at least
  EXPECT_THAT(notCloseOnExec, IsEmpty());
}

TEST_F(PosixResourcesTest, AChildThatEndsLongAfterItsOutputIsWaitedForAndReaped) {
  // Once its output has ended, the windows keep working while the run waits for the child.
  pid_t pid = 0;
  int yieldsAfterOutput = 0;
  yield.onYield = [&] {
    if (log.events.empty() || log.events.back() != "LastChunk()") return true;
    if (++yieldsAfterOutput == 3) ::kill(pid = test::PidAfter(log.Text(), "pid"), SIGUSR1);
    return true;
  };
  Run(Helper("wait close-output"));
  EXPECT_GE(yieldsAfterOutput, 3);
  EXPECT_THAT(log.events, ElementsAre("Starting", ::testing::StartsWith("GotChunk(pid "),
                                      "LastChunk()", "Complete"));
  EXPECT_EQ(runner.ExitCode(), 4);
  ASSERT_EQ(pid, host.lastProcessId);
  EXPECT_TRUE(test::IsGone(pid)) << "reaped, not left a zombie";
}

TEST_F(PosixResourcesTest, ChildrenStillRunningWhenTheHostGoesAreReapedAllTheSame) {
  pid_t pid = 0;
  {
    FakeYield otherYield;
    posix::PosixProcessHost otherHost(otherYield);
    EventLog otherLog;
    ReadOutput other(otherHost, otherLog);
    // The program ends while the run waits for the child to end.
    otherYield.onYield = [&] {
      return otherLog.events.empty() || otherLog.events.back() != "LastChunk()";
    };
    other.SetCommand(Helper("wait close-output"));
    other.ProcessCommand();
    pid = test::PidAfter(otherLog.Text(), "pid");
  }
  ASSERT_TRUE(test::IsRunning(pid));
  ::kill(pid, SIGUSR1);
  EXPECT_TRUE(test::WaitUntil([pid] { return test::IsGone(pid); }));
}

TEST_F(PosixResourcesTest, NoDescriptorLeftForThePipeIsReportedAsCreatePipeFailed) {
  // The lowest free descriptor becomes the limit, so no new one can be had.
  const int lowestFree = ::fcntl(0, F_DUPFD_CLOEXEC, 0);
  ASSERT_GE(lowestFree, 0);
  ::close(lowestFree);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  runner.SetCommand("echo never");
  runner.ProcessCommand();
  ::setrlimit(RLIMIT_NOFILE, &saved);

  EXPECT_THAT(log.events, ElementsAre("Error(CreatePipe failed.,24)"));  // EMFILE
  EXPECT_FALSE(runner.Processing());
}

}  // namespace
}  // namespace framora
