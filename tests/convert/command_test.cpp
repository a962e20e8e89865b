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

// A song's video as the queue asks for it.
SongVideo Video(const std::string& output, std::optional<std::uint64_t> samples = {},
                bool copyable = false, const std::string& writeTo = "") {
  SongVideo video{"/p/c.png", "/m/a.mp3", {}, output, writeTo, "/t/picture-1.mp4"};
  video.facts.sound.copyable = copyable;
  video.facts.samples = samples;
  video.facts.rate = 44100;
  return video;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + word;
  return line;
}

TEST(ConversionCommand, AnMp4RepeatsThePicturesSegmentForAsLongAsTheSoundLasts) {
  const std::string inputs =
      "-stream_loop -1 -i /t/picture-1.mp4 -thread_queue_size 0 -i /m/a.mp3 -map 0:v:0 -map 1:a:0 "
      "-map_metadata 1 -map_metadata:g 1:s:a:0 -c:v copy ";
  const struct {
    SongVideo video;
    std::string picture, rest;
  } cases[] = {
      // MP3 and AAC copied; the length where the file tells it (the picture to the nearest of
      // its frames: 44 end at 7.333 s), else the sound's end
      {Video("v.MP4", 323712, true), "-t 7.250000 ",
       "-c:a copy -t 7.340408 -movflags +faststart v.MP4"},
      {Video("v.mp4"), "", "-c:a aac -b:a 192k -shortest -movflags +faststart v.mp4"},
      // under a temporary name, which says nothing of the kind
      {Video("v.mp4", 44100, false, ".v.mp4.part"), "-t 0.916667 ",
       "-c:a aac -b:a 192k -t 1.000000 -movflags +faststart -f mp4 .v.mp4.part"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Joined(ConversionArguments(c.video, ShellKind::Posix)),
              "-y -thread_queue_size 0 " + c.picture + inputs + c.rest);
  }
  // The picture ends with the frame whose end lies nearest the sound's, and has one at least.
  for (const auto& [seconds, limit] : {std::pair{2400.0, "2399.916667"},
                                       {2400.04, "2399.916667"},
                                       {2400.09, "2400.083333"},
                                       {0.5, "0.416667"},
                                       {0.01, "0.083333"}}) {
    EXPECT_EQ(SegmentInput("s", seconds, ShellKind::Posix)[3], limit) << seconds;
  }
  // Every other name is an AVI, as the window always made it.
  for (const char* avi : {"song.mp4.avi", "song.mp4 ", "mp4", "song.mp3"}) {
    EXPECT_EQ(ConversionArguments(Video(avi), ShellKind::Posix).back(), avi);
    EXPECT_EQ(ConversionArguments(Video(avi), ShellKind::Posix)[0], "-loop") << avi;
  }
  EXPECT_EQ(Joined(ConversionArguments(Video("v.avi", {}, true, ".v.avi.part"), ShellKind::Posix)),
            "-loop 1 -y -i /p/c.png -i /m/a.mp3 -shortest -acodec copy -vcodec mjpeg -f avi "
            ".v.avi.part");
}

TEST(ConversionCommand, ThePictureIsEncodedOnceInTheFrameAsked) {
  const std::vector<std::string> segment =
      SegmentArguments({"/m/s.mp3", 1}, Frame::Blur, "/t/g.txt", "/t/s.mp4", ShellKind::Posix);
  EXPECT_TRUE(Joined(segment).starts_with(
      "-hide_banner -v error -nostats -y -threads 1 -i /m/s.mp3 -filter_complex_script /t/g.txt"));
  EXPECT_NE(Joined(segment).find("-g 60 -bf 0"), std::string::npos);
  EXPECT_NE(Joined(segment).find("-disposition:v:0 0 -an -f mp4 /t/s.mp4"), std::string::npos);
  const std::string level = "-level:v 4.1";
  EXPECT_EQ(Joined(SegmentArguments("c.png", Frame::Cover, "g", "s", ShellKind::Posix)).find(level),
            std::string::npos)
      << "the cover's own size sets its level";
  for (const Frame frame : {Frame::Blur, Frame::Black, Frame::Cover}) {
    const std::string graph = SegmentGraph({"/m/s.mp3", 2}, frame);
    EXPECT_TRUE(graph.starts_with("[0:v:2]trim=end_frame=1,zscale=")) << graph;
    EXPECT_TRUE(graph.ends_with("loop=loop=59:size=1:start=0,setpts=N/(6*TB)[v]")) << graph;
    EXPECT_EQ(graph.find("3840/iw") != std::string::npos, frame == Frame::Cover) << graph;
    EXPECT_EQ(FrameNamed(FrameName(frame)), frame);
  }
  EXPECT_EQ(FrameNamed("blurred"), std::nullopt);
}

