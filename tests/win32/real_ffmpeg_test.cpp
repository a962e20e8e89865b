// Conversions with a real Windows FFmpeg, made through the program as a user makes them (see
// real_ffmpeg_test.sh, which makes the media, runs this and reads the results with ffprobe):
// names with blanks, cmd's special characters, Cyrillic, Japanese and an emoji, a path past 260
// characters, an MP4, a picture FFmpeg cannot read, an output folder that does not exist, and
// Cancel 8 s into a conversion and at its very start; album videos through the window and the
// console twin, whose patterns find songs past 260 characters too, an album of every kind of
// song, and a picture refused before an album is overwritten. FFMPEG_EXE names ffmpeg.exe, MEDIA
// the folder.
#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/identity.h"
#include "console/console_form.h"
#include "main_window/main_form.h"
#include "main_window/songs_question_form.h"
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

// What Windows does at a logoff, to each top-level window of process `id`, hidden ones too.
BOOL CALLBACK EndSessionOf(HWND window, LPARAM id) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(id) &&
      ::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)) {
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  }
  return TRUE;
}

// Runs the console twin with these arguments and gives its exit status, ~0 when it could not
// be started or did not end within five minutes.
DWORD RunConsoleTwin(const std::string& arguments) {
  std::string program = test::ProgramFolder() + FRAMORA_PROGRAM_FROM_TESTS;
  program.replace(program.size() - 4, 4, ".com");
  std::wstring line = ToWide("\"" + program + "\" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  DWORD status = ~DWORD{0};
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
    const KernelHandle batch(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(batch.get(), 300000) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(batch.get(), &status);
    }
  }
  return status;
}

enum class Ends { Completing, WithTheErrorBox, CancelledAfter8s, CancelledAtOnce };

// Files of the media folder; "<long>\" is a folder chain past 260 characters, and an output
// that starts with '-' is named as it stands, in the program's own folder. The output's length
// goes to probe.txt with its song: 0 for any length ffprobe reads, -1 for no file to read. An
// error box says `said`: an empty picture is refused before FFmpeg, a missing folder by it.
const struct {
  const char *image, *audio, *output;
  Ends ends;
  double seconds;
  const char* said = "";
} kCases[] = {
    {"пример (1).png", "100% fun %USERNAME%.wav", "видео & 100% !.avi", Ends::Completing, 8},
    {"曲 🎵.jpg", "rock & roll!.mp3", "<long>\\долгая дорога.avi", Ends::Completing, 8},
    {"пример (1).png", "rock & roll!.mp3", "-клип & 100%.MP4", Ends::Completing, 8},
    {"empty.jpg", "song.wav", "never.avi", Ends::WithTheErrorBox, -1, "is not a JPEG"},
    {"cover.jpg", "song.wav", "no such folder\\clip.avi", Ends::WithTheErrorBox, -1, "exit code"},
    {"обложка.jpg", "долгая.wav", "отменено & 100%.avi", Ends::CancelledAfter8s, 0},
    {"обложка.jpg", "долгая.wav", "at once.avi", Ends::CancelledAtOnce, -1},
};

class RealFfmpeg : public ProgramTest {
 protected:
  void SetUp() override {
    if (Env("FFMPEG_EXE").empty()) GTEST_SKIP() << "run by real_ffmpeg_test.sh";
    ProgramTest::SetUp();
  }
};

