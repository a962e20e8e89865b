// From the four fields to a finished video, with Debian's real ffmpeg, checked with ffprobe.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "console/console_form.h"
#include "console/queue_done.h"
#include "convert/song_command.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_windows.h"
#include "main_window/main_form.h"
#include "main_window/songs_question_form.h"
#include "platform/posix/posix_files.h"
#include "qt/application.h"
#include "qt/console_window.h"
#include "support/qt_drops.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Runs a program with its arguments (no shell) and returns its standard output.
QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(120000);
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

struct Probe {
  QStringList streams;  // "codec_type:codec_name"
  double duration = -1;
};

Probe ProbeFile(const fs::path& file) {
  Probe probe;
  const QString out = RunTool(
      "ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name:format=duration",
                  "-of", "compact=p=0:nk=0", Q(file.string())});
  for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
    if (line.startsWith("codec_name=")) {
      const QStringList kv = line.split('|');
      probe.streams << kv.value(1).section('=', 1) + ":" + kv.value(0).section('=', 1);
    } else if (line.startsWith("duration=")) {
      probe.duration = line.section('=', 1).toDouble();
    }
  }
  return probe;
}

class ConversionEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media = test::MakeTempDir("media");
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=c=red:s=64x48", "-frames:v", "1",
                       Q(media + "/cover.png")});
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a",
                       "pcm_s16le", Q(media + "/tone.wav")});
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a",
                       "libmp3lame", Q(media + "/tone.mp3")});
  }

  void SetUp() override {
    work = test::MakeTempDir("work");
    fs::current_path(work);  // relative names and injected commands would land here
    app = std::make_unique<Application>(
        Application::Overrides{&messages, &dialog, &desktop, &question});
    app->Start();
    form = app->Window(WindowId::Form1);
    ASSERT_NE(form, nullptr);
  }
  void TearDown() override {
    app.reset();
    EXPECT_FALSE(fs::exists(fs::path(work) / "INJECTED")) << "a path ran as a command";
    EXPECT_FALSE(fs::exists(fs::path(media) / "INJECTED"));
  }

  // Copies a prepared file to an awkward name, in a folder of its own.
  std::string Place(const std::string& source, const std::string& folder, const std::string& name) {
    const fs::path dir = fs::path(work) / folder;
    fs::create_directories(dir);
    fs::copy_file(fs::path(media) / source, dir / name);
    return (dir / name).string();
  }

  void Fill(const std::string& ffmpeg, const std::string& image, const std::string& audio,
            const std::string& output) {
    form->SetText(main_form::Text1, ffmpeg);
    form->SetText(main_form::Text2, image);
    form->SetText(main_form::Text3, audio);
    form->SetText(main_form::Text4, output);
  }

  FramoraWindow* ClickConvert() {
    QTest::mouseClick(form->findChild<QWidget*>("Picture1"), Qt::LeftButton);
    return app->Window(WindowId::frmReadOutput);
  }

  // Launches, checks the hand-off, runs Execute to the end, and checks the video.
  void Convert(const std::string& ffmpeg, const std::string& image, const std::string& audio,
               const std::string& output, const QString& audioCodec,
               const QString& videoCodec = "mjpeg") {
    Fill(ffmpeg, image, audio, output);
    FramoraWindow* console = ClickConvert();
    ASSERT_NE(console, nullptr);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].prompt;
    // An AVI's command as the window always made it; an MP4's picture encoded first, then
    // repeated for the video, which takes its name once it is whole.
    const std::string command = console->Text(console_form::Text1);
    if (!convert::IsMp4Output(output)) {
      EXPECT_EQ(command,
                convert::BuildConversionCommand(ffmpeg, image, audio, output, ShellKind::Posix));
    }
    EXPECT_EQ(console->Text(console_form::txtCommand), command);

    QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Complete reading output!");
    EXPECT_EQ(messages.shown[0].title, "Success!");
    const std::string pane = console->View().Text(console_form::rtfOutput);
    const std::size_t joint = command.rfind(" && ");
    const std::string lastRun = joint == std::string::npos ? command : command.substr(joint + 4);
    EXPECT_NE(pane.find("C:\\> " + lastRun + "\r\n"), std::string::npos) << pane;

    ASSERT_TRUE(fs::is_regular_file(output)) << pane;
    const Probe video = ProbeFile(fs::absolute(output));
    EXPECT_EQ(video.streams, (QStringList{"video:" + videoCodec, "audio:" + audioCodec})) << pane;
    const Probe sound = ProbeFile(fs::absolute(audio));
    EXPECT_NEAR(video.duration, sound.duration, 0.5);
  }

  static inline std::string media;
  std::string work;
  test::FakeMessageBox messages;
  test::FakeFileDialog dialog;
  test::FakeDesktop desktop;
  test::FakeModal question;  // the songs question, answered by the button it is told to click
  std::unique_ptr<Application> app;
  FramoraWindow* form = nullptr;
};

