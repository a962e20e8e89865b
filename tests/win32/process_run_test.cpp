// Real runs of ReadOutput on the Win32 process host: through cmd.exe, and with the helper as
// the interpreter so that it can report exactly how it was started.
#include <gtest/gtest.h>

#include <algorithm>

#include "main_window/conversion_command.h"
#include "platform/win32/win32_process_host.h"
#include "platform/win32/win32_yield.h"
#include "runner/event_log.h"
#include "runner/read_output.h"
#include "win32_test_support.h"

namespace framora::win32 {
namespace {

std::string CmdPath() {
  char system[MAX_PATH];
  ::GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\cmd.exe";
}

// The real host, remembering every handle it handed out and whether the pipe's ends were
// inheritable when they were made.
class TrackingHost : public Win32ProcessHost {
 public:
  using Win32ProcessHost::Win32ProcessHost;

  bool CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                  const SecurityAttributes& attributes, std::uint32_t nSize) override {
    if (!Win32ProcessHost::CreatePipe(hReadPipe, hWritePipe, attributes, nSize)) return false;
    for (HostHandle end : {hReadPipe, hWritePipe}) {
      DWORD flags = 0;
      ::GetHandleInformation(reinterpret_cast<HANDLE>(end), &flags);
      inheritable = inheritable && (flags & HANDLE_FLAG_INHERIT) != 0;
      handed.push_back(end);
    }
    return true;
  }
  bool CreateProcess(const CommandLine& commandLine, const SecurityAttributes& attributes,
                     const StartupInfo& startup, ProcessInformation& info) override {
    if (!Win32ProcessHost::CreateProcess(commandLine, attributes, startup, info)) return false;
    handed.push_back(info.hProcess);
    handed.push_back(info.hThread);
    return true;
  }
  // Handed out and still open in this process.
  std::vector<HostHandle> StillOpen() const {
    std::vector<HostHandle> open;
    for (HostHandle handle : handed) {
      DWORD flags = 0;
      if (::GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) open.push_back(handle);
    }
    return open;
  }

  std::vector<HostHandle> handed;
  bool inheritable = true;
};

class RunTest : public ::testing::Test {
 protected:
  // Runs the command to its end and returns the text of every chunk.
  std::string Run(const std::string& command) {
    runner.SetCommand(command);
    runner.ProcessCommand();
    return log.Text();
  }
  // Every event before the final chunk is a GotChunk of at most 256 characters.
  void ExpectWholeRun() {
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(log.events.front(), "Starting");
    EXPECT_EQ(log.events[log.events.size() - 2], "LastChunk()");
    EXPECT_EQ(log.events.back(), "Complete");
    for (std::size_t i = 1; i + 2 < log.events.size(); ++i)
      EXPECT_EQ(log.events[i].rfind("GotChunk(", 0), 0u) << log.events[i];
    for (const std::string& chunk : log.chunks) EXPECT_LE(chunk.size(), 256u);
  }

