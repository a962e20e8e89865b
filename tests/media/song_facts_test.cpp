// What ReadSongFacts tells of files made by ffmpeg, against what ffprobe says of them and what
// FFmpeg decodes of them, and of hand-made tags and broken bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fakes/fake_file_system.h"
#include "media/song_facts.h"
#include "platform/posix/posix_files.h"
#include "support/temp_env.h"

namespace framora::media {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
  if (pipe) pclose(pipe);
  return out;
}

std::string Contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Counts the bytes read, to see that a big picture is stepped over.
struct CountingFiles : posix::PosixFileSystem {
  std::string ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) override {
    std::string bytes = PosixFileSystem::ReadBytes(path, offset, count);
    read += bytes.size();
    return bytes;
  }
  std::uint64_t read = 0;
};

// The samples FFmpeg's decoder gives of the file's first sound, at its own rate.
std::uint64_t Decoded(const std::string& path) {
  return std::stoull(
             Output("ffmpeg -v error -i '" + path + "' -map 0:a:0 -ac 1 -f s16le - | wc -c")) /
         2;
}

std::vector<int> Types(const SongFacts& facts) {
  std::vector<int> types;
  for (const EmbeddedPicture& picture : facts.pictures) types.push_back(picture.type);
  return types;
}

TEST(SongFacts, TellsWhatFfprobeAndTheDecoderTellOfFilesFfmpegMade) {
  const std::string dir = test::MakeTempDir("facts") + "/";
  const auto ffmpeg = [](const std::string& args) {
    return std::system(("ffmpeg -v error -f lavfi -i " + args).c_str());
  };
  ASSERT_EQ(ffmpeg("'nullsrc=s=3000x3000,geq=random(1)*255:128:128' -frames:v 1 -q:v 1 " + dir +
                   "big.jpg"),
            0);
  ASSERT_EQ(ffmpeg("nullsrc=s=32x32 -frames:v 1 " + dir + "small.jpg"), 0);
  ASSERT_EQ(ffmpeg("nullsrc=s=32x32 -frames:v 1 " + dir + "small.png"), 0);
  const std::string jpeg = "-i " + dir + "small.jpg ";
  const std::string png = "-i " + dir + "small.png ";
  const std::string picture = "-map 0 -map 1 -c:v copy -disposition:v attached_pic ";
  const std::string front = "-metadata:s:v:0 comment='Cover (front)' ";
  const bool amr =
      Output("ffmpeg -hide_banner -encoders").find("libopencore_amrnb") != std::string::npos;
  const struct {
    std::string file, options, title, artist, album;
    std::vector<int> pictures;
  } cases[] = {
      {"cbr.mp3", "-write_xing 0 -b:a 128k -metadata artist=Art", "", "Art", "", {}},
      {"vbr.mp3", "-q:a 5 -metadata album=Alb", "", "", "Alb", {}},
      {"noxing.mp3", "-q:a 2 -write_xing 0", "", "", "", {}},
      {"mono.mp3", "-ar 22050 -ac 1 -b:a 32k", "", "", "", {}},
      {"cover.mp3",
       "-i " + dir + "big.jpg " + picture + "-metadata title='Ça \"va\" l'\\''été'",
       "Ça \"va\" l'été",
       "",
       "",
       {0}},
      {"two.mp3",
       jpeg + png + picture + "-map 2 -metadata:s:v:1 comment='Cover (front)'",
       "",
       "",
       "",
       {0, 3}},
      {"v3.mp3",
       jpeg + picture + front + "-metadata title=Ünï -id3v2_version 3",
       "Ünï",
       "",
       "",
       {3}},
      {"song.wav", "-metadata title=Wave -metadata album=W", "Wave", "", "W", {}},
      {"wav.mp3", "-f wav", "", "", "", {}},
      {"song.m4a",
       jpeg + picture + "-metadata title=Em -metadata artist=Four",
       "Em",
       "Four",
       "",
       {3}},
      {"song.aac", "-c:a aac", "", "", "", {}},
      {"song.flac",
       png + picture + front + "-metadata TITLE=Lossless -metadata artist=F",
       "Lossless",
       "F",
       "",
       {3}},
      {"song.ogg", "-c:a libvorbis -metadata title=Vorbis", "Vorbis", "", "", {}},
      {"song.opus", "-c:a libopus -metadata title=Opus -metadata album=O", "Opus", "", "O", {}},
      {"song.amr", "-ar 8000 -c:a libopencore_amrnb", "", "", "", {}},
  };
  CountingFiles files;
  for (const auto& c : cases) {
    if (c.file.ends_with(".amr") && !amr) continue;
    const std::string path = dir + c.file;
    ASSERT_EQ(ffmpeg("sine=d=1 " + c.options + " " + path), 0) << c.file;
    files.read = 0;
    const SongFacts facts = ReadSongFacts(files, path);
    const std::uint64_t size = Contents(path).size();
    // The picture of megabytes is stepped over.
    if (c.file == "cover.mp3") {
      EXPECT_LT(files.read * 8, size) << size;
    }
    const double probed =
        std::stod(Output("ffprobe -v error -show_entries format=duration -of csv=p=0 " + path));
    // To the sample, what the decoder gives: an MP3's encoder delay and padding taken off, an
    // M4A's priming too (ffprobe guesses the length of AMR and of an MP3 without a header). The
    // decoder may give less than a frame more or less of AAC in MP4 and of Vorbis: the length
    // their files declare is what counts.
    ASSERT_TRUE(facts.samples) << c.file;
    const bool declared = c.file.ends_with(".m4a") || c.file.ends_with(".ogg");
    EXPECT_NEAR(static_cast<double>(*facts.samples), static_cast<double>(Decoded(path)),
                declared ? 1024 : 0)
        << c.file;
    EXPECT_EQ(std::to_string(facts.rate) + "\n",
              Output("ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate -of "
                     "csv=p=0 " +
                     path))
        << c.file;
    EXPECT_EQ(facts.title, c.title) << c.file;
    EXPECT_EQ(facts.artist, c.artist) << c.file;
    EXPECT_EQ(facts.album, c.album) << c.file;
    EXPECT_EQ(Types(facts), c.pictures) << c.file;
    EXPECT_EQ(facts.sound, ProbeSound(files, path)) << c.file;

    // Cut short anywhere, a file tells no more than the whole: never a crash or a wild length.
    test::FakeFileSystem fake;
    for (const std::uint64_t cut :
         std::initializer_list<std::uint64_t>{10, 100, 1000, size / 2, size - 1}) {
      fake.contents["f"] = Contents(path).substr(0, cut);
      const SongFacts part = ReadSongFacts(fake, "f");
      EXPECT_LE(part.Seconds().value_or(0), probed + 0.05) << c.file << " cut at " << cut;
    }
  }
  const SongFacts two = ReadSongFacts(files, dir + "two.mp3");
  EXPECT_EQ(two.Cover(), 1U);
  EXPECT_EQ(ReadSongFacts(files, dir + "cbr.mp3").Cover(), std::nullopt);

  const SongFacts missing = ReadSongFacts(files, dir + "missing.mp3");
  EXPECT_FALSE(missing.samples);
  EXPECT_TRUE(missing.title.empty() && missing.pictures.empty());

  // Where the bytes do not tell the length exactly, nothing is guessed: an Ogg cut from a longer
  // one (it starts after 0), two Oggs one after the other, a WAV of compressed sound without a
  // count of its samples, an MP3 whose frames stop before its end.
  const std::string ogg = dir + "song.ogg";
  ASSERT_EQ(ffmpeg("sine=d=6 -c:a libvorbis " + dir + "long.ogg"), 0);
  std::system(
      ("ffmpeg -v error -ss 3 -i " + dir + "long.ogg -c copy -copyts " + dir + "cut.ogg").c_str());
  std::system(("cat " + ogg + " " + ogg + " > " + dir + "chained.ogg").c_str());
  const std::string mp3 = Contents(dir + "cbr.mp3");
  std::ofstream(dir + "broken.mp3", std::ios::binary)
      << mp3.substr(0, mp3.size() / 2) << std::string(700, 'x') << mp3.substr(mp3.size() / 2);
  for (const char* unknown : {"cut.ogg", "chained.ogg", "broken.mp3"})
    EXPECT_FALSE(ReadSongFacts(files, dir + unknown).samples) << unknown;
  // MP3 and ADTS frames that all agree hold what a copy of them lasts.
  EXPECT_EQ(ReadSongFacts(files, dir + "noxing.mp3").frameSamples, Decoded(dir + "noxing.mp3"));
  EXPECT_GT(ReadSongFacts(files, dir + "vbr.mp3").frameSamples, Decoded(dir + "vbr.mp3"));
}

