// The conversion launch: output-exists test, warnings, hand-off to the console window.
#include "main_window/songs_question_form.h"
#include "main_window_fixture.h"

namespace framora::test {
namespace {

class LaunchTest : public MainWindowTest {
 protected:
  void SetUp() override {
    // The console takes what the launch hands over; it puts the first command in its boxes.
    desk.Listen(this, [this](std::shared_ptr<queue::SongQueue> songs) {
      EXPECT_TRUE(windows.IsLoaded(WindowId::frmReadOutput)) << "shown first";
      handed = std::move(songs);
    });
  }
  std::string Command() const { return handed ? handed->Command(0) : "(nothing handed over)"; }
  std::shared_ptr<queue::SongQueue> handed;
  std::vector<std::string> Prompts() const {
    std::vector<std::string> out;
    for (const auto& m : messages.shown) out.push_back(m.prompt);
    return out;
  }
};

TEST_F(LaunchTest, WellFormedFieldsOpenTheConsoleWithTheCommandInBothBoxes) {
  Fields("/usr/bin/ffmpeg", "/pics/cover.jpg", "/music/song.mp3", "/out/video.avi");
  form.LaunchConversion();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(Stored(kKeySave), "/out/video.avi");
  EXPECT_EQ(Stored(kKeyImage), "/pics/cover.jpg") << "typed fields are remembered";
  EXPECT_EQ(Stored(kKeyAudio), "/music/song.mp3");
  const std::string command =
      "/usr/bin/ffmpeg -loop 1 -y -i /pics/cover.jpg -i /music/song.mp3 -shortest -acodec copy "
      "-vcodec mjpeg /out/video.avi";
  EXPECT_EQ(windows.log, (std::vector<std::string>{"frmReadOutput loaded", "frmReadOutput shown"}));
  EXPECT_EQ(files.findCalls, std::vector<std::string>{"/out/video.avi"});
  // The console knows the song and its video: what a failed run leaves there can go.
  ASSERT_TRUE(handed);
  EXPECT_EQ(handed->Command(0), command);
  EXPECT_EQ((*handed)[0].output, "/out/video.avi");
}

TEST_F(LaunchTest, TheSongsBytesNotItsNameDecideWhetherAnMp4CopiesItsSound) {
  const std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');
  for (const auto& [bytes, sound] :
       {std::pair<std::string, std::string>{frame + frame + frame + frame, "-c:a copy "},
        {"RIFF" + frame + frame + frame + frame, "-c:a aac "}}) {
    files.contents["/music/song.wav"] = bytes;
    Fields("/usr/bin/ffmpeg", "/pics/cover.jpg", "/music/song.wav", "/out/video.mp4");
    form.LaunchConversion();
    EXPECT_NE(Command().find(sound), std::string::npos) << Command();
  }
}

TEST_F(LaunchTest, SeveralSongsAskOneVideoEachGoesIntoTheOutputsFolder) {
  struct Case {
    std::string output;
    std::optional<ControlId> answer;
    std::string message;  // refused at the launch
    std::vector<std::string> videos;
  };
  const std::string songs = "\"/m/01 Intro.mp3\" \"/n/b.wav\"";
  files.folders = {"/v"};
  files.AddMatch("/v/Album.mp4", "Album.mp4");  // its own name is not used
  files.contents["/v/Album.mp4"] = files.contents["/v/y.txt"] = "";
  const Case cases[] = {
      {"/v/Album.mp4", songs_question_form::cmdEach, "", {"/v/01 Intro.mp4", "/v/b.mp4"}},
      {"/v/x.AVI", songs_question_form::cmdEach, "", {"/v/01 Intro.avi", "/v/b.avi"}},
      {"/v/x.avi", songs_question_form::cmdCancel, "", {}},
      // One album video at the output's own path, unless it or its track list exists.
      {"/v/x.avi", songs_question_form::cmdAlbum, "", {"/v/x.avi"}},
      {"/v/Album.mp4", songs_question_form::cmdAlbum, "File /v/Album.mp4 allready exists", {}},
      {"/v/y.mp4", songs_question_form::cmdAlbum, "File /v/y.txt allready exists", {}},
      {"", std::nullopt, "The output field is empty: choose the folder of the videos", {}},
      {"/none/x.avi", std::nullopt, "The folder /none does not exist", {}},
  };
  for (const Case& c : cases) {
    Fields("/usr/bin/ffmpeg", "/p/cover.jpg", songs, c.output);
    messages.shown.clear();
    windows.log.clear();
    modal.click = c.answer;
    handed.reset();
    form.LaunchConversion();
    EXPECT_EQ(messages.shown.empty() ? "" : messages.shown[0].prompt.substr(0, c.message.size()),
              c.message);
    EXPECT_EQ(modal.view.Text("lblQuestion").empty(), !c.answer) << "asked only when refused not";
    std::vector<std::string> videos;
    for (std::size_t i = 0; handed && i < handed->Size(); ++i)
      videos.push_back((*handed)[i].output);
    EXPECT_EQ(videos, c.videos) << c.output;
    modal.view.texts.clear();
  }
}

TEST_F(LaunchTest, AnExistingOutputStopsEverythingWithOneCriticalMessage) {
  Fields("/usr/bin/ffmpeg", "/pics/cover.jpg", "/music/song.mp3", "/out/video.avi");
  files.AddMatch("/out/video.avi", "video.avi");
  form.LaunchConversion();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt,
            "File /out/video.avi allready exists - Please choose another filename");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages.shown[0].title, "Framora audio converter");
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(windows.log.empty()) << "the console is neither shown nor changed";
}