  test::ScopedEnv comSpec{"ComSpec", CmdPath().c_str()};
  Win32Yield yield;
  TrackingHost host{yield};
  test::EventLog log;
  ReadOutput runner{host, log};
};

TEST_F(RunTest, CmdRunsTheCommandAndItsOutputArrivesInChunksOfAtMost256Bytes) {
  const std::string text = Run("\"" + test::HelperPath() + "\" bytes 1000");
  ExpectWholeRun();
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += i % 64 == 63 ? '\n' : static_cast<char>('A' + i % 26);
  EXPECT_EQ(text, expected);
  EXPECT_GE(log.chunks.size(), 5u) << "1000 bytes need at least four reads and the final one";
  EXPECT_EQ(log.chunks.back(), "");
}

TEST_F(RunTest, OutputAndErrorsShareOnePipeInTheOrderWritten) {
  EXPECT_EQ(Run("\"" + test::HelperPath() + "\" alternate one- two- three"), "one-two-three");
  ExpectWholeRun();
}

TEST_F(RunTest, InterpreterCommandsWorkAndACommandWithoutOutputGivesOnlyTheFinalChunk) {
  EXPECT_EQ(Run("echo hello&& echo world"), "hello\r\nworld\r\n");
  ExpectWholeRun();
  log.events.clear();
  log.chunks.clear();
  EXPECT_EQ(Run("rem nothing"), "");
  EXPECT_EQ(log.events, (std::vector<std::string>{"Starting", "LastChunk()", "Complete"}));
}

TEST_F(RunTest, Utf8OutputArrivesAsTheSameText) {
  EXPECT_EQ(Run("\"" + test::HelperPath() + "\" utf8"), "größe €\n");
}

TEST_F(RunTest, AConversionCommandReachesFfmpegWithEveryPathWhole) {
  // The helper stands in for FFmpeg and prints each argument it got in brackets.
  const std::vector<std::string> paths = {"C:\\My Pictures\\cover (1).jpg",
                                          "C:\\Rock & Roll\\a^b;c,d=e.wav", "C:\\Vidéos\\日本.avi"};
  const std::string command =
      BuildConversionCommand(test::HelperPath(), paths[0], paths[1], paths[2], ShellKind::Cmd);
  const std::string text = Run(command);
  ExpectWholeRun();
  EXPECT_EQ(text, "[-loop]\n[1]\n[-y]\n[-i]\n[" + paths[0] + "]\n[-i]\n[" + paths[1] +
                      "]\n[-shortest]\n[-acodec]\n[copy]\n[-vcodec]\n[mjpeg]\n[" + paths[2] +
                      "]\n");
}

TEST_F(RunTest, TheInterpreterIsStartedExactlyAsTheWindowsProgramStartsIt) {
  test::ScopedEnv helperAsInterpreter("ComSpec", test::HelperPath().c_str());
  const std::string text = Run("stdin \"quoted\" part");
  ExpectWholeRun();
  EXPECT_NE(text.find("cmdline=" + test::HelperPath() + " /c \"stdin \"quoted\" part\"\n"),
            std::string::npos)
      << text;
  // cb 68, STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES, SW_HIDE.
  EXPECT_NE(text.find("cb=68 flags=257 show=0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("stdin=none stdout-is-stderr=yes\n"), std::string::npos) << text;
  EXPECT_NE(text.find("priority=32\n"), std::string::npos) << text;  // NORMAL_PRIORITY_CLASS
}

TEST_F(RunTest, FailuresToStartAreReportedWithThePlatformsCodeAndLeakNothing) {
  test::ScopedEnv noInterpreter("ComSpec", nullptr);
  Run("echo never");
  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].rfind("Error(CreateProcess failed.,", 0), 0u) << log.events[0];
  EXPECT_NE(log.events[0], "Error(CreateProcess failed.,0)");
  EXPECT_FALSE(runner.Processing());
  EXPECT_EQ(host.handed.size(), 2u);
  EXPECT_TRUE(host.StillOpen().empty()) << "both pipe ends are closed";
}

TEST_F(RunTest, ARunUsesAnInheritablePipeAndReleasesEveryHandle) {
  Run("\"" + test::HelperPath() + "\" bytes 300");
  EXPECT_EQ(host.handed.size(), 4u) << "two pipe ends, the process and its thread";
  EXPECT_TRUE(host.inheritable);
  EXPECT_TRUE(host.StillOpen().empty());
}

TEST_F(RunTest, TheWindowsKeepWorkingWhileTheCommandIsSilent) {
  // A message posted to ourselves is handled during the run, before the command ends.
  const UINT kPing = WM_APP + 1;
  bool pinged = false;
  struct Window {
    HWND hwnd =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~Window() { ::DestroyWindow(hwnd); }
  } window;
  ASSERT_NE(window.hwnd, nullptr);
  std::int32_t helperId = 0;
  log.onGotChunk = [&](const std::string& chunk, bool) {
    // "ready <pid>": the command now waits; wake it only once the ping has been handled.
    if (chunk.rfind("ready ", 0) == 0) {
      helperId = std::stoi(chunk.substr(6));
      ::PostMessageA(window.hwnd, kPing, 0, 0);
    }
  };
  // Nothing of ours runs between the yields but this check.
  Win32Yield watchingYield([&](MSG& msg) {
    if (msg.message == kPing) {
      pinged = true;
      if (HANDLE helper = ::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(helperId))) {
        ::TerminateProcess(helper, 0);
        ::CloseHandle(helper);
      }
      return true;
    }
    return false;
  });
  Win32ProcessHost watchingHost{watchingYield};
  ReadOutput watched{watchingHost, log};
  watched.SetCommand("\"" + test::HelperPath() + "\" sleep");
  watched.ProcessCommand();
  EXPECT_TRUE(pinged);
  EXPECT_EQ(log.events.back(), "Complete");
}

}  // namespace
}  // namespace framora::win32