TEST_F(ConversionEndToEnd, WavAndPngBecomeAnMjpegAviWithTheSoundCopied) {
  const std::string output = work + "/video.avi";
  Convert("/usr/bin/ffmpeg", media + "/cover.png", media + "/tone.wav", output, "pcm_s16le");
}

TEST_F(ConversionEndToEnd, Mp3IsCopiedUnchanged) {
  Convert("/usr/bin/ffmpeg", media + "/cover.png", media + "/tone.mp3", work + "/video.avi", "mp3");
}

TEST_F(ConversionEndToEnd, PathsWithBlanksQuotesAndShellCharactersWorkAndRunNothingElse) {
  const fs::path tools = fs::path(work) / "my tools";
  fs::create_directories(tools);
  fs::create_symlink("/usr/bin/ffmpeg", tools / "ff mpeg");
  const std::string image = Place("cover.png", "My Pictures", "x;touch INJECTED;.png");
  const std::string audio = Place("tone.wav", "it's \"here\"", "$(touch INJECTED) `touch X`.wav");
  const std::string output = work + "/Vidéo | ünïcode & more.avi";
  Convert((tools / "ff mpeg").string(), image, audio, output, "pcm_s16le");
  EXPECT_FALSE(fs::exists(fs::path(work) / "X"));
}

