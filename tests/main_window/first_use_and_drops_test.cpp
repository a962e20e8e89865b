// FFmpeg found by itself on first use, and files dropped from a file manager.
#include <algorithm>

#include "main_window/drops.h"
#include "main_window/song_list.h"
#include "main_window_fixture.h"

namespace framora::test {
namespace {

// --- Finding FFmpeg ---

TEST(FindProgram, LooksInTheFoldersOfThePathInOrderAsTheSystemDoes) {
  struct Case {
    const char* what;
    std::string path;
    std::set<std::string> programs;
    std::optional<std::string> found;
  };
  const Case cases[] = {
      {"the first of two",
       "/usr/local/bin:/usr/bin",
       {"/usr/bin/ffmpeg", "/usr/local/bin/ffmpeg"},
       "/usr/local/bin/ffmpeg"},
      {"empty and relative entries skipped",
       "::.:bin:/opt/ff/",
       {"./ffmpeg", "bin/ffmpeg", "/opt/ff/ffmpeg"},
       "/opt/ff/ffmpeg"},
      {"nothing there", "/usr/bin:/bin", {}, std::nullopt},
      {"no PATH at all", "", {"/usr/bin/ffmpeg"}, std::nullopt},
  };
  for (const Case& c : cases) {
    FakeProgramSearch system;
    system.path = c.path;
    system.programs = c.programs;
    EXPECT_EQ(FindProgram(system, PosixFfmpegSearch()), c.found) << c.what;
  }
}

TEST(FindProgram, OnWindowsTheProgramsOwnFolderComesFirstAndQuotedEntriesCount) {
  FakeProgramSearch system;
  system.path = "C:\\Windows;;\"C:\\Tools;2\\ff\";D:\\ffmpeg\\bin\\";
  const ProgramSearch how = WindowsFfmpegSearch("C:\\Program Files\\Framora");
  EXPECT_EQ(FindProgram(system, how), std::nullopt);
  EXPECT_EQ(system.looked, (std::vector<std::string>{
                               "C:\\Program Files\\Framora\\ffmpeg.exe", "C:\\Windows\\ffmpeg.exe",
                               "C:\\Tools;2\\ff\\ffmpeg.exe", "D:\\ffmpeg\\bin\\ffmpeg.exe"}));
  system.programs = {"C:\\Tools;2\\ff\\ffmpeg.exe", "C:\\Program Files\\Framora\\ffmpeg.exe"};
  EXPECT_EQ(FindProgram(system, how), "C:\\Program Files\\Framora\\ffmpeg.exe");
}

TEST_F(MainWindowTest, WithoutAStoredFfmpegTheLoadShowsTheOneTheSystemWouldRunAndStoresNothing) {
  programs.path = "/usr/local/bin:/usr/bin";
  programs.programs = {"/usr/bin/ffmpeg"};
  form.Load();
  EXPECT_EQ(view.Text("Text1"), "/usr/bin/ffmpeg");
  EXPECT_TRUE(settings.writes.empty());
}

TEST_F(MainWindowTest, AStoredFfmpegEvenAnEmptyOneWinsOverTheLookUp) {
  programs.path = "/usr/bin";
  programs.programs = {"/usr/bin/ffmpeg"};
  Store(kKeyFfmpeg, "");  // a chooser was cancelled once
  form.Load();
  EXPECT_EQ(view.Text("Text1"), "");
  EXPECT_TRUE(programs.looked.empty());
}

// --- Dropped files ---

TEST(DroppedPath, FileAddressesBecomeLocalPathsOtherAddressesNothing) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"file:///tmp/My%20Music/caf%C3%A9.wav", "/tmp/My Music/café.wav"},
      {"file:///tmp/100%2541.wav", "/tmp/100%41.wav"},  // decoded once, not twice
      {"file:///tmp/a%23b.png", "/tmp/a#b.png"},
      {"file:///tmp/odd%zz%4", "/tmp/odd%zz%4"},  // not an escape: kept
      {"file://localhost/tmp/x.wav", "/tmp/x.wav"},
      {"FILE:/tmp/x.wav", "/tmp/x.wav"},
      {"file:///tmp/x.wav#part", "/tmp/x.wav"},
      {"file://server/share/x.wav", std::nullopt},  // another machine's
      {"https://example.com/x.wav", std::nullopt},
      {"smb://nas/x.wav", std::nullopt},
      {"/tmp/plain path.wav", "/tmp/plain path.wav"},
      {"C:\\Music\\x.wav", "C:\\Music\\x.wav"},  // a drive, not a scheme
      {"", std::nullopt},
  };
  for (const auto& [item, path] : cases) EXPECT_EQ(DroppedPath(item), path) << item;
}

