// ReadOutput's runs against a scripted host: the events and their order, the command line and
// the records handed to the platform, failures, re-entrant calls, cancelling and the program
// ending in the middle of a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "fakes/fake_process_host.h"
#include "runner/event_log.h"
#include "runner/read_output.h"

namespace framora {
namespace {

using test::EventLog;
using test::FakeProcessHost;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RunTest : public ::testing::Test {
 protected:
  FakeProcessHost host;
  EventLog log;
  ReadOutput runner{host, log};
};

// --- A run that ends by itself ---

TEST_F(RunTest, ChunksArriveInOrderThenAnEmptyLastChunkAndComplete) {
  host.reads = {{"hello\r"}, {"\nworld"}};
  runner.SetCommand("dir");
  runner.ProcessCommand();

  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(hello\r)", "GotChunk(\nworld)",
                                      "LastChunk()", "Complete"));
  EXPECT_FALSE(runner.Processing());
  EXPECT_THAT(host.open, IsEmpty());
}

TEST_F(RunTest, ACommandThatPrintsNothingStillGetsTheLastChunkAndComplete) {
  runner.SetCommand("rem");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete"));
}

TEST_F(RunTest, TextHeldBackUntilTheEndArrivesWithTheLastChunk) {
  host.reads = {{"a"}};
  host.finalChunk = "\xEF\xBF\xBD";
  runner.SetCommand("x");
  runner.ProcessCommand();
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(a)", "LastChunk(\xEF\xBF\xBD)", "Complete"));
}

TEST_F(RunTest, WriteEndIsClosedBeforeStartingAndHandlesAreReleasedInOrderAtTheEnd) {
  host.reads = {{"x"}};
  std::vector<std::string> callsAtStarting;
  log.onStarting = [&] { callsAtStarting = host.calls; };
  runner.SetCommand("dir");
  runner.ProcessCommand();

  EXPECT_THAT(callsAtStarting, ElementsAre("CreatePipe", "CreateProcess", "CloseHandle(write)"));
  EXPECT_THAT(
      host.calls,
      ElementsAre("CreatePipe", "CreateProcess", "CloseHandle(write)", "ReadFile(read)",
                  "ReadFile(read)", "WaitForProcess(process,inf)", "GetExitCodeProcess(process)",
                  "CloseHandle(process)", "CloseHandle(thread)", "CloseHandle(read)"));
}

TEST_F(RunTest, YieldsBeforeEveryRead) {
  host.reads = {{"a"}, {"b"}};
  int yieldsBeforeRead = 0;
  std::vector<int> seen;
  host.onYield = [&] {
    ++yieldsBeforeRead;
    return true;
  };
  host.onRead = [&] { seen.push_back(std::exchange(yieldsBeforeRead, 0)); };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(seen, ElementsAre(1, 1, 1));
}

TEST_F(RunTest, RunningFromTheStartOfTheRunUntilItsHandlesAreClosed) {
  host.reads = {{"a"}};
  std::vector<bool> processing;
  const auto note = [&] { processing.push_back(runner.Processing()); };
  log.onStarting = note;
  log.onGotChunk = [&](const std::string&, bool) { note(); };
  log.onComplete = note;
  host.onYield = [&] {
    note();
    return true;
  };
  runner.SetCommand("dir");
  EXPECT_FALSE(runner.Processing());
  runner.ProcessCommand();
  EXPECT_THAT(processing, ElementsAre(true, true, true, true, true, true));
  EXPECT_FALSE(runner.Processing());
}

// --- The command line and the records ---

// cmd.exe runs the command alone: no AutoRun commands first, no delayed expansion of its '!'.
TEST_F(RunTest, CommandGoesUnchangedBetweenTwoAddedQuotesAfterComSpecAndItsSwitches) {
  runner.SetCommand(R"(ffmpeg -i "C:\my music\a.wav" "out.avi")");
  runner.ProcessCommand();
  EXPECT_EQ(host.started.interpreter, "C:\\WINDOWS\\system32\\cmd.exe");
  EXPECT_EQ(host.started.command, R"(ffmpeg -i "C:\my music\a.wav" "out.avi")");
  EXPECT_EQ(
      host.started.Text(),
      R"(C:\WINDOWS\system32\cmd.exe /D /V:OFF /c "ffmpeg -i "C:\my music\a.wav" "out.avi"")");
}