TEST_F(RealFfmpeg, ConversionsThroughTheProgram) {
  const std::string media = Env("MEDIA") + "\\";
  std::ofstream probe(std::filesystem::path(ToWide(media + "probe.txt")),
                      std::ios::binary | std::ios::app);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.output);
    std::string output = c.output;
    if (output.starts_with("<long>")) {
      std::string folder;
      while ((media + folder).size() < 280) folder += "папка с длинным именем\\";
      std::filesystem::create_directories(ToWide(media + folder));
      output.replace(0, 7, folder);
    }
    Win32SettingsStore store;
    const std::string app = identity::kTitle;
    store.Write(app, "config", "ffmpeg-location", Env("FFMPEG_EXE"));
    store.Write(app, "config", "image-file", media + c.image);
    store.Write(app, "config", "audio-file", media + c.audio);
    const bool here = output.starts_with('-');  // named as it stands: in the program's folder
    store.Write(app, "config", "save-file", here ? output : media + output);
    Start();
    const HWND main = WaitForWindow(identity::kMainCaption);
    ASSERT_NE(main, nullptr);
    ClickConvert(main);
    const HWND console = WaitForWindow("Convert to ..");
    ASSERT_NE(console, nullptr);
    const HWND pane = ::GetDlgItem(console, console_form::rtfOutput.number);
    ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
    if (c.ends == Ends::Completing) {
      EXPECT_EQ(AnswerMessageBox("Success!"), "Complete reading output!") << WindowText(pane);
    } else if (c.ends == Ends::WithTheErrorBox) {
      EXPECT_NE(AnswerMessageBox("Error").find(c.said), std::string::npos);
    } else {
      EXPECT_TRUE(test::WaitFor([&] {
        return c.ends == Ends::CancelledAtOnce
                   ? FfmpegRuns()
                   : WindowText(pane).find("frame=") != std::string::npos;
      }));
      if (c.ends == Ends::CancelledAfter8s) std::this_thread::sleep_for(std::chrono::seconds(8));
      const auto cancelled = std::chrono::steady_clock::now();
      ::PostMessageA(::GetDlgItem(console, console_form::cmdCancel.number), BM_CLICK, 0, 0);
      EXPECT_TRUE(test::WaitFor([] { return !FfmpegRuns(); }));
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - cancelled)
                          .count();
      std::printf("%s: FFmpeg gone %lld ms after Cancel\n", c.output, static_cast<long long>(ms));
      EXPECT_LT(ms, 5000);
    }
    ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
    EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    if (here) ::MoveFileW(ToWide(dir + output).c_str(), ToWide(media + output).c_str());
    std::replace(output.begin(), output.end(), '\\', '/');
    if (c.seconds >= 0) probe << output << '\t' << c.seconds << '\t' << c.audio << '\n';
  }
}

// The first edit box inside a window: the file dialog's name box.
HWND FindEdit(HWND parent) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[16] = {};
    ::GetClassNameW(child, kind, 16);
    if (_wcsicmp(kind, L"Edit") == 0) return child;
    if (const HWND inside = FindEdit(child)) return inside;
  }
  return nullptr;
}

// Three songs chosen with one selection in the Windows file dialog, one video each, then the
// same album through the console twin with a pattern the program expands.
TEST_F(RealFfmpeg, AnAlbumChosenAtOnceAndGivenAsAPatternBecomesOneVideoEach) {
  const std::string media = Env("MEDIA") + "\\";
  const std::string songs[] = {"1 it's & 100%.mp3", "2 Песня.mp3", "3 last.mp3"};
  Win32SettingsStore store;
  const std::string app = identity::kTitle;
  store.Write(app, "config", "ffmpeg-location", Env("FFMPEG_EXE"));
  store.Write(app, "config", "image-file", media + "cover.jpg");
  store.Write(app, "config", "save-file", media + "each\\x.mp4");
  Start();
  const HWND main = WaitForWindow(identity::kMainCaption);
  ASSERT_NE(main, nullptr);
  ::PostMessageA(::GetDlgItem(main, main_form::Command3.number), BM_CLICK, 0, 0);
  const HWND dialog = WaitForWindow("Select File");
  ASSERT_NE(dialog, nullptr);
  // Into the album's folder, then its three songs at once, as a user types or selects them.
  ::SetWindowTextW(FindEdit(dialog), ToWide(media + "album").c_str());
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ::SetWindowTextW(
      FindEdit(dialog),
      ToWide("\"" + songs[2] + "\" \"" + songs[0] + "\" \"" + songs[1] + "\"").c_str());
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(test::WaitFor([&] { return !::IsWindow(dialog); }));
  EXPECT_EQ(WindowText(::GetDlgItem(main, main_form::Text3.number)),
            "\"" + media + "album\\" + songs[0] + "\" \"" + media + "album\\" + songs[1] + "\" \"" +
                media + "album\\" + songs[2] + "\"");
  ClickConvert(main);
  const HWND question = WaitForWindow(identity::kTitle);
  ASSERT_NE(question, nullptr);
  ::PostMessageA(::GetDlgItem(question, songs_question_form::cmdEach.number), BM_CLICK, 0, 0);
  const HWND console = WaitForWindow("Convert to ..");
  ASSERT_NE(console, nullptr);
  ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
  EXPECT_NE(AnswerQueueDone("Success!").find("3 songs: 3 converted"), std::string::npos)
      << WindowText(::GetDlgItem(console, console_form::rtfOutput.number));
  ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);

  EXPECT_EQ(RunConsoleTwin("--ffmpeg \"" + Env("FFMPEG_EXE") + "\" --image \"" + media +
                           "cover.jpg\" --format mp4 --output-dir \"" + media + "pattern\" \"" +
                           media + "album\\*.mp3\""),
            0u);
  std::ofstream probe(std::filesystem::path(ToWide(media + "probe.txt")),
                      std::ios::binary | std::ios::app);
  for (const char* folder : {"each", "pattern"}) {
    for (const std::string& song : songs) {
      probe << folder << '/' << song.substr(0, song.size() - 4) << ".mp4\t8\talbum/" << song
            << '\n';
    }
  }
}

