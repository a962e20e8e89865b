// The program end to end, driven from outside through window messages as a user would: the
// main window comes up with the saved paths, the convert picture opens the console with the
// command, Execute runs it through cmd.exe with a stand-in for FFmpeg, the console shows the
// output, the output exists afterwards, and Exit ends the program. And a stop: the main window
// closed, then Cancel during a run of a command that ignores the close request.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/identity.h"
#include "console/console_form.h"
#include "console/pane_text.h"
#include "main_window/main_form.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "program_driver.h"
#include "support/temp_env.h"
#include "win32_test_support.h"
#include "win32_ui/win32_settings.h"

namespace framora::win32 {
namespace {

class SmokeTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    std::ofstream(dir + "cover.jpg") << "\xFF\xD8\xFF jpeg";  // a JPEG's first bytes
    std::ofstream(dir + "song.wav") << "wave";
    ::CreateDirectoryA(ToNarrow(dir + "my vidéos").c_str(), nullptr);
  }
};

TEST_F(SmokeTest, AConversionFromTheSavedPathsToTheFinishedFile) {
  const std::string ffmpeg = test::ProgramFolder() + "fake_ffmpeg.exe";
  const std::string output = dir + "my vidéos\\clip.avi";
  Win32SettingsStore store;
  store.Write("Framora audio converter", "config", "ffmpeg-location", ffmpeg);
  store.Write("Framora audio converter", "config", "image-file", dir + "cover.jpg");
  store.Write("Framora audio converter", "config", "audio-file", dir + "song.wav");
  store.Write("Framora audio converter", "config", "save-file", output);
  Start();

  const HWND main = WaitForWindow(identity::kMainCaption);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(::GetDlgItem(main, main_form::Text1.number)), ffmpeg);
  EXPECT_EQ(WindowText(::GetDlgItem(main, main_form::Text4.number)), output);

  // The convert picture blends into the window: beside the round button shows the window's face.
  RECT picture{};
  ::GetWindowRect(::GetDlgItem(main, main_form::Picture1.number), &picture);
  const HDC screen = ::GetDC(nullptr);
  const auto green = [&] {
    return GetGValue(::GetPixel(screen, picture.left + 119, picture.top + 120));
  };
  EXPECT_TRUE(test::WaitFor([&] { return green() < 100; })) << "no red button";
  EXPECT_EQ(::GetPixel(screen, picture.left + 2, picture.top + 2), ::GetSysColor(COLOR_BTNFACE));
  ::ReleaseDC(nullptr, screen);

  // A click on the convert picture opens the console with the command.
  ClickConvert(main);
  const HWND console = WaitForWindow("Convert to ..");
  ASSERT_NE(console, nullptr);
  const std::string command = ffmpeg + " -loop 1 -y -i " + dir + "cover.jpg -i " + dir +
                              "song.wav -shortest -acodec copy -vcodec mjpeg \"" + output + "\"";
  EXPECT_EQ(WindowText(::GetDlgItem(console, console_form::Text1.number)), command);
  EXPECT_EQ(WindowText(::GetDlgItem(console, console_form::txtCommand.number)), command);

  // Execute: the run goes through cmd.exe; its end is announced in a message box.
  ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
  const HWND pane = ::GetDlgItem(console, console_form::rtfOutput.number);
  EXPECT_EQ(AnswerMessageBox("Success!", main), "Complete reading output!");
  std::string shown;
  test::WaitFor([&] {
    shown = WindowText(pane);
    return shown.size() >= 5 && shown.compare(shown.size() - 5, 5, "C:\\> ") == 0 &&
           shown.find("Lsize") != std::string::npos;
  });
  const std::string expected =
      console::FreshPaneText() + command + "\r\n" +
      "ffmpeg version 0.0-framora-test Copyright (c) 2000-2024 the FFmpeg developers\r\n"
      "Input #0, image2, from '" +
      dir +
      "cover.jpg':\r\n"
      "Input #1, wav, from '" +
      dir +
      "song.wav':\r\n"
      "Output #0, avi, to '" +
      output +
      "':\r\n"
      "frame=   25 fps=0.0 q=2.0 size=     256kB time=00:00:01.00"
      "frame=   50 fps=0.0 q=2.0 size=     512kB time=00:00:02.00"
      "frame=   75 fps=0.0 q=2.0 Lsize=     768kB time=00:00:03.00\r\n"
      "\r\nC:\\> ";
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(ToWide(output))));

  // The output exists now: Enter in the output field stores it and refuses to go on.
  ::PostMessageA(::GetDlgItem(main, main_form::Text4.number), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(AnswerMessageBox("Framora audio converter"),
            "File " + output + " allready exists - Please choose another filename");
  EXPECT_EQ(store.Read("Framora audio converter", "config", "save-file"), output);

  // File > Exit ends the program.
  ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
}

