// The FFmpeg command: exact text for ordinary paths, and paths that survive the interpreter.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "convert/album.h"
#include "convert/command_text.h"
#include "convert/names.h"
#include "convert/song_command.h"
#include "convert/track_list.h"
#include "support/temp_env.h"

namespace framora::convert {
namespace {

using media::SoundCodec;

TEST(ConversionCommand, PlainPathsGoInExactlyAsTheyAre) {
  EXPECT_EQ(BuildConversionCommand("C:\\ffmpeg\\ffmpeg.exe", "C:\\pics\\cover.jpg",
                                   "C:\\music\\song.mp3", "C:\\out\\video.avi", ShellKind::Cmd),
            "C:\\ffmpeg\\ffmpeg.exe -loop 1 -y -i C:\\pics\\cover.jpg -i C:\\music\\song.mp3 "
            "-shortest -acodec copy -vcodec mjpeg C:\\out\\video.avi");
  EXPECT_EQ(BuildConversionCommand("/usr/bin/ffmpeg", "/home/ann/cover.jpg", "/home/ann/a-1_b.mp3",
                                   "out.avi", ShellKind::Posix),
            "/usr/bin/ffmpeg -loop 1 -y -i /home/ann/cover.jpg -i /home/ann/a-1_b.mp3 -shortest "
            "-acodec copy -vcodec mjpeg out.avi");
}

TEST(ConversionCommand, AnOutputEndingInMp4InAnyCaseGetsTheMp4Command) {
  const std::string graph =
      "[0:v]trim=end_frame=1,premultiply=inplace=1,pad=ceil(iw/2)*2:ceil(ih/2)*2,format=yuv420p,"
      "split=3[first][still][last];[still]loop=-1:1,setpts=(N+2.5)/TB[each];[1:a:0]asplit=3[song]"
      "[wave][rest];[wave]aselect=not(mod(n\\,10)),showwaves=s=16x16:r=30[w];[each][w]overlay=x="
      "-16:y=-16:shortest=1,setpts=PTS-1.5/TB[between];[first][between]concat=n=2:v=1:a=0[start];"
      "[rest]aselect=0[none];[start][song][last][none]concat=n=2:v=1:a=1[v][end];[end]anullsink";
  const std::string options =
      " -map 1:a:0 -map_metadata 1 -map_metadata:g 1:s:a:0 -vsync vfr -c:v libx264 -preset "
      "veryfast -tune stillimage -crf 18 -bf 0 -pix_fmt yuv420p -c:a ";
  EXPECT_EQ(BuildConversionCommand("C:\\ffmpeg\\ffmpeg.exe", "C:\\pics\\cover.jpg",
                                   "C:\\music\\song.mp3", "C:\\out\\video.MP4", ShellKind::Cmd,
                                   {SoundCodec::Mp3, 44100, 2, true}),
            "C:\\ffmpeg\\ffmpeg.exe -y -r 30 -i C:\\pics\\cover.jpg -i C:\\music\\song.mp3 "
            "-filter_complex \"" +
                graph + "\" -map [v]" + options + "copy -movflags +faststart C:\\out\\video.MP4");
  EXPECT_EQ(BuildConversionCommand("/usr/bin/ffmpeg", "/p/cover.png", "/m/a.wav", "out.mp4",
                                   ShellKind::Posix),
            "/usr/bin/ffmpeg -y -r 30 -i /p/cover.png -i /m/a.wav -filter_complex '" + graph +
                "' -map '[v]'" + options + "aac -b:a 192k -movflags +faststart out.mp4");
  for (const char* avi : {"song.mp4.avi", "song.mp4 ", "mp4", "song.mp3"}) {
    EXPECT_EQ(ConversionArguments("i", "a", avi).back(), avi);
    EXPECT_EQ(ConversionArguments("i", "a", avi)[0], "-loop") << avi;
  }
}

TEST(ConversionCommand, PathsThatStartWithADashGoInAsPathsFromTheCurrentFolder) {
  EXPECT_EQ(BuildConversionCommand("ff", "-c.png", "-", "-x.avi", ShellKind::Posix),
            "ff -loop 1 -y -i ./-c.png -i ./- -shortest -acodec copy -vcodec mjpeg ./-x.avi");
  const auto cmd = ConversionArguments("-c.png", "a-", "-x.mp4", {}, ShellKind::Cmd);
  EXPECT_EQ(cmd[4] + " " + cmd[6] + " " + cmd.back(), ".\\-c.png a- .\\-x.mp4");
}

TEST(ConversionCommand, EmptyPathsLeaveTheirPlacesEmpty) {
  for (ShellKind shell : {ShellKind::Posix, ShellKind::Cmd}) {
    EXPECT_EQ(BuildConversionCommand("", "", "", "", shell),
              " -loop 1 -y -i  -i  -shortest -acodec copy -vcodec mjpeg ");
  }
}

TEST(ConversionCommand, CmdQuotesPathsWithBlanksOrSpecialCharacters) {
  EXPECT_EQ(QuoteForShell("C:\\My Music\\a.mp3", ShellKind::Cmd), "\"C:\\My Music\\a.mp3\"");
  EXPECT_EQ(QuoteForShell("C:\\a&b.mp3", ShellKind::Cmd), "\"C:\\a&b.mp3\"");
  EXPECT_EQ(QuoteForShell("C:\\müsic\\a.mp3", ShellKind::Cmd), "C:\\müsic\\a.mp3");
}

TEST(ConversionCommand, CmdKeepsPercentSignsOutsideTheQuotesAndBackslashesBeforeThemLiteral) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\a\\100%PATH%.wav", "\"C:\\a\\100\"%\"PATH\"%\".wav\""},
      {"%OS%", "\"\"%\"OS\"%\"\""},
      {"C:\\a\\%b%", "\"C:\\a\\\\\"%\"b\"%\"\""},  // \" would escape the quote
      {"C:\\My Dir\\", "\"C:\\My Dir\\\\\""},      // so would a final backslash
      {"C:\\a\\x!y!.png", "\"C:\\a\\x!y!.png\""},  // ! means nothing to a plain cmd /c
      {"C:\\a\\b\\c.png", "C:\\a\\b\\c.png"},      // nothing to quote: unchanged
  };
  for (const auto& [path, quoted] : cases) EXPECT_EQ(QuoteForShell(path, ShellKind::Cmd), quoted);

  // The program's name ends at its first closing quote: one without blanks starts unquoted.
  const auto program = [](const std::string& ffmpeg) {
    const std::string command = BuildConversionCommand(ffmpeg, "i", "a", "o", ShellKind::Cmd);
    return command.substr(0, command.find(" -loop"));
  };
  EXPECT_EQ(program("C:\\ff%x%\\ff.exe"), "C\":\\ff\"%\"x\"%\"\\ff.exe\"");
  EXPECT_EQ(program("C:\\my ff%x%\\ff.exe"), "\"C:\\my ff\"%\"x\"%\"\\ff.exe\"");
  EXPECT_EQ(program("C:\\my ff\\ff.exe"), "\"C:\\my ff\\ff.exe\"");
}