// Songs as real_ffmpeg_test.sh names them: '/' between folders, '|' between an album's songs.
std::string Probed(const std::string& songs) {
  std::string probed = songs;
  std::replace(probed.begin(), probed.end(), '\\', '/');
  return probed;
}

// Three tagged songs, only the first with a picture and none chosen, as one album video through
// the window's question.
TEST_F(RealFfmpeg, TaggedSongsBecomeOneAlbumVideoThroughTheWindow) {
  const std::string media = Env("MEDIA") + "\\";
  const std::string songs[] = {"titled\\1 cover.mp3", "titled\\2 it's.mp3", "titled\\3.mp3"};
  Win32SettingsStore store;
  const std::string app = identity::kTitle;
  store.Write(app, "config", "ffmpeg-location", Env("FFMPEG_EXE"));
  store.Write(app, "config", "image-file", "");
  store.Write(
      app, "config", "audio-file",
      "\"" + media + songs[0] + "\" \"" + media + songs[1] + "\" \"" + media + songs[2] + "\"");
  store.Write(app, "config", "save-file", media + "album\\My album.mp4");
  Start();
  const HWND main = WaitForWindow(identity::kMainCaption);
  ASSERT_NE(main, nullptr);
  // The first song's picture serves all three: no warning about the empty picture field.
  ClickConvert(main);
  const HWND question = WaitForWindow(identity::kTitle);
  ASSERT_NE(question, nullptr);
  ::PostMessageA(::GetDlgItem(question, songs_question_form::cmdAlbum.number), BM_CLICK, 0, 0);
  const HWND console = WaitForWindow("Convert to ..");
  ASSERT_NE(console, nullptr);
  ::PostMessageA(::GetDlgItem(console, console_form::cmdExecute.number), BM_CLICK, 0, 0);
  EXPECT_EQ(AnswerQueueDone("Success!"),
            "Complete reading output!\r\nAlbum of 3 songs: converted: " + media +
                "album\\My album.mp4, its track list: " + media +
                "album\\My album.txt\r\nThe video is in " + media + "album.")
      << WindowText(::GetDlgItem(console, console_form::rtfOutput.number));
  ::PostMessageA(main, WM_COMMAND, main_form::mnuExit.number, 0);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  std::ofstream(std::filesystem::path(ToWide(media + "probe.txt")),
                std::ios::binary | std::ios::app)
      << "album/My album.mp4\tsum\t" << Probed(songs[0] + "|" + songs[1] + "|" + songs[2]) << '\n';
}

// Thirty songs of about 200 characters each, in folders whose names a filter graph must escape,
// as one album through the console twin: cmd.exe, which runs FFmpeg, takes 8,191 characters.
TEST_F(RealFfmpeg, ThirtySongsWithLongPathsBecomeOneAlbumThroughTheConsoleTwin) {
  const std::string media = Env("MEDIA") + "\\";
  std::string folder = "deep\\";
  while (ToWide(media + folder).size() < 190) folder += "a, b; [c] = d's ё\\";
  std::filesystem::create_directories(ToWide(media + folder));
  std::string line = "--ffmpeg \"" + Env("FFMPEG_EXE") + "\" --image \"" + media +
                     "cover.jpg\" --album \"" + media + "deep.mp4\"";
  std::string probed;
  for (int i = 1; i <= 30; ++i) {
    const std::string song = folder + std::to_string(i) + ".wav";
    ASSERT_TRUE(
        ::CopyFileW(ToWide(media + "second.wav").c_str(), ToWide(media + song).c_str(), FALSE));
    line += " \"" + media + song + "\"";
    probed += (i > 1 ? "|" : "") + song;
  }
  EXPECT_EQ(RunConsoleTwin(line), 0u);
  std::ofstream(std::filesystem::path(ToWide(media + "probe.txt")),
                std::ios::binary | std::ios::app)
      << "deep.mp4\tsum\t" << Probed(probed) << '\n';
}