TEST_F(RunTest, WithoutComSpecTheLineStartsWithTheSwitchesAndNoInterpreterIsPutIn) {
  host.comSpec = "";
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_EQ(host.started.interpreter, "");
  EXPECT_EQ(host.started.Text(), R"( /D /V:OFF /c "dir")");
  EXPECT_EQ(log.events.front(), "Starting");
}

TEST_F(RunTest, OnlyThePipeIsInheritableAndTheHiddenWindowHasThePipeAsOutput) {
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_EQ(host.pipeAttributes.nLength, 12u);
  EXPECT_EQ(host.pipeAttributes.bInheritHandle, -1);
  EXPECT_EQ(host.pipeSize, 0u);
  EXPECT_EQ(host.processAttributes.nLength, 12u);
  EXPECT_EQ(host.processAttributes.bInheritHandle, 0);
  EXPECT_EQ(host.startup.cb, 68u);
  EXPECT_EQ(host.startup.dwFlags, 257u);
  EXPECT_EQ(host.startup.wShowWindow, 0);
  EXPECT_EQ(host.startup.hStdOutput, FakeProcessHost::kWriteEnd);
  EXPECT_EQ(host.startup.hStdError, FakeProcessHost::kWriteEnd);
  EXPECT_EQ(host.startup.hStdInput, kNoHandle);
}

// --- Validation ---

TEST_F(RunTest, EmptyCommandIsRefusedWith1200AndNothingElseHappens) {
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Error(Invalid Command.,1200)"));
  EXPECT_THAT(host.calls, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

TEST_F(RunTest, BlanksAreACommandAndRun) {
  runner.SetCommand("   ");
  runner.ProcessCommand();
  EXPECT_EQ(host.started.command, "   ");
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete"));
}

TEST_F(RunTest, AValueWrittenIntoLastDllErrorChangesNothing) {
  log.onError = [](const std::string&, std::int32_t& code) { code = 0; };
  runner.ProcessCommand();
  runner.CancelProcess();
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Error(Invalid Command.,1200)",
                                      "Error(Not currently processing a command!,1202)",
                                      "Error(Invalid Command.,1200)"));
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_EQ(log.events.back(), "Complete");
}

// --- Platform failures ---

TEST_F(RunTest, FailedPipeReportsItsErrorCodeWhenAlreadyIdle) {
  host.pipeError = 24;
  bool processingInHandler = true;
  log.onError = [&](const std::string&, std::int32_t&) {
    processingInHandler = runner.Processing();
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Error(CreatePipe failed.,24)"));
  EXPECT_FALSE(processingInHandler);
  EXPECT_THAT(host.calls, ElementsAre("CreatePipe"));
}

TEST_F(RunTest, FailedProcessClosesBothPipeEndsBeforeReportingItsErrorCode) {
  host.processError = 2;
  std::vector<std::string> callsAtError;
  log.onError = [&](const std::string&, std::int32_t&) { callsAtError = host.calls; };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Error(CreateProcess failed.,2)"));
  EXPECT_THAT(callsAtError, ElementsAre("CreatePipe", "CreateProcess", "CloseHandle(read)",
                                        "CloseHandle(write)"));
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

TEST_F(RunTest, ARunStartedFromAFailureHandlerRunsInsideIt) {
  host.processError = 5;
  host.reads = {{"second"}};
  log.onError = [&](const std::string& error, std::int32_t&) {
    if (error != "CreateProcess failed.") return;
    host.processError = 0;
    runner.ProcessCommand();
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Error(CreateProcess failed.,5)", "Starting",
                                      "GotChunk(second)", "LastChunk()", "Complete"));
  EXPECT_FALSE(runner.Processing());
  EXPECT_THAT(host.open, IsEmpty());
}

TEST_F(RunTest, AThrowingHandlerStillLeavesTheRunnerIdleWithEveryHandleClosed) {
  host.reads = {{"boom"}};
  log.onGotChunk = [](const std::string&, bool) { throw std::runtime_error("handler"); };
  runner.SetCommand("dir");
  EXPECT_THROW(runner.ProcessCommand(), std::runtime_error);
  EXPECT_FALSE(runner.Processing());
  EXPECT_THAT(host.open, IsEmpty());
}

// --- Calls made while a run is going on ---

TEST_F(RunTest, ProcessCommandFromAChunkHandlerIsRefusedAndTheRunGoesOn) {
  host.reads = {{"a"}, {"b"}};
  log.onGotChunk = [&](const std::string& chunk, bool) {
    if (chunk == "a") runner.ProcessCommand();
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(a)", "Error(Currently processing a command!,1201)",
                          "GotChunk(b)", "LastChunk()", "Complete"));
  EXPECT_THAT(host.calls, ::testing::Contains("CreateProcess").Times(1));
}