TEST(ConversionCommand, PathsThatStartWithADashGoInAsPathsFromTheCurrentFolder) {
  EXPECT_EQ(BuildConversionCommand("ff", "-c.png", "-", "-x.avi", ShellKind::Posix),
            "ff -loop 1 -y -i ./-c.png -i ./- -shortest -acodec copy -vcodec mjpeg ./-x.avi");
  SongVideo video = Video("-x.mp4");
  video.segment = "-s.mp4";
  video.song = "a-";
  const auto cmd = ConversionArguments(video, ShellKind::Cmd);
  EXPECT_EQ(cmd[6] + " " + cmd[10] + " " + cmd.back(), ".\\-s.mp4 a- .\\-x.mp4");
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
std::vector<std::string> ArgumentsAsShellSeesThem(const SongVideo& video) {
  const std::filesystem::path dir = test::MakeTempDir("args");
  const auto script = dir / "args.sh";
  const auto result = dir / "result";
  {
    std::ofstream s(script);
    s << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > " << result.string() << "\n";
  }
  chmod(script.c_str(), 0755);
  const std::string command = FfmpegCommand(
      script.string(), ConversionArguments(video, ShellKind::Posix), ShellKind::Posix);
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
    EXPECT_EQ(ArgumentsAsShellSeesThem({image, audio, {}, output, {}, {}}), expected) << image;
    SongVideo mp4{image, audio, {}, output + ".Mp4", {}, image};
    EXPECT_EQ(ArgumentsAsShellSeesThem(mp4), ConversionArguments(mp4, ShellKind::Posix)) << image;
  }
}

TEST(ConversionCommand, AFirstWordIsNeverTakenAsShellGrammar) {
  EXPECT_EQ(QuoteForShell("/opt/a=b/ffmpeg", ShellKind::Posix), "'/opt/a=b/ffmpeg'");
  for (const char* word : {"while", "if", "for", "until", "case", "time", "{", "!"})
    EXPECT_EQ(QuoteForShell(word, ShellKind::Posix), std::string("'") + word + "'") << word;
  EXPECT_EQ(QuoteForShell("whiles", ShellKind::Posix), "whiles");
  EXPECT_EQ(QuoteForShell("while", ShellKind::Cmd), "while");
}

using media::Container;
using media::SoundFacts;

// A song of `samples` at `rate`, stored as `container`; frames that agree hold `frames`.
AlbumSong Song(const std::string& path, std::uint64_t samples, int rate = 1000,
               const std::string& title = "", Container container = Container::Other,
               SoundFacts sound = {}, std::optional<std::uint64_t> frames = {}) {
  AlbumSong song{path, {}};
  song.facts.samples = samples;
  song.facts.rate = rate;
  song.facts.title = title;
  song.facts.container = container;
  song.facts.sound = sound;
  song.facts.frameSamples = frames;
  return song;
}

AlbumPlan Plan(std::vector<AlbumSong> songs, ShellKind shell = ShellKind::Posix,
               const std::string& output = "a.mp4") {
  return PlanAlbum("ff", {"c.png", std::move(songs), output, "", "/t", "/t/s.mp4"}, shell);
}

std::string File(const AlbumPlan& plan, const std::string& name) {
  for (const auto& [path, content] : plan.files)
    if (path.ends_with(name)) return content;
  return "(none)";
}