TEST(FieldForFile, ByKindWhateverTheLetterCase) {
  const std::optional<ControlId> Text1 = main_form::Text1, Text2 = main_form::Text2,
                                 Text3 = main_form::Text3;
  const std::pair<const char*, std::optional<ControlId>> cases[] = {
      {"/p/a.jpg", Text2},           {"/p/a.JPEG", Text2},
      {"C:\\p\\a.Gif", Text2},       {"/p/a.png", Text2},
      {"/m/a.wav", Text3},           {"/m/a.MP3", Text3},
      {"/m/a.amr", Text3},           {"/m/a.M4A", Text3},
      {"/m/a.flac", Text3},          {"/usr/bin/ffmpeg", Text1},
      {"C:\\ff\\FFmpeg.EXE", Text1}, {"/v/a.avi", std::nullopt},
      {"/m/wav", std::nullopt},      {"/usr/bin/ffmpeg2", std::nullopt},
  };
  for (const auto& [path, field] : cases)
    EXPECT_EQ(FieldForFile(path, ShellKind::Cmd), field) << path;
}

TEST_F(MainWindowTest, AFileDroppedOnAFieldIsChosenForItAsItsChooserWouldHave) {
  Fields("old", "old", "old", "old");
  form.FilesDropped(main_form::Text1, {"file:///opt/ff%20mpeg/ffmpeg"});
  form.FilesDropped(main_form::Text2,
                    {"file:///tmp/My%20Pictures/caf%C3%A9.png", "/tmp/second.png"});
  form.FilesDropped(main_form::Text3, {"/music/a song.mp3"});
  form.FilesDropped(main_form::Text4, {"/videos/clip.mp4"});
  EXPECT_EQ(view.Text("Text1"), "/opt/ff mpeg/ffmpeg");
  EXPECT_EQ(view.Text("Text2"), "/tmp/My Pictures/café.png");
  EXPECT_EQ(view.Text("Text3"), "/music/a song.mp3");
  EXPECT_EQ(view.Text("Text4"), "/videos/clip.mp4");
  EXPECT_EQ(Stored(kKeyFfmpeg), "/opt/ff mpeg/ffmpeg");
  EXPECT_EQ(Stored(kKeyImage), "/tmp/My Pictures/café.png");
  EXPECT_EQ(Stored(kKeyAudio), "/music/a song.mp3");
  EXPECT_EQ(Stored(kKeySave), std::nullopt) << "the output path is stored by the launch only";
}

TEST_F(MainWindowTest, FilesDroppedBesideTheFieldsGoByKindAndTheLastOfAKindWins) {
  Fields("keep", "keep", "keep", "keep");
  form.FilesDropped(main_form::Picture1, {"/p/one.jpg", "/m/tone.WAV", "/p/two.png", "/v/other.avi",
                                          "/notes.txt", "/usr/bin/ffmpeg"});
  EXPECT_EQ(view.Text("Text1"), "/usr/bin/ffmpeg");
  EXPECT_EQ(view.Text("Text2"), "/p/two.png");
  EXPECT_EQ(view.Text("Text3"), "/m/tone.WAV");
  EXPECT_EQ(view.Text("Text4"), "keep");
  EXPECT_EQ(settings.writes.size(), 3u);
  EXPECT_EQ(Stored(kKeyImage), "/p/two.png");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt,
            "Not used of what was dropped:\r\n/p/one.jpg: one picture is used, the last one "
            "dropped\r\n/v/other.avi: not a song, a picture or FFmpeg\r\n/notes.txt: not a "
            "song, a picture or FFmpeg");
}

