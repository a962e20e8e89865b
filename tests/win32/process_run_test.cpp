// Real runs of ReadOutput on the Win32 process host: through cmd.exe, and with the helper as
// the interpreter so that it can report exactly how it was started.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/command_text.h"
#include "convert/song_command.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_process_host.h"
#include "runner/event_log.h"
#include "runner/read_output.h"
#include "win32_test_support.h"
#include "win32_ui/win32_yield.h"

namespace framora::win32 {
namespace {

std::string CmdPath() {
  char system[MAX_PATH];
  ::GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\cmd.exe";
}

// The real host, remembering every handle it handed out, whether the pipe's ends were
// inheritable when they were made, and the id of the run's process.
class TrackingHost : public Win32ProcessHost {
 public:
  using Win32ProcessHost::Win32ProcessHost;

  bool CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                  const SecurityAttributes& attributes, std::uint32_t nSize) override {
    if (!Win32ProcessHost::CreatePipe(hReadPipe, hWritePipe, attributes, nSize)) return false;
    readInheritable = Inheritable(hReadPipe);
    writeInheritable = Inheritable(hWritePipe);
    handed.push_back(hReadPipe);
    handed.push_back(hWritePipe);
    return true;
  }
  bool CreateProcess(const CommandLine& commandLine, const SecurityAttributes& attributes,
                     const StartupInfo& startup, ProcessInformation& info) override {
    if (!Win32ProcessHost::CreateProcess(commandLine, attributes, startup, info)) return false;
    handed.push_back(info.hProcess);
    handed.push_back(info.hThread);
    processInheritable = Inheritable(info.hProcess) || Inheritable(info.hThread);
    processId = static_cast<DWORD>(info.dwProcessId);
    return true;
  }
  static bool Inheritable(HostHandle handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags) &&
           (flags & HANDLE_FLAG_INHERIT) != 0;
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
  bool readInheritable = true;
  bool writeInheritable = false;
  bool processInheritable = true;
  DWORD processId = 0;
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
  // The helper stands in for FFmpeg and prints each argument it got in brackets; a copy of it
  // in a folder whose name cmd would expand stands in for an FFmpeg installed there.
  const std::string base = "C:\\framora-" + test::TestId();
  const std::string odd = base + "\\100%PATH%!x!";
  ::CreateDirectoryA(base.c_str(), nullptr);
  ::CreateDirectoryA(odd.c_str(), nullptr);
  ASSERT_TRUE(::CopyFileA(test::HelperPath().c_str(), (odd + "\\ff.exe").c_str(), FALSE));
  const std::vector<std::string> paths[] = {
      {test::HelperPath(), "C:\\My Pictures\\cover (1).jpg", "C:\\Rock & Roll\\a^b;c,d=e.wav",
       "C:\\Vidéos\\日本.avi"},
      {test::HelperPath(), "C:\\a\\x!y!.png", "C:\\a\\100%PATH%.wav", "%OS%%%\\%~1 %%.avi"},
      {odd + "\\ff.exe", "%PATH:~0,3%.png", "C:\\a\\%=x%.wav", "C:\\b\\!OS!^%CD%.avi"},
      {test::HelperPath(), "C:\\dir with blank\\", "C:\\a\\\\%b%\\\\", "\\\\srv\\s\\%x%.avi"},
      {odd + "\\ff.exe", "C:\\a\\x!y!.gif", "C:\\Rock & Roll\\%OS%.mp3",
       "C:\\Vidéos\\日本 %x%.MP4"},
  };
  for (const auto& p : paths) {
    log.chunks.clear();
    log.events.clear();
    // An MP4 repeats its picture's segment, made before in the temporary folder.
    const convert::SongVideo video{p[1], p[2], {}, p[3], {}, "C:\\Temp\\%x% seg & 1.mp4"};
    const std::vector<std::string> arguments = convert::ConversionArguments(video, ShellKind::Cmd);
    const std::string text = Run(convert::FfmpegCommand(p[0], arguments, ShellKind::Cmd));
    ExpectWholeRun();
    std::string expected;
    for (const std::string& argument : arguments) expected += "[" + argument + "]\n";
    EXPECT_EQ(text, expected);
  }
  ::DeleteFileA((odd + "\\ff.exe").c_str());
  ::RemoveDirectoryA(odd.c_str());
  ::RemoveDirectoryA(base.c_str());
}

TEST_F(RunTest, TheInterpreterIsStartedExactlyAsTheWindowsProgramStartsIt) {
  test::ScopedEnv helperAsInterpreter("ComSpec", test::HelperPath().c_str());
  const std::string text = Run("stdin \"quoted\" part");
  ExpectWholeRun();
  EXPECT_NE(
      text.find("cmdline=" + test::HelperPath() + " /D /V:OFF /c \"stdin \"quoted\" part\"\n"),
      std::string::npos)
      << text;
  // STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES, SW_HIDE; the record's size is 68 in the
  // 32-bit program, and larger in the 64-bit one, whose handles are twice as wide.
  const std::string cb = sizeof(void*) == 4 ? "68" : std::to_string(sizeof(STARTUPINFOA));
  EXPECT_NE(text.find("cb=" + cb + " flags=257 show=0\n"), std::string::npos) << text;
  // Its input is nothing: reading it ends at once.
  EXPECT_NE(text.find("stdout-is-stderr=yes\n"), std::string::npos) << text;
  EXPECT_NE(text.find("stdin=0\n"), std::string::npos) << text;
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

TEST_F(RunTest, OnlyThePipesWriteEndIsInheritedAndEveryHandleIsReleased) {
  Run("\"" + test::HelperPath() + "\" bytes 300");
  EXPECT_EQ(host.handed.size(), 4u) << "two pipe ends, the process and its thread";
  EXPECT_TRUE(host.writeInheritable);
  EXPECT_FALSE(host.readInheritable);
  EXPECT_FALSE(host.processInheritable) << "no later command may hold this run's process";
  EXPECT_TRUE(host.StillOpen().empty());
}

TEST_F(RunTest, OnceNobodyReadsAnyMoreAWritingCommandEndsWithABrokenPipe) {
  // The program ends in the middle of the run; the command is left running and keeps writing.
  std::int32_t helperId = 0;
  log.onGotChunk = [&](const std::string& chunk, bool) {
    if (helperId == 0 && chunk.rfind("ready ", 0) == 0) helperId = std::stoi(chunk.substr(6));
  };
  Win32Yield endingYield([&](MSG&) { return false; });
  struct EndsOnceReady : Win32ProcessHost {
    using Win32ProcessHost::Win32ProcessHost;
    std::int32_t* id = nullptr;
    bool Yield() override { return *id == 0 && Win32ProcessHost::Yield(); }
  } endingHost{endingYield};
  endingHost.id = &helperId;
  ReadOutput abandoned{endingHost, log};
  abandoned.SetCommand("\"" + test::HelperPath() + "\" flood");
  abandoned.ProcessCommand();
  ASSERT_NE(helperId, 0);
  KernelHandle helper(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(helperId)));
  ASSERT_TRUE(helper);
  // Blocked on a full pipe, it would never end; the bound only keeps a broken build from hanging.
  ASSERT_EQ(::WaitForSingleObject(helper.get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(helper.get(), &code);
  EXPECT_TRUE(code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA) << code;
}

TEST_F(RunTest, TheExitStatusIsCmdsWhichPassesOnTheCommands) {
  const struct {
    std::string command;
    std::int32_t status;
  } cases[] = {
      {"rem nothing", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"framora-no-such-program --version", 9009},
      {"\"" + test::HelperPath() + "\" exit 42", 42},
  };
  for (const auto& c : cases) {
    Run(c.command);
    EXPECT_EQ(log.events.back(), "Complete") << c.command;
    EXPECT_EQ(runner.ExitCode(), c.status) << c.command;
  }
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
