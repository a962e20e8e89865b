// Starting a program by path, showing a folder, the dialog filter, and the yield of the read loop.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/text.h"
#include "platform/win32/win32_handles.h"
#include "support/temp_env.h"
#include "win32_test_support.h"
#include "win32_ui/win32_desktop.h"
#include "win32_ui/win32_dialogs.h"
#include "win32_ui/win32_yield.h"

namespace framora::win32 {
namespace {

TEST(Desktop, AProgramIsStartedShownNormallyAndNotWaitedFor) {
  KernelHandle started(::CreateEventA(nullptr, TRUE, FALSE, "FramoraHelperStarted"));
  ASSERT_TRUE(started);
  Win32Desktop desktop;
  ASSERT_TRUE(desktop.StartProgram(test::HelperPath(), 1));
  ASSERT_EQ(::WaitForSingleObject(started.get(), 60000), WAIT_OBJECT_0);
  // The helper writes the file before it signals.
  std::ifstream file("started.txt");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), "show=1 flags=1");  // SW_SHOWNORMAL through STARTF_USESHOWWINDOW
}

TEST(Desktop, PathsThatCannotBeStartedAreFailures) {
  Win32Desktop desktop;
  EXPECT_FALSE(desktop.StartProgram("", 1));
  EXPECT_FALSE(desktop.StartProgram("C:\\no such folder\\MSINFO32.EXE", 1));
}

// Explorer opens the folder, with the file picked out or alone, whatever its name holds.
TEST(Desktop, ExplorerShowsAFolderOfAnyNameAndNothingStartsForANameNoFileHas) {
  const std::string name = "Rock & Roll 'n' Фолк";
  const std::string folder = test::MakeTempDir("show") + "\\" + name;
  ASSERT_TRUE(::CreateDirectoryW(ToWide(folder).c_str(), nullptr));
  Win32Desktop desktop;
  for (const std::string& selected : {std::string(), folder + "\\a song.mp4"}) {
    ASSERT_TRUE(desktop.ShowFolder(folder, selected)) << selected;
    HWND shown = nullptr;
    ASSERT_TRUE(test::WaitFor(
        [&] { return (shown = ::FindWindowW(nullptr, ToWide(name).c_str())) != nullptr; }));
    ::PostMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::WaitFor([&] { return !::IsWindow(shown); }));
  }
  EXPECT_FALSE(desktop.ShowFolder(folder, folder + "\\a \"quoted\" song.mp4"));
}

TEST(FileDialogFilter, PairsBecomeZeroSeparatedAndADescriptionAloneListsEverything) {
  using namespace std::string_literals;
  EXPECT_EQ(CommonDialogFilter("Jpegs (*.jpg)|*.jpg|GIF files (*.gif)|*.gif"),
            "Jpegs (*.jpg)\0*.jpg\0GIF files (*.gif)\0*.gif\0\0"s);
  EXPECT_EQ(CommonDialogFilter("FFMPEG App (*.exe)"), "FFMPEG App (*.exe)\0*.*\0\0"s);
  EXPECT_EQ(CommonDialogFilter("AVI (*.avi)||MP4 (*.mp4)"),
            "AVI (*.avi)\0*.*\0MP4 (*.mp4)\0*.*\0\0"s);
  EXPECT_EQ(CommonDialogFilter("All audio files|*.wav;*.mp3|All files|*.*"),
            "All audio files\0*.wav;*.mp3\0All files\0*.*\0\0"s);  // as the dialog reads them
  EXPECT_EQ(CommonDialogFilter(""), "");
}

// One file: its path; several: their folder (a root has its '\\') and names; a cut list: none.
TEST(FileDialogFiles, OneFileIsItsPathAndSeveralAreTheirFolderAndNames) {
  using namespace std::string_literals;
  const std::tuple<std::string, std::size_t, std::vector<std::string>> cases[] = {
      {"C:\\a.mp3\0ong name.mp3\0\0"s, 3, {"C:\\a.mp3"}},
      {"D:\\\0x.mp3\0y.amr\0\0"s, 4, {"D:\\x.mp3", "D:\\y.amr"}},
      {"C:\\été\0日本 歌.mp3\0Ü %&!.wav\0\0"s, 9, {"C:\\été\\日本 歌.mp3", "C:\\été\\Ü %&!.wav"}},
      {"C:\\Music\0a.mp3\0b.m"s, 9, {}}};
  for (const auto& [buffer, offset, files] : cases) EXPECT_EQ(ChosenFiles(buffer, offset), files);
}

class YieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    ::DestroyWindow(window);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND window = nullptr;
};

TEST_F(YieldTest, EveryQueuedMessageIsHandledThenItReturns) {
  int seen = 0;
  Win32Yield yield([&](MSG& msg) {
    if (msg.message == WM_APP) ++seen;
    return msg.message == WM_APP;
  });
  for (int i = 0; i < 3; ++i) ::PostMessageA(window, WM_APP, 0, 0);
  EXPECT_TRUE(yield.Yield());
  EXPECT_EQ(seen, 3);
  EXPECT_TRUE(yield.Yield()) << "an empty queue returns at once";
  EXPECT_EQ(seen, 3);
}

TEST_F(YieldTest, TheEndOfTheProgramStopsTheYieldAndReachesTheMainLoop) {
  Win32Yield yield;
  ::PostQuitMessage(3);
  EXPECT_FALSE(yield.Yield());
  EXPECT_TRUE(yield.Ending());
  EXPECT_FALSE(yield.Yield());
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT)) << "put back for the main loop";
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace framora::win32