TEST_F(ConversionEndToEnd, Mp4OutputsAreH264AtThePicturesSizeWithTheSongsSoundTagsAndLength) {
  // A half-transparent PNG and a GIF of odd sizes, a tiny and a huge picture; WAV, MP3 and AMR
  // (this FFmpeg cannot write AMR: 100 frames of 20 ms, each a header and 31 bytes).
  for (const auto& [source, name] : {std::pair{"color=black:s=101x77,format=rgba,geq=r=255:g=0:"
                                               "b=0:a='255*gte(X,W/2)'",
                                               "half.png"},
                                     {"testsrc=s=33x21:r=5", "odd.gif"},
                                     {"testsrc=s=16x16", "-tiny.png"},
                                     {"testsrc=s=6000x4000", "huge.jpg"}}) {
    const QString frames = QString(name).endsWith(".gif") ? "10" : "1";  // an animated GIF
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", source, "-frames:v", frames,
                       Q(work + "/" + name)});
  }
  std::ofstream amr(work + "/tone.amr", std::ios::binary);
  amr << "#!AMR\n";
  for (int frame = 0; frame < 100; ++frame) amr << '\x3c' << std::string(31, '\0');
  amr.close();
  // A song with tags, an MP3 named ".wav", half a second, and three hours: a minute (16 kHz,
  // 8 kb/s) 180 times.
  const auto song = [&](const QString& sine, const QStringList& more, const std::string& name) {
    RunTool("ffmpeg", QStringList{"-v", "error", "-f", "lavfi", "-i", "sine=" + sine} + more +
                          QStringList{Q(work + "/" + name)});
  };
  song("d=120",
       QString("-metadata title=Tïtle -metadata artist=A -metadata album=B -metadata track=3/12 "
               "-metadata date=2021 -metadata comment=C")
           .split(' '),
       "song.mp3");
  song("d=2", {"-f", "mp3"}, "mp3.wav");
  song("d=0.5", {}, "-short.mp3");
  song("d=60:r=16000", {"-b:a", "8k"}, "minute.mp3");
  RunTool("ffmpeg", {"-v", "error", "-stream_loop", "179", "-i", Q(work + "/minute.mp3"), "-c",
                     "copy", Q(work + "/hours.mp3")});
  // In the frame the sharing sites show, 16:9 on a blurred copy of the picture.
  const std::string frame = "1920,1080,yuv420p";
  const std::string cases[][5] = {
      {"half.png", media + "/tone.wav", "half.mp4", frame, "aac"},
      {"odd.gif", media + "/tone.mp3", "Vidéo 'it's' \"odd\".MP4", frame, "mp3"},
      {"-tiny.png", "tone.amr", "tiny.mp4", frame, "aac"},
      {"huge.jpg", media + "/tone.wav", "huge.mp4", frame, "aac"},
      {"-tiny.png", "song.mp3", "-song.mp4", frame, "mp3"},
      {"-tiny.png", "mp3.wav", "copied.mp4", frame, "mp3"},
      {"-tiny.png", "-short.mp3", "short.mp4", frame, "mp3"},
      {"-tiny.png", "hours.mp3", "hours.mp4", frame, "mp3"},
  };
  const auto tags = [](const std::string& file) {
    QStringList tags = RunTool("ffprobe", {"-v", "error", "-show_entries",
                                           "format_tags=title,artist,album,track,date,comment",
                                           "-of", "default=nw=1", Q(fs::absolute(file).string())})
                           .split('\n', Qt::SkipEmptyParts);
    tags.sort();
    return tags;
  };
  const auto md5 = [](const std::string& file) {
    return RunTool("ffmpeg", {"-v", "error", "-i", Q(fs::absolute(file).string()), "-map", "0:a",
                              "-c", "copy", "-f", "md5", "-"});
  };
  for (const auto& [image, audio, output, picture, sound] : cases) {
    messages.shown.clear();
    Convert("/usr/bin/ffmpeg", image, audio, output, Q(sound), "h264");
    // The picture at its size, ending with the sound and the song within a tenth of a second.
    const QStringList probe =
        RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=width,height,pix_fmt,duration",
                            "-of", "csv=p=0", Q(fs::absolute(output).string())})
            .split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(probe.value(0).section(',', 0, 2), Q(picture)) << output;
    const double length = probe.value(0).section(',', 3).toDouble();
    EXPECT_NEAR(length, probe.value(1).toDouble(), 0.1) << output;
    EXPECT_NEAR(length, ProbeFile(fs::absolute(audio)).duration, 0.1) << output;
    EXPECT_EQ(tags(output), tags(audio)) << output;
    if (sound == "mp3") {
      EXPECT_EQ(md5(output), md5(audio)) << "every packet as it was";
    }
  }
  // The transparent half is black: grey 0 (red would be a fair part of white). The picture,
  // made 1413 pixels wide, stands from 253 on.
  EXPECT_EQ(RunTool("ffmpeg", {"-v", "error", "-i", Q(work + "/half.mp4"), "-frames:v", "1", "-vf",
                               "crop=2:2:400:500,format=gray", "-f", "rawvideo", "-"})
                .toLatin1()
                .toHex(),
            "00000000");
}