TEST_F(LaunchTest, AFiveCharacterFfmpegPathWarnsAndStillLaunches) {
  Fields("/ff/x", "/pics/cover.jpg", "/music/song.mp3", "/out/v.avi");
  form.LaunchConversion();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "FFMPEG EXE FILE LOCATION MISSING");
  EXPECT_EQ(messages.shown[0].title, "FFMPEG LOCATION");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
  EXPECT_TRUE(windows.IsLoaded(WindowId::frmReadOutput));
}

TEST_F(LaunchTest, AShortFfmpegPathWarnsInOrderAndLaunchesNothing) {
  for (const char* ffmpeg : {"/ffm", ""}) {
    messages.shown.clear();
    Fields(ffmpeg, "a.png", "", "/out/v.avi");
    form.LaunchConversion();
    EXPECT_EQ(Prompts(), (std::vector<std::string>{"FFMPEG EXE FILE LOCATION MISSING",
                                                   "IMAGE FILE LOCATION MISSING",
                                                   "AUDIO FILE LOCATION MISSING"}));
    EXPECT_EQ(messages.shown[1].title, "IMAGE LOCATION");
    EXPECT_EQ(messages.shown[2].title, "AUDIO LOCATION");
    EXPECT_FALSE(windows.IsLoaded(WindowId::frmReadOutput));
    EXPECT_EQ(Stored(kKeySave), "/out/v.avi") << "stored before the warnings";
  }
}

TEST_F(LaunchTest, EmptyImageAndAudioGiveTwoWarningsAndTwoBlanksAfterEachInput) {
  Fields("/usr/bin/ffmpeg", "", "", "/out/v.avi");
  form.LaunchConversion();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"IMAGE FILE LOCATION MISSING",
                                                 "AUDIO FILE LOCATION MISSING"}));
  EXPECT_EQ(Command(),
            "/usr/bin/ffmpeg -loop 1 -y -i  -i  -shortest -acodec copy -vcodec mjpeg /out/v.avi");
}