TEST(ConversionCommand, PosixQuotingUsesSingleQuotesAndEscapesThem) {
  EXPECT_EQ(QuoteForShell("/home/ann/My Music/a.mp3", ShellKind::Posix),
            "'/home/ann/My Music/a.mp3'");
  EXPECT_EQ(QuoteForShell("/tmp/it's.png", ShellKind::Posix), "'/tmp/it'\\''s.png'");
  EXPECT_EQ(QuoteForShell("/tmp/müsic/ä.mp3", ShellKind::Posix), "/tmp/müsic/ä.mp3");
}

// Runs the command through /bin/sh with a script in the FFmpeg place that writes each
// argument it receives, and returns them.
std::vector<std::string> ArgumentsAsShellSeesThem(const std::string& image,
                                                  const std::string& audio,
                                                  const std::string& output) {
  const std::filesystem::path dir = test::MakeTempDir("args");
  const auto script = dir / "args.sh";
  const auto result = dir / "result";
  {
    std::ofstream s(script);
    s << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > " << result.string() << "\n";
  }
  chmod(script.c_str(), 0755);
  const std::string command =
      BuildConversionCommand(script.string(), image, audio, output, ShellKind::Posix);
  // The directory of the test holds no file the injections below would create, and the
  // command runs inside it so a relative "touch INJECTED" would land there.
  const std::string line = "cd '" + dir.string() + "' && " + command;
  FILE* sh = popen(("/bin/sh -c " + QuoteForShell(line, ShellKind::Posix)).c_str(), "r");
  if (!sh) return {};
  pclose(sh);
  std::ifstream in(result, std::ios::binary);
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  EXPECT_FALSE(std::filesystem::exists(dir / "INJECTED")) << "an injected command ran";
  return args;
}