TEST_F(ConversionEndToEnd, AFailedConversionSaysSoWithFfmpegsExitCode) {
  // A missing image makes FFmpeg fail (1); a mistyped FFmpeg makes the shell fail (127).
  const struct {
    std::string ffmpeg;
    std::string image;
    int exitCode;
  } cases[] = {
      {"/usr/bin/ffmpeg", work + "/missing cover.png", 1},
      {work + "/no-ffmpeg-here", media + "/cover.png", 127},
  };
  for (const auto& c : cases) {
    const std::string output = work + "/failed-" + std::to_string(c.exitCode) + ".avi";
    Fill(c.ffmpeg, c.image, media + "/tone.wav", output);
    messages.shown.clear();
    FramoraWindow* console = ClickConvert();
    ASSERT_NE(console, nullptr);
    QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u) << "one box, and no \"Success!\"";
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messages.shown[0].prompt,
              "Complete reading output!\r\nThe command failed with exit code " +
                  std::to_string(c.exitCode) + ".");
    EXPECT_FALSE(fs::exists(output));
    const std::string pane = console->View().Text(console_form::rtfOutput);
    EXPECT_EQ(pane.substr(pane.size() - 7), "\r\nC:\\> ") << "the prompt as after any run";
  }
}

TEST_F(ConversionEndToEnd, AFileDroppedDuringAConversionLandsAndTheRunGoesOn) {
  const std::string output = work + "/dropped-during.avi";
  Fill("/usr/bin/ffmpeg", media + "/cover.png", media + "/tone.wav", output);
  FramoraWindow* console = ClickConvert();
  ASSERT_NE(console, nullptr);
  // Delivered by the event loop that the run keeps going.
  bool dropped = false;
  bool duringTheRun = false;
  QTimer::singleShot(0, [&] {
    duringTheRun = static_cast<ConsoleWindow*>(console)->Logic().ReadOutput1().Processing();
    std::unique_ptr<QMimeData> mime(test::Files({QString::fromStdString(media + "/tone.mp3")}));
    dropped = test::DropAt(form, test::CentreOf(form, form->findChild<QWidget*>("Text3")), *mime);
  });
  QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
  EXPECT_TRUE(duringTheRun);
  EXPECT_TRUE(dropped);
  EXPECT_EQ(form->Text(main_form::Text3), media + "/tone.mp3");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Success!");
  EXPECT_EQ(ProbeFile(output).streams, (QStringList{"video:mjpeg", "audio:pcm_s16le"}))
      << "the running command kept its WAV";
}

TEST_F(ConversionEndToEnd, ASecondClickAfterTheConversionSaysTheOutputExists) {
  const std::string output = work + "/again.avi";
  Convert("/usr/bin/ffmpeg", media + "/cover.png", media + "/tone.wav", output, "pcm_s16le");
  FramoraWindow* console = app->Window(WindowId::frmReadOutput);
  const std::string before = console->View().Text(console_form::rtfOutput);
  messages.shown.clear();
  ClickConvert();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt,
            "File " + output + " allready exists - Please choose another filename");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(console->View().Text(console_form::rtfOutput), before);
}

}  // namespace
}  // namespace framora::qt

