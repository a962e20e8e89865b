// CloseProcess on real processes: a close request to the top-level windows of a process on the
// NT family, a notice and termination on the Windows 9x family, nothing for a process without
// a window; and a cancelled run.
#include <gtest/gtest.h>

#include <chrono>

#include "console/console_fixture.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_process_host.h"
#include "platform/win32/win32_text.h"
#include "runner/event_log.h"
#include "runner/read_output.h"
#include "win32_test_support.h"
#include "win32_ui/win32_yield.h"

namespace framora::win32 {
namespace {

// The helper, started by the test itself; reads its "ready <pid>" line before going on.
class Helper {
 public:
  explicit Helper(const std::string& mode) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return;
    output_.reset(readEnd);
    KernelHandle childEnd(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    std::string line = "\"" + test::HelperPath() + "\" " + mode;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                          &pi)) {
      return;
    }
    process_.reset(pi.hProcess);
    KernelHandle(pi.hThread).reset();
    childEnd.reset();
    // "ready <pid>\n": the window exists (or the sleep has begun) once it is written.
    std::string text;
    char c = 0;
    DWORD read = 0;
    while (::ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1 && c != '\n') text += c;
    ready_ = text.rfind("ready ", 0) == 0;
    id_ = static_cast<std::int32_t>(pi.dwProcessId);
  }
  ~Helper() {
    if (process_ && Running()) ::TerminateProcess(process_.get(), 99);
  }