TEST(ConversionCommand, AwkwardPathsReachFfmpegWhole) {
  const std::vector<std::string> awkward = {
      "/home/ann/My Music/cover art.png",
      "x;touch INJECTED;.png",
      "$(touch INJECTED).wav",
      "`touch INJECTED`.wav",
      "it's \"quoted\".avi",
      "a|touch INJECTED&b.avi",
      "~/star*?[x].avi",
      "#comment.avi",
      "tab\there\nnewline.avi",
      "back\\slash.wav",
      "Ünïcödé ñame.png",
      "a=b.png",
  };
  for (std::size_t i = 0; i < awkward.size(); ++i) {
    const std::string& image = awkward[i];
    const std::string& audio = awkward[(i + 1) % awkward.size()];
    const std::string& output = awkward[(i + 2) % awkward.size()];
    const std::vector<std::string> expected = {"-loop",   "1",     "-y",        "-i",      image,
                                               "-i",      audio,   "-shortest", "-acodec", "copy",
                                               "-vcodec", "mjpeg", output};
    EXPECT_EQ(ArgumentsAsShellSeesThem(image, audio, output), expected) << image;
    EXPECT_EQ(ArgumentsAsShellSeesThem(image, audio, output + ".Mp4"),
              ConversionArguments(image, audio, output + ".Mp4"))
        << image;
  }
}

TEST(ConversionCommand, AFirstWordIsNeverTakenAsShellGrammar) {
  EXPECT_EQ(QuoteForShell("/opt/a=b/ffmpeg", ShellKind::Posix), "'/opt/a=b/ffmpeg'");
  for (const char* word : {"while", "if", "for", "until", "case", "time", "{", "!"})
    EXPECT_EQ(QuoteForShell(word, ShellKind::Posix), std::string("'") + word + "'") << word;
  EXPECT_EQ(QuoteForShell("whiles", ShellKind::Posix), "whiles");
  EXPECT_EQ(QuoteForShell("while", ShellKind::Cmd), "while");
}

using media::SoundFacts;

AlbumSong Song(const std::string& path, double seconds, const std::string& title = "",
               SoundFacts sound = {}) {
  AlbumSong song{path, {}};
  song.facts.seconds = seconds;
  song.facts.title = title;
  song.facts.sound = sound;
  return song;
}

TEST(AlbumCommand, TheTrackListStartsEachSongAtItsSecondTitledByItsTagOrItsName) {
  const struct {
    std::vector<AlbumSong> songs;
    ShellKind shell;
    std::string list;
  } cases[] = {
      {{Song("/m/a.mp3", 187.03, " A \"b\" & 100%"), Song("/m/02 b.mp3", 578.5),
        Song("C:\\m\\x.y.wav", 0.5)},
       ShellKind::Posix,
       "0:00 A \"b\" & 100%\n3:07 b\n12:45 C:\\m\\x.y\n"},
      {{Song("C:\\m\\x.y.wav", 0.5), Song("C:\\m\\b", 2, "line\r\nbreak")},
       ShellKind::Cmd,
       "0:00 x.y\r\n0:00 line  break\r\n"},
      {{Song("/a.mp3", 1800), Song("/b.mp3", 1799.9999995), Song("/c.mp3", 59)},
       ShellKind::Posix,
       "0:00:00 a\n0:30:00 b\n1:00:00 c\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlanAlbum("ff", "c.png", c.songs, "a.mp4", "/t", c.shell).trackList, c.list);
  }
  EXPECT_EQ(TrackListPathFor("/a.b/My album.mp4", ShellKind::Posix), "/a.b/My album.txt");
  EXPECT_EQ(TrackListPathFor("C:\\a.b\\x.TXT", ShellKind::Cmd), "C:\\a.b\\x.TXT.txt");
  EXPECT_EQ(TrackListPathFor("C:\\a.b\\x", ShellKind::Cmd), "C:\\a.b\\x.txt");
}

TEST(AlbumCommand, TheSoundIsCopiedOnlyWhenEverySongHoldsTheSameKindTheVideoTakes) {
  const SoundFacts mp3{SoundCodec::Mp3, 44100, 2, true}, aac{SoundCodec::Aac, 44100, 2, true};
  const struct {
    std::vector<SoundFacts> sounds;
    bool mp4, avi;
  } cases[] = {
      {{mp3, mp3}, true, true},
      {{aac, aac}, true, false},
      {{mp3, {SoundCodec::Mp3, 48000, 2, true}}, false, false},
      {{mp3, {SoundCodec::Mp3, 44100, 1, true}}, false, false},
      {{mp3, aac}, false, false},
      {{mp3, {}}, false, false},
      {{{SoundCodec::Mp3, 8000, 1, false}}, false, false},
  };
  for (const auto& c : cases) {
    std::vector<AlbumSong> songs;
    for (const SoundFacts& sound : c.sounds) songs.push_back(Song("s", 1, "", sound));
    EXPECT_EQ(AlbumCopiesSound(songs, true), c.mp4) << songs.size();
    EXPECT_EQ(AlbumCopiesSound(songs, false), c.avi) << songs.size();
  }
  EXPECT_EQ(MetadataEscape("a=b;c#d\\e\n"), "a\\=b\\;c\\#d\\\\e\\\n");
}

}  // namespace
}  // namespace framora::convert