TEST_F(LaunchTest, ASongThatCarriesAPictureNeedsNoneChosenAndShowsItsOwn) {
  const std::string apic = std::string("\0image/png\0\x03\0", 13) + "\x89PNG";
  const std::string frame =
      "APIC" + std::string(3, '\0') + static_cast<char>(apic.size()) + std::string(2, '\0') + apic;
  files.contents["/m/c.mp3"] =
      std::string("ID3\x03\0\0\0\0\0", 9) + static_cast<char>(frame.size()) + frame;
  Fields("/usr/bin/ffmpeg", "", "/m/c.mp3", "/out/v.avi");
  form.LaunchConversion();
  EXPECT_EQ(Prompts(), std::vector<std::string>{});
  EXPECT_EQ(Command(),
            "/usr/bin/ffmpeg -y -i /m/c.mp3 -i /m/c.mp3 -filter_complex "
            "'[0:v:0]loop=-1:1,setpts=N/25/TB,fps=25[v]' -map '[v]' -map 1:a:0 -shortest -acodec "
            "copy -vcodec mjpeg /out/v.avi");
}

TEST_F(LaunchTest, LengthsAreCountedInCharacters) {
  // Six bytes but three characters: warned about and not launched.
  Fields("/äö", "/pics/a.png", "/music/a.wav", "/out/v.avi");
  form.LaunchConversion();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"FFMPEG EXE FILE LOCATION MISSING"});
  EXPECT_FALSE(windows.IsLoaded(WindowId::frmReadOutput));
}

TEST_F(LaunchTest, ASecondLaunchReusesTheOpenConsoleAndHandsItTheNewSong) {
  Fields("/usr/bin/ffmpeg", "/pics/a.png", "/music/a.wav", "/out/one.avi");
  form.LaunchConversion();
  view.texts["Text4"] = "/out/two.avi";
  form.LaunchConversion();
  EXPECT_EQ(windows.loads[FakeWindowManager::Index(WindowId::frmReadOutput)], 1);
  EXPECT_NE(Command().find("/out/two.avi"), std::string::npos);
}

TEST_F(LaunchTest, ALaunchAfterTheConsoleWasClosedLoadsItAfresh) {
  Fields("/usr/bin/ffmpeg", "/pics/a.png", "/music/a.wav", "/out/one.avi");
  form.LaunchConversion();
  windows.Close(WindowId::frmReadOutput);
  form.LaunchConversion();
  EXPECT_EQ(windows.loads[FakeWindowManager::Index(WindowId::frmReadOutput)], 2);
}

TEST_F(LaunchTest, EnterInTheOutputFieldStoresAndLaunches) {
  Fields("/usr/bin/ffmpeg", "/pics/a.png", "/music/a.wav", "/out/v.avi");
  form.Text4_KeyDown(kKeyEnter, 0);
  EXPECT_EQ(Stored(kKeySave), "/out/v.avi");
  EXPECT_TRUE(windows.IsLoaded(WindowId::frmReadOutput));
}

TEST_F(LaunchTest, EnterInTheOutputFieldStoresEvenWhenTheOutputExists) {
  Fields("/usr/bin/ffmpeg", "/pics/a.png", "/music/a.wav", "/out/v.avi");
  files.AddMatch("/out/v.avi", "v.avi");
  form.Text4_KeyDown(kKeyEnter, 0);
  EXPECT_EQ(Stored(kKeySave), "/out/v.avi");
  EXPECT_EQ(Prompts(), std::vector<std::string>{
                           "File /out/v.avi allready exists - Please choose another filename"});
  EXPECT_FALSE(windows.IsLoaded(WindowId::frmReadOutput));
}

TEST_F(LaunchTest, OtherKeysInTheOutputFieldDoNothing) {
  Fields("/usr/bin/ffmpeg", "/pics/a.png", "/music/a.wav", "/out/v.avi");
  for (std::uint16_t key : {10, 27, 65, 0x0D00}) form.Text4_KeyDown(key, 1);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(windows.log.empty());
}

}  // namespace
}  // namespace framora::test
