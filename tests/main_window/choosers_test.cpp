// The window load and the four choosers over a shared file dialog.
#include "main_window_fixture.h"

namespace framora::test {
namespace {

TEST_F(MainWindowTest, LoadFillsTheFourFieldsFromTheStore) {
  Store(kKeyFfmpeg, "/usr/bin/ffmpeg");
  Store(kKeyImage, "/pics/cover.png");
  Store(kKeyAudio, "");
  Store(kKeySave, "/out/vid.avi");
  form.Load();
  EXPECT_EQ(view.Text("Text1"), "/usr/bin/ffmpeg");
  EXPECT_EQ(view.Text("Text2"), "/pics/cover.png");
  EXPECT_EQ(view.Text("Text3"), "");
  EXPECT_EQ(view.Text("Text4"), "/out/vid.avi");
  EXPECT_TRUE(settings.writes.empty()) << "loading stores nothing";
}

TEST_F(MainWindowTest, FirstRunWithAnEmptyStoreGivesEmptyFields) {
  Fields("x", "x", "x", "x");
  form.Load();
  for (const char* f : {"Text1", "Text2", "Text3", "Text4"}) EXPECT_EQ(view.Text(f), "") << f;
}

TEST_F(MainWindowTest, FfmpegChooserTakesAChosenFileAndStoresIt) {
  dialog.answers = {std::string("/opt/ffmpeg/bin/ffmpeg")};
  form.Command1_Click();
  ASSERT_EQ(dialog.requests.size(), 1u);
  EXPECT_EQ(dialog.requests[0].kind, FileDialogKind::Open);
  EXPECT_EQ(dialog.requests[0].filter, "FFMPEG App (*.exe)");
  EXPECT_EQ(dialog.requests[0].defaultExt, "");
  EXPECT_EQ(dialog.requests[0].dialogTitle, "Select File");
  EXPECT_EQ(view.Text("Text1"), "/opt/ffmpeg/bin/ffmpeg");
  EXPECT_EQ(Stored(kKeyFfmpeg), "/opt/ffmpeg/bin/ffmpeg");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, FfmpegChooserCancelledWithEmptyNameWarnsAndRestoresTheField) {
  view.texts["Text1"] = "typed by hand";
  dialog.answers = {std::nullopt};
  form.Command1_Click();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "not a valid executable filename");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
  EXPECT_EQ(messages.shown[0].title, "Framora audio converter");
  EXPECT_EQ(view.Text("Text1"), "typed by hand");
  EXPECT_EQ(Stored(kKeyFfmpeg), "typed by hand") << "the field is written back all the same";
}

TEST_F(MainWindowTest, FfmpegChooserNeedsMoreThanFourCharacters) {
  dialog.answers = {std::string("/a/b")};
  form.Command1_Click();
  EXPECT_EQ(messages.shown.size(), 1u) << "exactly four characters are refused";
  EXPECT_EQ(view.Text("Text1"), "");

  dialog.answers = {std::string("/a/bc")};
  form.Command1_Click();
  EXPECT_EQ(messages.shown.size(), 1u) << "five characters pass";
  EXPECT_EQ(view.Text("Text1"), "/a/bc");
}

TEST_F(MainWindowTest, FfmpegLengthTestCountsCharactersNotBytes) {
  dialog.answers = {std::string("/äöü")};  // four characters, seven bytes
  form.Command1_Click();
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(view.Text("Text1"), "");
}

TEST_F(MainWindowTest, FfmpegChooserKeepsTheNameLeftByTheLastChooser) {
  dialog.answers = {std::string("/pics/cover.jpg"), std::nullopt};
  form.Command2_Click();
  form.Command1_Click();  // cancelled, but FileName still holds the image
  ASSERT_EQ(dialog.requests.size(), 2u);
  EXPECT_EQ(dialog.requests[1].fileName, "/pics/cover.jpg") << "shown in the name box";
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(view.Text("Text1"), "/pics/cover.jpg");
  EXPECT_EQ(Stored(kKeyFfmpeg), "/pics/cover.jpg");
}

TEST_F(MainWindowTest, ImageAndAudioChoosersStartEmptyAndStoreWhatComesBack) {
  form.CommonDialog1().FileName = "/left/over.exe";
  dialog.answers = {std::string("/pics/a.png"), std::string("/music/b.mp3")};
  form.Command2_Click();
  form.Command3_Click();
  ASSERT_EQ(dialog.requests.size(), 2u);
  EXPECT_EQ(dialog.requests[0].fileName, "");
  // The choosers' own entries first, then every kind the program takes, and every file.
  EXPECT_EQ(dialog.requests[0].filter,
            "Jpegs (*.jpg)|*.jpg|GIF files (*.gif)|*.gif|PNG files (*.png)|*.png|All "
            "pictures|*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.webp|All files|*.*");
  EXPECT_EQ(dialog.requests[1].filter,
            "Wave file (*.wav)|*.wav|MP3 files (*.mp3)|*.mp3|AMR files (*.amr)|*.amr|All audio "
            "files|*.wav;*.mp3;*.amr;*.flac;*.m4a;*.aac;*.ogg;*.opus|All files|*.*");
  for (const auto& r : dialog.requests) {
    EXPECT_EQ(r.kind, FileDialogKind::Open);
    EXPECT_EQ(r.dialogTitle, "Select File");
  }
  EXPECT_EQ(view.Text("Text2"), "/pics/a.png");
  EXPECT_EQ(view.Text("Text3"), "/music/b.mp3");
  EXPECT_EQ(Stored(kKeyImage), "/pics/a.png");
  EXPECT_EQ(Stored(kKeyAudio), "/music/b.mp3");
}

TEST_F(MainWindowTest, CancellingImageOrAudioEmptiesTheFieldAndStoresEmpty) {
  Fields("", "/old.png", "/old.wav", "");
  dialog.answers = {std::nullopt, std::nullopt};
  form.Command2_Click();
  form.Command3_Click();
  EXPECT_EQ(view.Text("Text2"), "");
  EXPECT_EQ(view.Text("Text3"), "");
  EXPECT_EQ(Stored(kKeyImage), "") << "an empty string is a stored value";
  EXPECT_EQ(Stored(kKeyAudio), "");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, OutputChooserAddsTheChosenKindsExtensionUnlessTheNameHasOne) {
  const struct {
    const char* chosen;
    int entry;  // 1: AVI, 2: MP4
    const char* expected;
  } cases[] = {
      {"/out/clip", 1, "/out/clip.avi"},
      {"/out/Clip.AVI", 1, "/out/Clip.AVI"},
      {"/out/clip.avi.bak", 1, "/out/clip.avi.bak"},
      {"/out/clip.MP4", 1, "/out/clip.MP4"},  // typed as an MP4: one
      {"/out/clip.mp4.bak", 1, "/out/clip.mp4.bak.avi"},
      {"/out/clip", 2, "/out/clip.mp4"},
      {"/out/clip.wav", 2, "/out/clip.wav.mp4"},
      {"/out/clip.avi", 2, "/out/clip.avi"},  // typed as an AVI: one
  };
  for (const auto& c : cases) {
    dialog.answers = {std::string(c.chosen)};
    dialog.filterIndex = c.entry;
    form.Command4_Click();
    EXPECT_EQ(view.Text("Text4"), c.expected) << c.chosen << " " << c.entry;
  }
  EXPECT_EQ(dialog.requests.back().kind, FileDialogKind::Save);
  EXPECT_EQ(dialog.requests.back().filter, "AVI (*.avi)||MP4 (*.mp4)");
  EXPECT_EQ(dialog.requests.back().fileName, "");
  EXPECT_TRUE(settings.writes.empty()) << "the output chooser stores nothing";
}

TEST_F(MainWindowTest, CancellingTheOutputChooserLeavesJustTheExtension) {
  view.texts["Text4"] = "/out/old.avi";
  dialog.answers = {std::string("/out/new"), std::nullopt};
  dialog.filterIndex = 2;
  form.Command4_Click();
  form.Command4_Click();
  EXPECT_EQ(view.Text("Text4"), ".avi") << "the MP4 entry of the run before counts no more";
  EXPECT_FALSE(Stored(kKeySave).has_value());
}

TEST_F(MainWindowTest, DialogPropertiesSurviveBetweenChoosers) {
  dialog.answers = {std::string("/out/a.avi"), std::nullopt};
  form.Command4_Click();
  form.Command1_Click();
  // The output chooser cleared FileName and then filled it; the FFmpeg chooser sees it.
  EXPECT_EQ(dialog.requests[1].fileName, "/out/a.avi");
  EXPECT_EQ(view.Text("Text1"), "/out/a.avi");
}

}  // namespace
}  // namespace framora::test