TEST_F(SmokeTest, CmdsMessageAboutAMissingFfmpegReadsRightInThePane) {
  const std::string ffmpeg = "C:\\Programme\\Übersetzer\\ffmpeg.exe";
  Win32SettingsStore store;
  store.Write("Framora audio converter", "config", "ffmpeg-location", ffmpeg);
  Start();
  const HWND main = WaitForWindow(identity::kMainCaption);
  ASSERT_NE(main, nullptr);
  ClickConvert(main);
  AnswerMessageBox("IMAGE LOCATION");
  AnswerMessageBox("AUDIO LOCATION");
  const HWND console = WaitForWindow("Convert to ..");
  ASSERT_NE(console, nullptr);
  ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
  EXPECT_NE(AnswerMessageBox("Error").find("exit code"), std::string::npos);
  const HWND pane = ::GetDlgItem(console, console_form::rtfOutput.number);
  EXPECT_TRUE(test::WaitFor([&] {
    return WindowText(pane).find("'" + ffmpeg) != std::string::npos;
  })) << WindowText(pane);
  ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
}

// Kernel and user time of a process, in milliseconds.
double CpuMs(HANDLE process) {
  FILETIME times[4]{};
  ::GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
  double ms = 0;
  for (const FILETIME& t : {times[2], times[3]})
    ms += static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 10000.0;
  return ms;
}

TEST_F(SmokeTest, CancelAfterTheMainWindowHasGoneEndsTheCommandThenTheProgram) {
  // The helper stands in for cmd.exe: it ends on the close request, and the child it started
  // runs on, as FFmpeg would under cmd.exe. Waiting for it must not spin on the ended root.
  test::ScopedEnv comSpec("ComSpec", test::HelperPath().c_str());
  Win32SettingsStore store;
  store.Write("Framora audio converter", "config", "ffmpeg-location", "C:\\ffmpeg.exe");
  Start();
  const HWND main = WaitForWindow(identity::kMainCaption);
  ASSERT_NE(main, nullptr);
  ClickConvert(main);
  AnswerMessageBox("IMAGE LOCATION");
  AnswerMessageBox("AUDIO LOCATION");
  const HWND console = WaitForWindow("Convert to ..");
  ASSERT_NE(console, nullptr);
  ::SendMessageA(::GetDlgItem(console, console_form::Text1.number), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("family"));
  ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
  std::string pane;
  ASSERT_TRUE(test::WaitFor([&] {
    pane = WindowText(::GetDlgItem(console, console_form::rtfOutput.number));
    return pane.find(" child ") != std::string::npos;
  }));
  const auto opened = [&](const char* label) {
    return KernelHandle(::OpenProcess(
        SYNCHRONIZE, FALSE, std::stoul(pane.substr(pane.find(label) + std::strlen(label)))));
  };
  const KernelHandle tree[] = {opened("ready "), opened(" child ")};
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(test::WaitFor([&] { return !::IsWindow(main) && ::IsWindow(console); }));

  const auto cancelled = std::chrono::steady_clock::now();
  const double cpuBefore = CpuMs(process.get());
  ::PostMessageA(::GetDlgItem(console, console_form::cmdCancel.number), BM_CLICK, 0, 0);
  HANDLE handles[] = {tree[0].get(), tree[1].get()};
  ASSERT_EQ(::WaitForMultipleObjects(2, handles, TRUE, 60000), WAIT_OBJECT_0);
  const auto treeMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - cancelled)
                          .count();
  ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  const auto wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - cancelled)
                          .count();
  const double cpuShare = (CpuMs(process.get()) - cpuBefore) / static_cast<double>(wallMs);
  std::printf("cancel to tree gone %lld ms, to program gone %lld ms, program CPU %.1f %%\n",
              static_cast<long long>(treeMs), static_cast<long long>(wallMs), cpuShare * 100);
  EXPECT_GE(treeMs, 2900) << "the command had its grace";
  EXPECT_LE(treeMs, 4000) << "gone within the grace and a second";
  EXPECT_LT(cpuShare, 0.10);
  DWORD code = 1;
  ::GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace framora::win32