std::string Be32(std::uint32_t n, bool syncsafe = false) {
  const int shift = syncsafe ? 7 : 8;
  std::string out;
  for (int i = 3; i >= 0; --i)
    out += static_cast<char>(n >> (shift * i) & (syncsafe ? 0x7F : 0xFF));
  return out;
}

std::string Tag(int version, char flags, const std::string& frames) {
  return std::string("ID3") + static_cast<char>(version) + '\0' + flags +
         Be32(static_cast<std::uint32_t>(frames.size()), true) + frames;
}

// A version 3 or 4 frame; version 4 sizes are syncsafe unless `plain`.
std::string Frame(int version, const std::string& id, const std::string& body, char flags = 0,
                  bool plain = false) {
  return id + Be32(static_cast<std::uint32_t>(body.size()), version == 4 && !plain) + '\0' + flags +
         body;
}

TEST(SongFacts, ReadsTagsOfEveryEncodingAndLayout) {
  using namespace std::string_literals;
  const std::string png = "\0image/png\0\x03\0picture"s;
  const std::string longAlbum = "\3" + std::string(200, 'a');
  const struct {
    std::string bytes, title;
    std::vector<int> pictures;
  } cases[] = {
      {Tag(3, 0, Frame(3, "TIT2", "\0\xE9t\xE9"s)), "été", {}},
      {Tag(3, 0, Frame(3, "TIT2", "\1\xFF\xFE\xE9\0t\0"s)), "ét", {}},
      {Tag(4, 0, Frame(4, "TIT2", "\2\0\xE9\0t\0\0\0x"s)), "ét", {}},
      {Tag(4, 0, Frame(4, "TIT2", "\3One\0Two"s)), "One", {}},
      {Tag(4, 0, Frame(4, "TIT2", "\3\xFF\0\xA9"s, 2)), "\xFF\xA9", {}},
      {Tag(3, '\x80', Frame(3, "TIT2", "\0\xFF\0\xE9"s)), "ÿé", {}},
      {Tag(4, 0, Frame(4, "TALB", longAlbum, 0, true) + Frame(4, "TIT2", "\3T")), "T", {}},
      {Tag(4, 0, Frame(4, "TALB", longAlbum) + Frame(4, "APIC", png)), "", {3}},
      {Tag(3, 0, Frame(3, "APIC", "\0image/webp\0\3\0x"s) + Frame(3, "APIC", "\0image/png\0\3\0"s)),
       "",
       {}},
      {Tag(2, 0, "TT2\0\0\4\0Old"s + "PIC\0\0\x0A\0PNG\x04\0data"s), "Old", {4}},
      {Tag(3, 0, "") + Tag(4, 0, Frame(4, "TIT2", "\3Second")), "Second", {}},
  };
  test::FakeFileSystem fake;
  for (const auto& c : cases) {
    fake.contents["f"] = c.bytes;
    const SongFacts facts = ReadSongFacts(fake, "f");
    EXPECT_EQ(facts.title, c.title) << c.bytes;
    EXPECT_EQ(Types(facts), c.pictures) << c.bytes;
    EXPECT_FALSE(facts.samples);
  }
}