TEST_F(RunTest, ProcessCommandWhileTheHostHandlesMessagesIsRefusedAndTheRunGoesOn) {
  host.reads = {{"a"}};
  host.onYield = [&] {
    if (host.yields == 1) runner.ProcessCommand();
    return true;
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "Error(Currently processing a command!,1201)",
                                      "GotChunk(a)", "LastChunk()", "Complete"));
}

TEST_F(RunTest, SetCommandDuringARunKeepsTheRunningCommandAndIsUsedNextTime) {
  host.reads = {{"a"}};
  std::string readBack;
  log.onGotChunk = [&](const std::string&, bool last) {
    if (last) return;
    runner.SetCommand("second");
    readBack = runner.SetCommand();
  };
  runner.SetCommand("first");
  runner.ProcessCommand();
  EXPECT_EQ(readBack, "second");
  EXPECT_EQ(host.started.command, "first");
  runner.ProcessCommand();
  EXPECT_EQ(host.started.command, "second");
}

TEST_F(RunTest, SetCommandReadsBackEmptyUntilSet) {
  EXPECT_EQ(runner.SetCommand(), "");
  runner.SetCommand("dir /s");
  EXPECT_EQ(runner.SetCommand(), "dir /s");
}

// --- Cancelling ---

TEST_F(RunTest, CancelWhileIdleIsAnError1202) {
  runner.CancelProcess();
  EXPECT_THAT(log.events, ElementsAre("Error(Not currently processing a command!,1202)"));
}

TEST_F(RunTest, CancelInsideStartingIsDroppedAndTheRunEndsByItself) {
  host.reads = {{"a"}};
  host.GiveProcessAWindow();
  log.onStarting = [&] { runner.CancelProcess(); };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", "LastChunk()", "Complete"));
  EXPECT_THAT(host.posted, IsEmpty());
}