  bool Ready() const { return ready_; }
  std::int32_t Id() const { return id_; }
  bool Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // Waits for the process to end (bounded only against a hang) and gives its exit code.
  DWORD ExitCode() const {
    if (::WaitForSingleObject(process_.get(), 60000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  KernelHandle process_;
  KernelHandle output_;
  std::int32_t id_ = 0;
  bool ready_ = false;
};

// The real host, but reporting the Windows 98 version record.
class Windows98Host : public Win32ProcessHost {
 public:
  using Win32ProcessHost::Win32ProcessHost;
  void GetVersionEx(OsVersionInfo& info) override {
    Win32ProcessHost::GetVersionEx(info);
    info.dwMajorVersion = 4;
    info.dwMinorVersion = 10;
    info.dwPlatformId = kVerPlatformWin32Windows;
  }
};

class CloseTest : public ::testing::Test {
 protected:
  Win32Yield yield;
  test::EventLog log;
  BackgroundStops stops;
};

TEST_F(CloseTest, TheVersionRecordIsReadWithBlanksAndSaysNtFamily) {
  Win32ProcessHost host{yield};
  OsVersionInfo info;
  info.dwOSVersionInfoSize = 148;
  info.szCSDVersion.assign(128, ' ');
  host.GetVersionEx(info);
  EXPECT_EQ(info.dwPlatformId, kVerPlatformWin32Nt);
  EXPECT_GE(info.dwMajorVersion, 5);
  EXPECT_LT(info.szCSDVersion.size(), 128u) << "the system wrote its own service pack text";
}

TEST_F(CloseTest, OnTheNtFamilyAProcessWithAWindowIsAskedToClose) {
  Helper helper("window");
  ASSERT_TRUE(helper.Ready());
  Win32ProcessHost host{yield};
  ReadOutput runner{host, log};
  EXPECT_TRUE(runner.CloseProcess(helper.Id(), 0));
  EXPECT_EQ(helper.ExitCode(), 7u) << "it closed its own window and ended by itself";
}

TEST_F(CloseTest, AProcessWithoutATopLevelWindowIsNotReachedOnEitherFamily) {
  Helper helper("sleep");
  ASSERT_TRUE(helper.Ready());
  Win32ProcessHost host{yield};
  ReadOutput runner{host, log};
  EXPECT_FALSE(runner.CloseProcess(helper.Id(), 0));
  Windows98Host host98{yield};
  ReadOutput runner98{host98, log};
  EXPECT_FALSE(runner98.CloseProcess(helper.Id(), 0));
  EXPECT_TRUE(helper.Running()) << "nothing terminated it";
  EXPECT_TRUE(log.events.empty());
}

TEST_F(CloseTest, OnTheWindows9xFamilyTheProcessIsNotifiedThenTerminated) {
  Helper helper("window");
  ASSERT_TRUE(helper.Ready());
  Windows98Host host{yield};
  ReadOutput runner{host, log};
  EXPECT_TRUE(runner.CloseProcess(helper.Id(), 42));
  EXPECT_EQ(helper.ExitCode(), 42u) << "terminated with the exit code given";
}

TEST_F(CloseTest, ACancelledRunClosesTheCommandsWindowAndReportsCanceled) {
  // The helper is the interpreter, so the run's process is the one with the window.
  test::ScopedEnv comSpec("ComSpec", test::HelperPath().c_str());
  Win32ProcessHost host{yield};
  ReadOutput runner{host, log};
  std::int32_t helperId = 0;
  log.onGotChunk = [&](const std::string& chunk, bool) {
    if (const auto at = chunk.find("ready "); at != std::string::npos) {
      helperId = std::stoi(chunk.substr(at + 6));
      runner.CancelProcess();
    }
  };
  runner.SetCommand("window");
  runner.ProcessCommand();
  ASSERT_NE(helperId, 0);
  EXPECT_EQ(log.events.back(), "Canceled");
  EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Complete"), 0);
  EXPECT_FALSE(runner.Processing());
  // The close request reached it: it ends by itself with its own exit code.
  KernelHandle process(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(helperId)));
  if (process) {
    ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 7u);
  }
}

// --- Closing the console during a run ---

bool Ended(DWORD id) {
  KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
  return !process || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

TEST_F(CloseTest, ClosingTheConsoleDuringARunEndsCmdAndTheCommandItStarted) {
  char system[MAX_PATH];
  ::GetSystemDirectoryA(system, MAX_PATH);
  test::ScopedEnv comSpec("ComSpec", (std::string(system) + "\\cmd.exe").c_str());
  console::test::FakeConsoleWindow window;
  console::test::FocusCheckingView controls(window);
  framora::test::FakeMessageBox messages;
  // The user closes the window once the command (cmd.exe's child) runs.
  struct ClosingHost : Win32ProcessHost {
    using Win32ProcessHost::Win32ProcessHost;
    bool CreateProcess(const CommandLine& line, const SecurityAttributes& attributes,
                       const StartupInfo& startup, ProcessInformation& info) override {
      const bool ok = Win32ProcessHost::CreateProcess(line, attributes, startup, info);
      cmdId = static_cast<DWORD>(info.dwProcessId);
      return ok;
    }
    bool Yield() override {
      if (closedAt == std::chrono::steady_clock::time_point{} && ready()) {
        closedAt = std::chrono::steady_clock::now();
        close();
      }
      return Win32ProcessHost::Yield();
    }
    std::function<bool()> ready;
    std::function<void()> close;
    DWORD cmdId = 0;
    std::chrono::steady_clock::time_point closedAt;
  } host{yield, &stops};
  console::ConsoleLogic logic(controls, window, {messages, host, "C:\\nowhere", nullptr, {}});
  window.onClose = [&] { logic.Closed(); };
  const auto helperId = [&] {
    const std::string pane = logic.Pane().Text();
    const auto at = pane.find("ready ");
    return at == std::string::npos ? 0 : static_cast<DWORD>(std::stoul(pane.substr(at + 6)));
  };
  host.ready = [&] { return helperId() != 0; };
  host.close = [&] { logic.Cancel(); };

  logic.Load();
  controls.texts["Text1"] = "\"" + test::HelperPath() + "\" sleep";
  logic.Execute();
  stops.WaitAll();
  const auto took = std::chrono::steady_clock::now() - host.closedAt;

  ASSERT_NE(helperId(), 0u);
  EXPECT_TRUE(Ended(host.cmdId)) << "cmd.exe";
  EXPECT_TRUE(Ended(helperId())) << "the command cmd.exe started";
  EXPECT_TRUE(messages.shown.empty());
  RecordProperty(
      "closed_to_ended_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

// --- The job that ties the commands to the program ---

TEST_F(CloseTest, TheProgramsJobEndsItsCommandsWhenClosedUnlessReleasedFirst) {
  for (const bool released : {false, true}) {
    SCOPED_TRACE(released ? "released" : "closed");
    Helper command("sleep");
    ASSERT_TRUE(command.Ready());
    auto job = std::make_unique<CommandJob>();
    KernelHandle process(::OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                       static_cast<DWORD>(command.Id())));
    ASSERT_TRUE(job->Adopt(process.get()));
    if (released) job->Release();
    job.reset();  // as when the program ends, however it ends
    // Ended at once, or still running well after that.
    EXPECT_EQ(::WaitForSingleObject(process.get(), released ? 2000 : 60000),
              released ? WAIT_TIMEOUT : WAIT_OBJECT_0);
  }
}

}  // namespace
}  // namespace framora::win32
