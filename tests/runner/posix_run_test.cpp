// Whole runs with real processes on the POSIX host: what the command gets (interpreter,
// command text, standard handles, session) and what comes back (chunks, their text, the end).
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <csignal>

#include <fstream>

#include "app/text.h"
#include "runner/event_log.h"
#include "runner/posix_test_support.h"
#include "runner/read_output.h"
#include "support/temp_env.h"

namespace framora {
namespace {

using test::EventLog;
using test::FakeYield;
using test::Helper;
using test::ShellQuote;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PosixRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::AdoptOrphans(); }

  void Run(const std::string& command) {
    runner.SetCommand(command);
    runner.ProcessCommand();
  }

  // Text of every chunk before the last one.
  std::string Output() const {
    std::string text;
    for (std::size_t i = 0; i + 1 < log.chunks.size(); ++i) text += log.chunks[i];
    return text;
  }

  // The run ended by itself: Starting first, the last chunk then Complete at the end.
  void ExpectNaturalEnd() const {
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(log.events.front(), "Starting");
    EXPECT_EQ(log.events[log.events.size() - 2].rfind("LastChunk(", 0), 0u);
    EXPECT_EQ(log.events.back(), "Complete");
    for (std::size_t i = 1; i + 2 < log.events.size(); ++i) {
      EXPECT_EQ(log.events[i].rfind("GotChunk(", 0), 0u) << log.events[i];
    }
  }

  // A `parts` helper writes its next part when told; tell it after each chunk until done.
  void ReleasePartsOnEachChunk(int parts) {
    log.onGotChunk = [this, parts](const std::string&, bool last) mutable {
      const pid_t pid = test::PidAfter(log.Text(), "pid");
      if (!last && pid > 0 && parts-- > 0) ::kill(pid, SIGUSR1);
    };
  }

  FakeYield yield;
  posix::PosixProcessHost host{yield};
  EventLog log;
  ReadOutput runner{host, log};
};

// --- Runs that end by themselves ---

TEST_F(PosixRunTest, ShortOutputThenAnEmptyLastChunkAndComplete) {
  Run("echo hello");
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(hello\n)", "LastChunk()", "Complete"));
  EXPECT_FALSE(runner.Processing());
}

TEST_F(PosixRunTest, ACommandThatPrintsNothing) {
  Run(Helper("bytes 0"));
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete"));
}

TEST_F(PosixRunTest, BlanksOnlyIsRunByTheInterpreter) {
  Run("   ");
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete"));
}

TEST_F(PosixRunTest, LongOutputComesInSeveralChunksOfAtMost256BytesAndNothingIsLost) {
  constexpr std::size_t kSize = 100000;
  Run(Helper("bytes " + std::to_string(kSize)));
  ExpectNaturalEnd();

  std::string expected;
  for (std::size_t i = 0; i < kSize; ++i) {
    expected += i % 64 == 63 ? '\n' : static_cast<char>('A' + i % 26);
  }
  EXPECT_EQ(Output(), expected);
  EXPECT_GE(log.chunks.size(), kSize / 256 + 1);
  for (const std::string& chunk : log.chunks) ASSERT_LE(chunk.size(), 256u);
}

TEST_F(PosixRunTest, CarriageReturnAndLineFeedSplitBetweenTwoChunks) {
  ReleasePartsOnEachChunk(2);
  Run(Helper(R"(parts 'one\x0d' '\x0atwo\x0d\x0a')"));
  ExpectNaturalEnd();
  ASSERT_EQ(log.chunks.size(), 4u);
  EXPECT_EQ(log.chunks[1], "one\r");
  EXPECT_EQ(log.chunks[2], "\ntwo\r\n");
}

TEST_F(PosixRunTest, StandardErrorArrivesInTheSameStreamInTheOrderWritten) {
  Run(Helper("alternate 'out 1, ' 'err 1, ' 'out 2, ' 'err 2, ' 'out 3' ' err 3\\x0a'"));
  ExpectNaturalEnd();
  EXPECT_EQ(Output(), "out 1, err 1, out 2, err 2, out 3 err 3\n");
}

TEST_F(PosixRunTest, RunsOneAfterAnotherOnTheSameInstance) {
  Run("echo one");
  Run("echo two");
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(one\n)", "LastChunk()", "Complete",
                                      "Starting", "GotChunk(two\n)", "LastChunk()", "Complete"));
}

// --- Text ---

TEST_F(PosixRunTest, ACharacterSplitByAReadArrivesWholeInTheNextChunk) {
  ReleasePartsOnEachChunk(4);
  // é cut after its first byte, € after its second, then an emoji cut after its first.
  Run(Helper(R"(parts '\xc3' '\xa9t\xe2\x82' '\xac\xf0' '\x9f\x98\x80.')"));
  ExpectNaturalEnd();
  ASSERT_EQ(log.chunks.size(), 6u);
  EXPECT_EQ(log.chunks[1], "");  // a read that brought half a character
  EXPECT_EQ(log.chunks[2], "\xC3\xA9t");
  EXPECT_EQ(log.chunks[3], "\xE2\x82\xAC");
  EXPECT_EQ(log.chunks[4], "\xF0\x9F\x98\x80.");
  EXPECT_EQ(log.chunks[5], "");
}