TEST(AlbumCommand, TheTrackListStartsEachSongAtItsSecondTitledByItsTagOrItsName) {
  const struct {
    std::vector<AlbumSong> songs;
    ShellKind shell;
    std::string list;
  } cases[] = {
      {{Song("/m/a.mp3", 187030, 1000, " A \"b\" & 100%"), Song("/m/02 - b.mp3", 578500),
        Song("C:\\m\\x.y.wav", 500), Song("/m/07.wav", 100)},
       ShellKind::Posix,
       "0:00 A \"b\" & 100%\n3:07 b\n12:45 C:\\m\\x.y\n12:46 07\n"},
      {{Song("C:\\m\\x.y.wav", 500), Song("C:\\m\\3_b", 2000, 1000, "line\r\nbreak")},
       ShellKind::Cmd,
       "0:00 x.y\r\n0:00 line  break\r\n"},
      {{Song("/a.mp3", 1800000), Song("/b.mp3", 1800000), Song("/1999 c.mp3", 59000)},
       ShellKind::Posix,
       "0:00:00 a\n0:30:00 b\n1:00:00 1999 c\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Plan(c.songs, c.shell).trackList, c.list);
  EXPECT_EQ(TrackListPathFor("/a.b/My album.mp4", ShellKind::Posix), "/a.b/My album.txt");
  EXPECT_EQ(TrackListPathFor("C:\\a.b\\x.TXT", ShellKind::Cmd), "C:\\a.b\\x.TXT.txt");
  EXPECT_EQ(TrackListPathFor("C:\\a.b\\x", ShellKind::Cmd), "C:\\a.b\\x.txt");
  EXPECT_EQ(PartPathFor("C:\\v\\My album.mp4", ShellKind::Cmd), "C:\\v\\.My album.mp4.part");
}

TEST(AlbumCommand, TheSoundIsCopiedOnlyWhenItsFramesPlaceEverySongExactly) {
  const SoundFacts mp3{SoundCodec::Mp3, 44100, 2, true}, aac{SoundCodec::Aac, 44100, 2, true};
  const auto frames = [](Container container, SoundFacts sound, std::uint64_t held = 1152,
                         const std::string& path = "s") {
    return Song(path, held, sound.sampleRate, "", container, sound, held);
  };
  const AlbumSong song = frames(Container::Mp3Frames, mp3);
  const struct {
    std::vector<AlbumSong> songs;
    bool mp4, avi;
  } cases[] = {
      {{song, frames(Container::Mp3Frames, mp3, 2304)}, true, true},
      {{frames(Container::AdtsFrames, aac), frames(Container::AdtsFrames, aac)}, true, false},
      // an M4A's AAC beside ADTS frames, another rate or channel count, frames that disagree,
      // MP3 at 8 kHz, and a name FFmpeg's list cannot hold: encoded
      {{frames(Container::Mp4, aac), frames(Container::AdtsFrames, aac)}, false, false},
      {{frames(Container::AdtsFrames, aac), frames(Container::Mp4, aac)}, false, false},
      {{song, frames(Container::Mp3Frames, {SoundCodec::Mp3, 48000, 2, true})}, false, false},
      {{song, frames(Container::Mp3Frames, {SoundCodec::Mp3, 44100, 1, true})}, false, false},
      {{song, Song("s", 1152, 44100, "", Container::Mp3Frames, mp3)}, false, false},
      {{frames(Container::Mp3Frames, {SoundCodec::Mp3, 8000, 1, false})}, false, false},
      {{song, frames(Container::Mp3Frames, mp3, 1152, "a\nb.mp3")}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AlbumCopiesSound(c.songs, true), c.mp4) << c.songs.size();
    EXPECT_EQ(AlbumCopiesSound(c.songs, false), c.avi) << c.songs.size();
  }
  EXPECT_EQ(MetadataEscape("a=b;c#d\\e\n"), "a\\=b\\;c\\#d\\\\e\\\n");
}

TEST(AlbumCommand, EachSongIsPlacedByTheLengthCountedFromItsBytes) {
  // Copied: the concat reader takes each file from its first packet for exactly its frames.
  const SoundFacts mp3{SoundCodec::Mp3, 44100, 2, true};
  const AlbumPlan copied =
      Plan({Song("/m/a.mp3", 320000, 44100, "", Container::Mp3Frames, mp3, 323712),
            Song("/m/b.mp3", 1000, 44100, "", Container::Mp3Frames, mp3, 1152)});
  EXPECT_EQ(File(copied, "songs.ffconcat"),
            "ffconcat version 1.0\nfile '/m/a.mp3'\ninpoint 0\nduration 7.340408\nfile "
            "'/m/b.mp3'\ninpoint 0\nduration 0.026122\n");
  EXPECT_NE(File(copied, "chapters.txt").find("TIMEBASE=1/44100\nSTART=323712\nEND=324864\n"),
            std::string::npos);
  EXPECT_NE(copied.command.find("-c:a copy -t 7.366531 "), std::string::npos) << copied.command;
  // Encoded: each song decoded, timed afresh and cut or padded to exactly its length at the
  // album's rate (48 kHz here: the highest of its songs').
  const AlbumPlan encoded = Plan({Song("/m/a.wav", 44100, 44100), Song("/m/b.flac", 96000, 48000)});
  const std::string graph = File(encoded, "sound.txt");
  EXPECT_NE(graph.find("asetpts=N/SR/TB,aresample=48000,aformat=sample_fmts=fltp:sample_rates="
                       "48000:channel_layouts=stereo,apad,atrim=end_sample=48000[s0]"),
            std::string::npos)
      << graph;
  EXPECT_NE(graph.find("atrim=end_sample=96000[s1]"), std::string::npos) << graph;
  EXPECT_NE(File(encoded, "chapters.txt").find("TIMEBASE=1/48000\nSTART=48000\nEND=144000\n"),
            std::string::npos);
  EXPECT_NE(encoded.command.find("-c:a aac -b:a 192k -t 3.000000 "), std::string::npos);
}

}  // namespace
}  // namespace framora::convert