TEST(SongFacts, BrokenBytesTellLittleButNeverCrash) {
  using namespace std::string_literals;
  const std::string opus = "OggS\0\2"s + std::string(8, '\0') + "\1\0\0\0" + std::string(8, '\0') +
                           "\1\x13OpusHead\1\1\0\0\x80\xBB\0\0\0\0\0";
  // Modes 7, 1 and "no data", then a frame cut short; modes 8 and 0, then one cut short.
  const std::string amr = "#!AMR\n\x3C" + std::string(31, '\0') + "\x0C" + std::string(13, '\0') +
                          "\x7C\x3C" + std::string(5, '\0');
  const std::string wideAmr =
      "#!AMR-WB\n\x44" + std::string(60, '\0') + "\x04" + std::string(17, '\0') + "\x44";
  const std::pair<std::string, std::optional<double>> cases[] = {
      {"ID3\4\0\0\x7F\x7F\x7F\x7F\0\0\0"s, std::nullopt},
      {Tag(3, 0, "TIT2\x7F\xFF\xFF\xFF\0\0\3x"s), std::nullopt},
      {"\0\0\0\x10"
       "ftypM4A \0\0\0\0\0\0\0\1moov\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s,
       std::nullopt},
      {opus + "OggS\0\4" + std::string(8, '\x30'), std::nullopt},
      {"RIFF\0\0\0\0WAVEdata\xFF\xFF\xFF\xFF"s + std::string(8, '\0'), std::nullopt},
      {"RIFF\0\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1F\0\0\x80\x3E\0\0\2\0\x10\0data\0\0\0\0"s +
           std::string(16000, '\0'),
       1.0},
      {amr, 0.06},
      {wideAmr, 0.04},
      {"fLaC\x80\0\0\x22"s + std::string(10, '\0') + "\x01\xF4\0\0\0\0\x3E\x80"s, 2.0},
  };
  test::FakeFileSystem fake;
  for (const auto& [bytes, seconds] : cases) {
    fake.contents["f"] = bytes;
    const std::optional<double> read = ReadSongFacts(fake, "f").Seconds();
    EXPECT_EQ(read.has_value(), seconds.has_value()) << bytes;
    EXPECT_NEAR(read.value_or(0), seconds.value_or(0), 1e-9) << bytes;
  }
}

}  // namespace
}  // namespace framora::media
