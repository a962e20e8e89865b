#include "info/sys_info.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_desktop.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_registry.h"
#include "info/desktop_sys_info.h"
#include "platform/posix/posix_registry.h"
#include "support/scoped_env.h"
#include "support/temp_env.h"

namespace framora {
namespace {

constexpr const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kFolder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";
constexpr const char* kTool =
    "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\MSINFO32.EXE";

class StartSysInfoTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(registry.OpenKeys(), 0u);
    EXPECT_EQ(registry.badCloses, 0);
  }

  void Run() { StartSysInfo(registry, files, desktop, messages); }

  void SetPath(const std::string& path) {
    registry.SetString(kHKeyLocalMachine, kPathKey, "PATH", path);
  }
  void SetFolder(const std::string& folder) {
    registry.SetString(kHKeyLocalMachine, kFolderKey, "MSINFO", folder);
  }

  // The one message that every failure ends in.
  void ExpectUnavailable() {
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "System Information Is Unavailable At This Time");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(messages.shown[0].title, "Framora audio converter");
  }

  std::vector<std::string> OpenedKeys() const {
    std::vector<std::string> names;
    for (const auto& call : registry.openCalls) {
      EXPECT_EQ(call.root, 0x80000002u);
      names.push_back(call.name);
    }
    return names;
  }

  test::FakeRegistry registry;
  test::FakeFileSystem files;
  test::FakeDesktop desktop;
  test::FakeMessageBox messages;
};

TEST_F(StartSysInfoTest, FirstEntryIsStartedAsItStandsWithoutAFileTest) {
  SetPath("D:\\Tools\\msinfo32.exe");
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  Run();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, "D:\\Tools\\msinfo32.exe");
  EXPECT_EQ(desktop.started[0].showState, 1);
  EXPECT_TRUE(files.normalFileCalls.empty());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(OpenedKeys(), std::vector<std::string>{kPathKey});
}

TEST_F(StartSysInfoTest, FirstEntryThatCannotStartIsNotFollowedByTheSecond) {
  SetPath("D:\\gone.exe");
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  desktop.startResult = false;
  Run();
  ExpectUnavailable();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, "D:\\gone.exe");
  EXPECT_EQ(OpenedKeys(), std::vector<std::string>{kPathKey});
}

TEST_F(StartSysInfoTest, FolderOfTheSecondEntryIsUsedWhenItHoldsTheTool) {
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  Run();
  EXPECT_EQ(OpenedKeys(), (std::vector<std::string>{kPathKey, kFolderKey}));
  EXPECT_EQ(registry.queryCalls, std::vector<std::string>{"MSINFO"});
  EXPECT_EQ(files.normalFileCalls, std::vector<std::string>{kTool});
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, kTool);
  EXPECT_EQ(desktop.started[0].showState, 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartSysInfoTest, FolderTextIsJoinedWithoutTouchingSeparators) {
  SetFolder("C:\\Tools\\");
  Run();
  EXPECT_EQ(files.normalFileCalls, std::vector<std::string>{"C:\\Tools\\\\MSINFO32.EXE"});
  ExpectUnavailable();
}

TEST_F(StartSysInfoTest, FirstKeyWithoutPathValueFallsBackToTheFolder) {
  registry.SetString(kHKeyLocalMachine, kPathKey, "OTHER", "x");
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  Run();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, kTool);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartSysInfoTest, FolderWithoutTheToolIsUnavailable) {
  SetFolder(kFolder);
  files.AddNormalFile(std::string(kFolder) + "\\other.exe");
  Run();
  ExpectUnavailable();
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(StartSysInfoTest, NeitherEntryIsUnavailable) {
  Run();
  ExpectUnavailable();
  EXPECT_TRUE(desktop.started.empty());
  EXPECT_TRUE(files.normalFileCalls.empty());
  EXPECT_EQ(OpenedKeys(), (std::vector<std::string>{kPathKey, kFolderKey}));
}

TEST_F(StartSysInfoTest, ToolFromTheFolderThatCannotStartIsUnavailable) {
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  desktop.startResult = false;
  Run();
  ASSERT_EQ(desktop.started.size(), 1u);
  ExpectUnavailable();
}

TEST_F(StartSysInfoTest, FirstEntryOfAnotherTypeStartsTheEmptyPath) {
  registry.SetBytes(kHKeyLocalMachine, kPathKey, "PATH", 3, {'C', ':', 0});
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  desktop.startResult = false;  // an empty path cannot be started
  Run();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, "");
  ExpectUnavailable();
  EXPECT_EQ(OpenedKeys(), std::vector<std::string>{kPathKey});
}

TEST_F(StartSysInfoTest, FirstEntryWithoutDataEndsInTheMessage) {
  registry.SetBytes(kHKeyLocalMachine, kPathKey, "PATH", kRegSz, {});
  SetFolder(kFolder);
  files.AddNormalFile(kTool);
  Run();
  ExpectUnavailable();
  EXPECT_TRUE(desktop.started.empty());
  EXPECT_EQ(OpenedKeys(), std::vector<std::string>{kPathKey});
}

TEST_F(StartSysInfoTest, SecondEntryWithoutDataEndsInTheMessage) {
  registry.SetBytes(kHKeyLocalMachine, kFolderKey, "MSINFO", kRegSz, {});
  files.AddNormalFile("\\MSINFO32.EXE");
  Run();
  ExpectUnavailable();
  EXPECT_TRUE(desktop.started.empty());
  EXPECT_TRUE(files.normalFileCalls.empty());
}

class FakeSession : public DesktopSessionPort {
 public:
  std::string CurrentDesktop() override { return desktop; }
  std::optional<std::string> ProgramOutput(const std::vector<std::string>& command) override {
    asked.push_back(command);
    return "Available panels:\n\tabout\n";
  }
  std::string desktop;
  std::vector<std::vector<std::string>> asked;
};

TEST(DesktopSysInfo, GnomeSettingsIsAskedForItsPanelsOnlyWhenItsTurnComes) {
  test::FakeProgramSearch programs;
  programs.path = "/opt/a \"b\":/usr/bin";
  programs.programs = {"/usr/bin/kinfocenter", "/opt/a \"b\"/gnome-control-center"};
  FakeSession session;
  session.desktop = "KDE";
  EXPECT_EQ(FindDesktopSysInfo(programs, session), "/usr/bin/kinfocenter");
  EXPECT_TRUE(session.asked.empty());
  session.desktop = "GNOME";
  const std::optional<std::string> command = FindDesktopSysInfo(programs, session);
  EXPECT_EQ(command, R"("/opt/a \"b\"/gnome-control-center" about)");
  const std::vector<std::string> gnome{"/opt/a \"b\"/gnome-control-center", "--list"};
  EXPECT_EQ(session.asked, std::vector<std::vector<std::string>>{gnome});
  EXPECT_EQ(SplitCommand(command.value_or("")), (std::vector<std::string>{gnome.front(), "about"}));
}

TEST(StartSysInfoPosix, RegistryFindsNothingSoTheMessageIsShown) {
  // Only the desktop's tools on PATH are found; here there are none.
  const std::string empty = test::MakeTempDir("no-tools");
  const test::ScopedEnv path("PATH", empty.c_str());
  posix::PosixRegistry registry;
  test::FakeFileSystem files;
  files.AddNormalFile("\\MSINFO32.EXE");
  test::FakeDesktop desktop;
  test::FakeMessageBox messages;
  StartSysInfo(registry, files, desktop, messages);
  EXPECT_TRUE(desktop.started.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "System Information Is Unavailable At This Time");
}

}  // namespace
}  // namespace framora