TEST_F(MainWindowTest, SeveralSongsDroppedOrChosenAreListedInFileNameOrderAndNoneIsLost) {
  files.folders = {"/album", "/empty"};
  files.entries["/album"] = {"10 Ten.mp3", "cover.jpg", "2 Two.wav", "sub"};
  files.folders.insert("/album/sub");
  struct Case {
    ControlId where;
    std::vector<std::string> items;  // dropped; empty: chosen in the audio chooser
    std::string chosen;
    std::string field;
    std::string message;
  };
  const Case cases[] = {
      {main_form::Text3,
       {"/m/b 10.mp3", "/m/b 9.mp3", "/m/A 1.wav"},
       "",
       "\"/m/A 1.wav\" \"/m/b 9.mp3\" \"/m/b 10.mp3\"",
       ""},
      {main_form::Picture1,
       {"/album", "/c/1 One.amr", "/empty", "/p/cover.png"},
       "",
       "\"/c/1 One.amr\" \"/album/2 Two.wav\" \"/album/10 Ten.mp3\"",
       "Not used of what was dropped:\r\n/empty: a folder without songs"},
      {main_form::Text3,
       {"/m/a.mp3", "/m/say \"hi\".mp3"},
       "",
       "/m/a.mp3",
       "Not used of what was dropped:\r\n/m/say \"hi\".mp3: its name holds a double quote, which "
       "a list of songs cannot hold"},
      {main_form::Text3, {}, "/m/z.mp3\n/m/y.mp3", "\"/m/y.mp3\" \"/m/z.mp3\"", ""},
      {main_form::Text3, {}, "/m/say \"hi\".mp3", "/m/say \"hi\".mp3", ""},
  };
  for (const Case& c : cases) {
    messages.shown.clear();
    if (c.items.empty()) {
      dialog.answers = {c.chosen};
      form.Command3_Click();
      EXPECT_TRUE(dialog.requests.back().multiSelect);
    } else {
      form.FilesDropped(c.where, c.items);
    }
    EXPECT_EQ(view.Text("Text3"), c.field);
    EXPECT_EQ(Stored(kKeyAudio), c.field) << "the album is remembered";
    EXPECT_EQ(messages.shown.empty() ? "" : messages.shown[0].prompt, c.message) << c.field;
  }
  EXPECT_EQ(view.Text("Text2"), "/p/cover.png");
}

TEST(SongList, TheAudioFieldHoldsOneSongAsItStandsOrSeveralQuoted) {
  using Songs = std::vector<std::string>;
  const std::pair<std::string, Songs> fields[] = {
      {"C:\\Music\\01 Intro.mp3", {"C:\\Music\\01 Intro.mp3"}},
      {"\"a.mp3\"", {"a.mp3"}},
      {"\"C:\\M\\01 Intro.mp3\" \"C:\\M\\02 Song.mp3\"",
       {"C:\\M\\01 Intro.mp3", "C:\\M\\02 Song.mp3"}},
      {" \"a b.mp3\"  c d.wav \"e.mp3\" f.amr ", {"a b.mp3", "c d.wav", "e.mp3", "f.amr"}},
      {"/m/say \"hi\".mp3", {"/m/say \"hi\".mp3"}},
      {"/m/say \"hi\" there.mp3", {"/m/say", "hi", "there.mp3"}},
      {"   ", {}},
      {"", {}},
  };
  for (const auto& [field, songs] : fields) EXPECT_EQ(SongsInField(field), songs) << field;
  EXPECT_EQ(SongField({"/m/a b.mp3"}), "/m/a b.mp3") << "one song stays bare";
  EXPECT_EQ(SongField({"/m/say \"hi\" there.mp3"}), std::nullopt) << "it would read as three";
  Songs names = {"/b/Track 10.mp3", "/a/track 9.mp3", "/c/Track 009.mp3",
                 "/a/intro.mp3",    "/z/Ärger.mp3",   "/a/Track 10.mp3"};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return InFileNameOrder(a, b, ShellKind::Posix);
  });
  EXPECT_EQ(names, (Songs{"/a/intro.mp3", "/a/track 9.mp3", "/c/Track 009.mp3", "/a/Track 10.mp3",
                          "/b/Track 10.mp3", "/z/Ärger.mp3"}));
}

TEST_F(MainWindowTest, FoldersRemoteFilesAndFilesOfNoKindAreLeftAlone) {
  Fields("keep", "keep", "keep", "keep");
  files.folders = {"/p/album.png"};
  form.FilesDropped(main_form::Text2, {"/p/album.png", "file://nas/p/a.png"});
  form.FilesDropped(WindowItself(WindowId::Form1),
                    {"/p/album.png", "/notes.txt", "http://example.com/a.wav"});
  for (const char* f : {"Text1", "Text2", "Text3", "Text4"}) EXPECT_EQ(view.Text(f), "keep") << f;
  EXPECT_TRUE(settings.writes.empty());
  ASSERT_EQ(messages.shown.size(), 2u) << "each drop names what it did not use";
  EXPECT_EQ(messages.shown[1].prompt,
            "Not used of what was dropped:\r\n/p/album.png: a folder without songs\r\n"
            "http://example.com/a.wav: not a file on this computer\r\n/notes.txt: not a song, a "
            "picture or FFmpeg");
}

}  // namespace
}  // namespace framora::test