TEST_F(RunTest, CancelBetweenReadsClosesTheProcessWithoutTheLastChunk) {
  host.reads = {{"a"}, {"b"}, {"c"}};
  host.GiveProcessAWindow();
  log.onGotChunk = [&](const std::string& chunk, bool) {
    if (chunk == "b") runner.CancelProcess();
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", "GotChunk(b)", "Canceled"));
  ASSERT_EQ(host.posted.size(), 1u);
  EXPECT_EQ(host.posted[0].uMsg, kWmClose);
  EXPECT_EQ(host.calls.back(), "CloseHandle(read)");
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

TEST_F(RunTest, CancelInTheLastChunkOrCompleteIsActedOnAfterComplete) {
  host.GiveProcessAWindow();
  log.onGotChunk = [&](const std::string&, bool last) {
    if (last) runner.CancelProcess();
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete", "Canceled"));

  log.events.clear();
  log.onGotChunk = nullptr;
  log.onComplete = [&] { runner.CancelProcess(); };
  host.windows.clear();
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete",
                                      "Error(Cannot close process id: 4242,1203)"));
}

TEST_F(RunTest, CloseFailureIsError1203WhileRunningAndTheRunStillCleansUp) {
  host.reads = {{"a"}};
  host.processId = -17;
  log.onGotChunk = [&](const std::string&, bool) { runner.CancelProcess(); };
  bool processingInHandler = false;
  log.onError = [&](const std::string& error, std::int32_t&) {
    if (error.rfind("Cannot close", 0) != 0) return;
    processingInHandler = runner.Processing();
    runner.ProcessCommand();  // refused: still running
    runner.CancelProcess();   // accepted, then cleared by the clean-up
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events,
              ElementsAre("Starting", "GotChunk(a)", "Error(Cannot close process id: -17,1203)",
                          "Error(Currently processing a command!,1201)"));
  EXPECT_TRUE(processingInHandler);
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_FALSE(runner.Processing());

  // The cancel made in the handler does not leak into the next run.
  log.events.clear();
  log.onGotChunk = nullptr;
  log.onError = nullptr;
  host.reads = {{"b"}};
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(b)", "LastChunk()", "Complete"));
}

TEST_F(RunTest, CancelInTheCanceledHandlerIsClearedByTheCleanUp) {
  host.reads = {{"a"}};
  host.GiveProcessAWindow();
  log.onGotChunk = [&](const std::string& chunk, bool) {
    if (chunk == "a") runner.CancelProcess();
  };
  log.onCanceled = [&] { runner.CancelProcess(); };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", "Canceled"));

  log.events.clear();
  log.onGotChunk = nullptr;
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete"));
}

TEST_F(RunTest, CancelDuringAWaitEndsTheWaitWithoutAChunkAndGoesStraightToTheCancelCheck) {
  host.reads = {{"first"}, {"never", 100}};
  host.GiveProcessAWindow();
  int yieldsAtCancel = 0;
  host.onYield = [&] {
    if (host.yields == 3) {  // the run loop's second yield was 2; this one is inside the wait
      runner.CancelProcess();
      yieldsAtCancel = host.yields;
    }
    return true;
  };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(first)", "Canceled"));
  EXPECT_EQ(host.yields, yieldsAtCancel);
  EXPECT_EQ(host.reads.size(), 1u);  // the interrupted read delivered nothing
}

TEST_F(RunTest, AWaitWithoutCancelGoesOnUntilOutputArrives) {
  host.reads = {{"late", 5}};
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(late)", "LastChunk()", "Complete"));
  EXPECT_EQ(host.yields, 1 + 5 + 1);
}

// --- The command's exit status ---

TEST_F(RunTest, TheExitStatusOfARunThatEndsByItselfIsKnownWhenCompleteIsRaised) {
  EXPECT_EQ(runner.ExitCode(), std::nullopt) << "nothing has run yet";
  runner.SetCommand("x");
  std::optional<std::int32_t> atStart;
  std::optional<std::int32_t> inComplete;
  log.onStarting = [&] { atStart = runner.ExitCode(); };
  log.onComplete = [&] { inComplete = runner.ExitCode(); };
  // Windows gives a DWORD; a crash's status reads as the negative number it is.
  for (std::uint32_t code : {0u, 1u, 3u, 255u, 9009u, 0xC0000005u}) {
    host.exitCode = code;
    atStart = 0;
    inComplete.reset();
    runner.ProcessCommand();
    EXPECT_EQ(atStart, std::nullopt) << "a new run starts without the last one's status";
    EXPECT_EQ(inComplete, static_cast<std::int32_t>(code));
    EXPECT_EQ(runner.ExitCode(), static_cast<std::int32_t>(code));
  }
  EXPECT_EQ(runner.ExitCode(), -1073741819);

  host.exitCodeKnown = false;
  runner.ProcessCommand();
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
}

TEST_F(RunTest, RefusedAndCancelledRunsLeaveTheExitStatusUnknown) {
  host.exitCode = 3;
  runner.SetCommand("x");
  runner.ProcessCommand();
  ASSERT_EQ(runner.ExitCode(), 3);
  runner.SetCommand("");
  runner.ProcessCommand();  // refused: 1200
  EXPECT_EQ(runner.ExitCode(), std::nullopt);

  runner.SetCommand("x");
  runner.ProcessCommand();
  ASSERT_EQ(runner.ExitCode(), 3);
  host.processError = 2;
  runner.ProcessCommand();  // CreateProcess failed.
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
  host.processError = 0;

  host.GiveProcessAWindow();
  log.onComplete = [&] { runner.CancelProcess(); };
  runner.ProcessCommand();
  EXPECT_EQ(log.events.back(), "Canceled");
  EXPECT_EQ(runner.ExitCode(), std::nullopt) << "a cancel after Complete makes it unknown too";
}

TEST_F(RunTest, AfterTheOutputTheRunWaitsForTheCommandToEndAndKeepsTheWindowsAlive) {
  host.reads = {{"a"}};
  host.exitWaitSlices = 4;
  host.exitCode = 4;
  int yieldsAtLastChunk = 0;
  log.onGotChunk = [&](const std::string&, bool last) {
    if (last) yieldsAtLastChunk = host.yields;
  };
  runner.SetCommand("x");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)", "LastChunk()", "Complete"));
  EXPECT_EQ(host.yields - yieldsAtLastChunk, 4) << "one yield for every slice of the wait";
  EXPECT_EQ(runner.ExitCode(), 4);
}