namespace framora::qt {
namespace {

// An album dropped on the window with its cover, one video each: three MP4s of the songs'
// lengths and one "Success!"; then the window closed during the second song of a long queue
// keeps the first video, removes the second and starts no third, and the same queue again
// skips the first and makes the rest.
TEST_F(ConversionEndToEnd, AnAlbumDroppedOnTheWindowBecomesOneVideoEachAndAStopLeavesNothingHalf) {
  const std::string album = work + "/album";
  fs::create_directories(album);
  fs::create_directories(work + "/videos");
  const std::string songs[] = {album + "/1 it's & $HOME 100%.mp3", album + "/2 Песня.wav",
                               album + "/10 last.mp3"};
  const char* seconds[] = {"1.5", "2", "1"};
  for (int i = 0; i < 3; ++i) {
    RunTool("ffmpeg",
            {"-v", "error", "-f", "lavfi", "-i", QString("sine=d=") + seconds[i], Q(songs[i])});
  }
  Fill("/usr/bin/ffmpeg", "", "", work + "/videos/x.mp4");
  std::unique_ptr<QMimeData> mime(
      test::Files({Q(songs[2]), Q(songs[0]), Q(media + "/cover.png"), Q(songs[1])}));
  ASSERT_TRUE(
      test::DropAt(form, test::CentreOf(form, form->findChild<QWidget*>("Picture1")), *mime));
  EXPECT_EQ(form->Text(main_form::Text3),
            "\"" + songs[0] + "\" \"" + songs[1] + "\" \"" + songs[2] + "\"");
  question.click = songs_question_form::cmdEach;
  FramoraWindow* console = ClickConvert();
  ASSERT_NE(console, nullptr);
  EXPECT_EQ(question.view.Text("lblQuestion"),
            "3 songs: make one video for each song, or one album video of all 3?");
  // The end in a window of its own, with the way to the videos.
  question.also = console::queue_done_form::cmdOpen;
  QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(question.shown["frmQueueDone"][""], "Success!");
  EXPECT_EQ(question.shown["frmQueueDone"]["lblMessage"],
            "Complete reading output!\r\n3 songs: 3 converted, 0 skipped, 0 failed.\r\nThe "
            "videos are in " +
                work + "/videos.");
  EXPECT_EQ(desktop.shownFolders,
            (std::vector<std::pair<std::string, std::string>>{
                {work + "/videos", work + "/videos/1 it's & $HOME 100%.mp4"}}));
  for (int i = 0; i < 3; ++i) {
    const fs::path video = fs::path(work) / "videos" / fs::path(songs[i]).stem() += ".mp4";
    EXPECT_NEAR(ProbeFile(video).duration, ProbeFile(songs[i]).duration, 0.1) << video;
    fs::remove(video);
  }

  // Long songs now; the window closes once the second one's video has begun.
  for (int i = 0; i < 3; ++i) {
    fs::remove(songs[i]);
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=d=120", Q(songs[i])});
  }
  const fs::path second = fs::path(work) / "videos" / "2 Песня.mp4";
  const fs::path unfinished = fs::path(work) / "videos" / ".2 Песня.mp4.part";
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (fs::exists(unfinished)) app->Window(WindowId::frmReadOutput)->close();
  });
  closer.start(20);
  messages.shown.clear();
  QTest::mouseClick(app->Window(WindowId::frmReadOutput)->findChild<QPushButton*>("cmdExecute"),
                    Qt::LeftButton);
  closer.stop();
  // FFmpeg has its grace to stop in; then nothing of it is left, and neither is its video.
  const auto running = [&] {
    QProcess pgrep;
    pgrep.start("pgrep", {"-f", "^/usr/bin/ffmpeg .*" + Q(work)});
    pgrep.waitForFinished();
    return pgrep.exitCode() == 0;
  };
  for (int waited = 0; waited < 200 && (running() || fs::exists(unfinished)); ++waited) {
    QTest::qWait(50);
  }
  EXPECT_FALSE(running());
  EXPECT_FALSE(fs::exists(second));
  EXPECT_FALSE(fs::exists(unfinished));
  EXPECT_TRUE(fs::exists(fs::path(work) / "videos" / "1 it's & $HOME 100%.mp4"));
  EXPECT_FALSE(fs::exists(fs::path(work) / "videos" / "10 last.mp4"));
  EXPECT_TRUE(messages.shown.empty());

  question.shown.clear();
  console = ClickConvert();
  ASSERT_NE(console, nullptr);
  QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
  EXPECT_TRUE(question.shown["frmQueueDone"]["lblMessage"].starts_with(
      "Complete reading output!\r\n3 songs: 2 converted, 1 skipped, 0 failed.\r\n"));
  EXPECT_NEAR(ProbeFile(second).duration, 120, 0.1);
}

}  // namespace
}  // namespace framora::qt
