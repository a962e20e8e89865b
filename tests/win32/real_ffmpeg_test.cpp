// Conversions with a real Windows FFmpeg, made through the program as a user makes them: names
// with blanks, cmd's special characters, Cyrillic, Japanese and an emoji in all three paths and
// a path longer than 260 characters, a picture FFmpeg cannot read, an output folder that does
// not exist, and Cancel during a conversion and at its very start. What each case leaves is
// listed in probe.txt; real_ffmpeg_test.sh, around this test, reads those files with ffprobe.
//
// FRAMORA_WINDOWS_FFMPEG names ffmpeg.exe; FRAMORA_MEDIA a folder with cover.jpg, cover.png,
// big.jpg (1920x1080, which makes FFmpeg slow enough to cancel), song.wav and song.mp3 (8 s)
// and long.wav (10 min).
#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/identity.h"
#include "console/console_form.h"
#include "main_window/main_form.h"
#include "program_driver.h"

namespace framora::win32 {
namespace {

std::string Env(const char* name) {
  char value[2048] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length < sizeof value ? std::string(value, length) : std::string();
}

bool FfmpegRuns() {
  KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"ffmpeg.exe") == 0) return true;
  }
  return false;
}

enum class Ends { Completing, WithTheErrorBox, CancelledAfter8s, CancelledAtOnce };

struct Case {
  const char* what;
  const char* image;  // as it is named, and the media file it is a copy of (none: empty)
  const char* imageFrom;
  const char* audio;
  const char* audioFrom;
  const char* output;  // below the case's folder; "<long>" stands for folders past 260 characters
  Ends ends;
  double seconds;  // the output's length; 0: any, as long as ffprobe reads one
};

// clang-format off
const Case kCases[] = {
    {"Cyrillic with & % !", "пример (1).png", "cover.png", "100% fun %USERNAME%.wav", "song.wav",
     "видео & 100% !.avi", Ends::Completing, 8},
    {"Japanese, an emoji, a long path", "曲 🎵.jpg", "cover.jpg", "rock & roll!.mp3", "song.mp3",
     "<long>\\долгая дорога.avi", Ends::Completing, 8},
    {"a picture FFmpeg cannot read", "empty.jpg", nullptr, "song.wav", "song.wav", "never.avi",
     Ends::WithTheErrorBox, -1},
    {"an output folder that does not exist", "cover.jpg", "cover.jpg", "song.wav", "song.wav",
     "no such folder\\clip.avi", Ends::WithTheErrorBox, -1},
    {"Cancel after 8 s", "обложка.jpg", "big.jpg", "долгая.wav", "long.wav",
     "отменено & 100%.avi", Ends::CancelledAfter8s, 0},
    {"Cancel at once", "big.jpg", "big.jpg", "long.wav", "long.wav", "at once.avi",
     Ends::CancelledAtOnce, -1},
};
// clang-format on

class RealFfmpeg : public ProgramTest {
 protected:
  void SetUp() override {
    ffmpeg = Env("FRAMORA_WINDOWS_FFMPEG");
    media = Env("FRAMORA_MEDIA");
    if (ffmpeg.empty() || media.empty()) GTEST_SKIP() << "run by real_ffmpeg_test.sh";
    ProgramTest::SetUp();
  }
  std::string ffmpeg;
  std::string media;
};

std::filesystem::path Path(const std::string& utf8) { return ToWide(utf8); }

TEST_F(RealFfmpeg, ConversionsThroughTheProgram) {
  std::ofstream probe(Path(media + "\\probe.txt"), std::ios::binary);
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    SCOPED_TRACE(c.what);
    const std::string folder = "case " + std::to_string(i + 1);
    const std::string here = media + "\\" + folder + "\\";
    std::filesystem::remove_all(Path(here));
    std::filesystem::create_directories(Path(here));
    std::string output = c.output;
    if (output.starts_with("<long>")) {
      std::string longer;
      while ((here + longer).size() < 280) longer += "папка с длинным именем\\";
      std::filesystem::create_directories(Path(here + longer));
      output.replace(0, 7, longer);
    }
    for (const auto& [name, from] : {std::pair{c.image, c.imageFrom}, {c.audio, c.audioFrom}}) {
      if (from == nullptr) {
        std::ofstream(Path(here + name));
      } else {
        std::filesystem::copy_file(Path(media + "\\" + from), Path(here + name));
      }
    }
    Win32SettingsStore store;
    const std::string app = identity::kTitle;
    store.Write(app, "config", "ffmpeg-location", ffmpeg);
    store.Write(app, "config", "image-file", here + c.image);
    store.Write(app, "config", "audio-file", here + c.audio);
    store.Write(app, "config", "save-file", here + output);
    Start();
    const HWND main = WaitForWindow(identity::kMainCaption);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(main, main_form::Text4.number)), here + output);
    ::PostMessageA(::GetDlgItem(main, main_form::Picture1.number), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::PostMessageA(::GetDlgItem(main, main_form::Picture1.number), WM_LBUTTONUP, 0, 0);
    const HWND console = WaitForWindow("Convert to ..");
    ASSERT_NE(console, nullptr);
    const HWND pane = ::GetDlgItem(console, console_form::rtfOutput.number);
    ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);

    switch (c.ends) {
      case Ends::Completing:
        EXPECT_EQ(AnswerMessageBox("Success!"), "Complete reading output!") << WindowText(pane);
        break;
      case Ends::WithTheErrorBox:
        EXPECT_NE(AnswerMessageBox("Error").find("The command failed with exit code"),
                  std::string::npos)
            << WindowText(pane);
        break;
      case Ends::CancelledAfter8s:
      case Ends::CancelledAtOnce: {
        if (c.ends == Ends::CancelledAfter8s) {
          // 8 s into the conversion proper, as its progress lines show.
          EXPECT_TRUE(
              test::WaitFor([&] { return WindowText(pane).find("frame=") != std::string::npos; }));
          std::this_thread::sleep_for(std::chrono::seconds(8));
        } else {
          EXPECT_TRUE(test::WaitFor(FfmpegRuns));
        }
        const auto cancelled = std::chrono::steady_clock::now();
        ::PostMessageA(::GetDlgItem(console, console_form::cmdCancel.number), BM_CLICK, 0, 0);
        EXPECT_TRUE(test::WaitFor([] { return !FfmpegRuns(); }));
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - cancelled)
                            .count();
        std::printf("%s: FFmpeg gone %lld ms after Cancel\n", c.what, static_cast<long long>(ms));
        EXPECT_LT(ms, 5000);
        EXPECT_FALSE(::IsWindow(console));
        break;
      }
    }
    ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
    EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    std::replace(output.begin(), output.end(), '\\', '/');
    if (c.seconds >= 0) probe << folder << '/' << output << '\t' << c.seconds << '\n';
  }
}

}  // namespace
}  // namespace framora::win32