TEST_F(RunTest, ACancelWhileWaitingForTheCommandCancelsTheRunWithoutComplete) {
  host.GiveProcessAWindow();
  host.exitWaitSlices = 100;
  bool outputEnded = false;
  log.onGotChunk = [&](const std::string&, bool last) { outputEnded = last; };
  host.onYield = [&] {
    if (outputEnded) runner.CancelProcess();
    return true;
  };
  runner.SetCommand("x");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Canceled"));
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
  EXPECT_EQ(host.posted.size(), 1u);
  EXPECT_THAT(host.open, IsEmpty());
}

TEST_F(RunTest, ACancelInTheLastChunkHandlerDoesNotWaitForTheCommand) {
  host.GiveProcessAWindow();
  host.exitWaitSlices = 100;
  log.onGotChunk = [&](const std::string&, bool last) {
    if (last) runner.CancelProcess();
  };
  runner.SetCommand("x");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()", "Complete", "Canceled"));
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "WaitForProcess(process,inf)"), 0);
  EXPECT_EQ(runner.ExitCode(), std::nullopt);
}

// --- The program ending during a run ---

TEST_F(RunTest, ProgramEndingWhileWaitingForTheCommandAbandonsTheRun) {
  host.GiveProcessAWindow();
  host.exitWaitSlices = 100;
  bool outputEnded = false;
  log.onGotChunk = [&](const std::string&, bool last) { outputEnded = last; };
  host.onYield = [&] { return !outputEnded; };
  runner.SetCommand("x");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "LastChunk()"));
  EXPECT_THAT(host.posted, IsEmpty());
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_TRUE(host.running) << "left alone";
  // ... and let go before its handle goes, so that it outlives the program.
  const auto let = std::find(host.calls.begin(), host.calls.end(), "LetOutliveProgram(process)");
  EXPECT_LT(let, std::find(host.calls.begin(), host.calls.end(), "CloseHandle(process)"));
}

TEST_F(RunTest, ProgramEndingAtAYieldAbandonsTheRunWithoutEventsOrSignals) {
  host.reads = {{"a"}, {"b"}};
  host.GiveProcessAWindow();
  host.onYield = [&] { return host.yields < 2; };
  log.onGotChunk = [&](const std::string&, bool) { runner.CancelProcess(); };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting", "GotChunk(a)"));
  EXPECT_THAT(host.posted, IsEmpty());
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "GetVersionEx"), 0);
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

TEST_F(RunTest, ProgramEndingWhileWaitingForOutputAbandonsTheRunToo) {
  host.reads = {{"a", 10}};
  host.GiveProcessAWindow();
  host.onYield = [&] { return host.yields < 4; };
  runner.SetCommand("dir");
  runner.ProcessCommand();
  EXPECT_THAT(log.events, ElementsAre("Starting"));
  EXPECT_EQ(host.yields, 4);
  EXPECT_THAT(host.posted, IsEmpty());
  EXPECT_THAT(host.open, IsEmpty());
  EXPECT_FALSE(runner.Processing());
}

}  // namespace
}  // namespace framora