// A song whose full path is past 260 characters is found by a pattern, whichever part of its
// name the pattern gives: the first time beside it, then into a folder of its own.
TEST_F(RealFfmpeg, APatternFindsASongPastTheOldPathLimit) {
  const std::string media = Env("MEDIA") + "\\";
  std::string folder = "far\\";
  while (ToWide(media + folder).size() < 212) folder += "Weiter & weiter, Дальше\\";
  const std::string song = "z, a song whose name is forty-nine characters.mp3";
  std::filesystem::create_directories(ToWide(media + folder));
  std::filesystem::create_directories(ToWide(media + "far out"));
  ASSERT_TRUE(::CopyFileW(ToWide(media + "rock & roll!.mp3").c_str(),
                          ToWide(media + folder + song).c_str(), FALSE));
  ASSERT_GT(ToWide(media + folder + song).size(), 260u);
  const std::string arguments =
      "--ffmpeg \"" + Env("FFMPEG_EXE") + "\" --image \"" + media + "cover.png\" --format mp4 ";
  EXPECT_EQ(RunConsoleTwin(arguments + "\"" + media + folder + "z*\""), 0u);
  EXPECT_EQ(RunConsoleTwin(arguments + "--output-dir \"" + media + "far out\" \"" + media + folder +
                           "*.mp3\""),
            0u);
  const std::string video = song.substr(0, song.size() - 4) + ".mp4";
  std::ofstream(std::filesystem::path(ToWide(media + "probe.txt")),
                std::ios::binary | std::ios::app)
      << Probed(folder + video) << "\t8\trock & roll!.mp3\nfar out/" << video
      << "\t8\trock & roll!.mp3\n";
}

std::string Contents(const std::string& file) {
  std::ifstream in(std::filesystem::path(ToWide(file)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Songs of every kind, the first with its front cover and no picture chosen, as one album MP4
// and AVI through the console twin; then again with --overwrite and a text file for a picture,
// which fails and leaves the album as it was. The script checks the album's length against its
// songs' decoded lengths, its chapters, and its cover's colour (c02020) at 1 s.
TEST_F(RealFfmpeg, AMixedAlbumTakesItsFirstSongsCoverAndABadPictureLeavesItWhole) {
  const std::string media = Env("MEDIA") + "\\";
  const char* songs[] = {"cover song.mp3", "vbr song.mp3",  "wave song.wav",
                         "m4a song.m4a",   "adts song.aac", "flac song.flac"};
  std::string named, probed;
  for (const char* song : songs) {
    named += " \"" + media + "mixed\\" + song + "\"";
    probed += (probed.empty() ? "mixed/" : "|mixed/") + std::string(song);
  }
  const std::string ffmpeg = "--ffmpeg \"" + Env("FFMPEG_EXE") + "\"";
  std::ofstream probe(std::filesystem::path(ToWide(media + "probe.txt")),
                      std::ios::binary | std::ios::app);
  for (const std::string album : {"mixed.mp4", "mixed as AVI.avi"}) {
    SCOPED_TRACE(album);
    const std::string output = " --album \"" + media + album + "\"";
    EXPECT_EQ(RunConsoleTwin(ffmpeg + output + named), 0u);
    const std::string made = Contents(media + album);
    EXPECT_NE(RunConsoleTwin(ffmpeg + " --overwrite --image \"" + media + "not a picture.png\"" +
                             output + named),
              0u);
    EXPECT_TRUE(!made.empty() && Contents(media + album) == made) << "the album is not as it was";
    probe << album << "\tdecoded\t" << probed << "\tc02020\n";
  }
}

// A logoff during a batch of the console twin, as Windows carries it out (a closed console tells
// the batch through its handler instead; Wine 8 tells nothing there, it ends its programs).
TEST_F(RealFfmpeg, ALogoffDuringABatchLeavesNoCutShortVideoAndNoFfmpeg) {
  const std::string media = Env("MEDIA") + "\\";
  const std::string video = media + ".долгая.mp4.part";  // its name until it is whole
  std::string program = test::ProgramFolder() + FRAMORA_PROGRAM_FROM_TESTS;
  program.replace(program.size() - 4, 4, ".com");
  std::wstring line = ToWide("\"" + program + "\" --ffmpeg \"" + Env("FFMPEG_EXE") +
                             "\" --image \"" + media + "обложка.jpg\" \"" + media + "долгая.wav\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                               nullptr, nullptr, &startup, &info));
  const KernelHandle batch(info.hProcess), thread(info.hThread);
  const auto exists = [&] { return std::filesystem::exists(std::filesystem::path(ToWide(video))); };
  ASSERT_TRUE(test::WaitFor([&] { return FfmpegRuns() && exists(); }));
  const DWORD told = ::GetTickCount();
  ::EnumWindows(&EndSessionOf, static_cast<LPARAM>(info.dwProcessId));
  EXPECT_LT(::GetTickCount() - told, 5000u) << "within the time Windows gives";
  ::TerminateProcess(batch.get(), 0);
  EXPECT_FALSE(exists()) << "the cut-short video is removed";
  EXPECT_TRUE(test::WaitFor([] { return !FfmpegRuns(); }));
}

}  // namespace
}  // namespace framora::win32