TEST_F(PosixRunTest, LotsOfMultiByteTextComesThroughIntactInChunksOfAtMost256Characters) {
  const std::string unit = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\n";
  Run(Helper(R"(repeat 3000 'a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\x0a')"));
  ExpectNaturalEnd();
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += unit;
  EXPECT_EQ(Output(), expected);
  for (const std::string& chunk : log.chunks) ASSERT_LE(Utf8Length(chunk), 256u);
}

TEST_F(PosixRunTest, InvalidBytesBecomeReplacementCharactersAndAnUnfinishedEndComesLast) {
  Run(Helper(R"(alternate '\xffok ' 'ab\xe2\x82')"));
  ExpectNaturalEnd();
  EXPECT_EQ(log.Text(), "\xEF\xBF\xBDok ab\xEF\xBF\xBD");
  EXPECT_EQ(log.chunks.back(), "\xEF\xBF\xBD");
}

// --- What the command gets ---

TEST_F(PosixRunTest, WithoutComSpecTheCommandGoesToBinShAsDashC) {
  test::ScopedEnv comSpec("ComSpec", nullptr);
  Run("echo \"$0\" \"$#\"");
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(/bin/sh 0\n)", "LastChunk()", "Complete"));
}

TEST_F(PosixRunTest, ComSpecNamesTheInterpreterAndGetsTheCommandWithItsQuotesUntouched) {
  test::ScopedEnv comSpec("ComSpec", test::kHelper.c_str());
  const std::string command = R"(say "hello world" 'single' \"x\" "")";
  Run(command);
  ExpectNaturalEnd();
  EXPECT_EQ(Output(), "argc=3 command=" + command + "\n");
}

TEST_F(PosixRunTest, AnEmptyComSpecCannotBeStarted) {
  test::ScopedEnv comSpec("ComSpec", "");
  const int descriptors = test::OpenDescriptorCount();
  Run("echo never");
  EXPECT_THAT(log.events, ElementsAre("Error(CreateProcess failed.,2)"));
  EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
  EXPECT_FALSE(runner.Processing());
}

TEST_F(PosixRunTest, AnInterpreterThatCannotBeStartedIsReportedWithItsErrorNumber) {
  {
    test::ScopedEnv comSpec("ComSpec", "/nonexistent/framora/shell");
    Run("echo never");
  }
  const std::string notExecutable = test::MakeTempDir("shell") + "/plain-file";
  std::ofstream(notExecutable) << "not a program\n";
  {
    test::ScopedEnv comSpec("ComSpec", notExecutable.c_str());
    Run("echo never");
  }
  EXPECT_THAT(log.events,
              ElementsAre("Error(CreateProcess failed.,2)", "Error(CreateProcess failed.,13)"));
}

TEST_F(PosixRunTest, StandardInputIsAtItsEndAtOnce) {
  Run(Helper("read-stdin"));
  EXPECT_EQ(Output(), "stdin: 0 bytes, then end of file\n");
}

TEST_F(PosixRunTest, TheChildLeadsAGroupOfItsOwnInOurSessionWithoutATerminal) {
  Run(Helper("ids"));
  const std::string pid = std::to_string(test::PidAfter(Output(), "pid"));
  const std::string ours = std::to_string(::getsid(0));
  EXPECT_EQ(Output(), "pid " + pid + " group " + pid + " session " + ours + " terminal no\n");
}

TEST_F(PosixRunTest, TheChildGetsOnlyItsThreeStandardHandles) {
  // Something of ours that is not close-on-exec must still not reach the child.
  const int inheritable = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(inheritable, 0);
  Run(Helper("fds"));
  ::close(inheritable);
  EXPECT_EQ(Output(), "fds 0 1 2\n");
}

// --- Output that outlives its process ---

TEST_F(PosixRunTest, TheRunEndsOnlyWhenTheLastWriterHasClosed) {
  Run(Helper("hold-pipe"));
  ExpectNaturalEnd();
  const pid_t parent = test::PidAfter(Output(), "parent");
  const pid_t grandchild = test::PidAfter(Output(), "grandchild");
  EXPECT_EQ(Output(), "parent " + std::to_string(parent) + "\ngrandchild " +
                          std::to_string(grandchild) + " after parent\n");
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(test::ReapOrphan(grandchild));
  EXPECT_EQ(runner.ExitCode(), 0) << "the shell's status";
}

// --- The exit status ---

TEST_F(PosixRunTest, TheExitStatusIsTheShellsAndASignalFromOutsideCountsAs128Plus) {
  const struct {
    std::string command;
    std::int32_t status;
  } cases[] = {
      {"true", 0},
      {"false", 1},
      {"exit 3", 3},
      {"exit 255", 255},
      {"framora-no-such-program --version", 127},
      {"kill -KILL $$", 128 + SIGKILL},
      {Helper("bytes 3"), 0},
  };
  for (const auto& c : cases) {
    log.events.clear();
    Run(c.command);
    ExpectNaturalEnd();
    EXPECT_EQ(runner.ExitCode(), c.status) << c.command;
  }
}

}  // namespace
}  // namespace framora
