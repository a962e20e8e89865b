// What ProbeSound finds in real files made by ffmpeg, and in broken or odd streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fakes/fake_file_system.h"
#include "media/sound_probe.h"
#include "platform/posix/posix_files.h"
#include "support/temp_env.h"

namespace framora::media {
namespace {

std::string Contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SoundProbe, KnowsTheSoundByTheFilesContentNotItsName) {
  const std::string dir = test::MakeTempDir("probe") + "/";
  const auto ffmpeg = [](const std::string& args) {
    return std::system(("ffmpeg -v error -f lavfi -i " + args).c_str());
  };
  // A cover of several megabytes in the ID3 tag.
  const std::string noise = "'nullsrc=s=3000x3000,geq=random(1)*255:128:128' -frames:v 1 -q:v 1 ";
  ASSERT_EQ(ffmpeg(noise + dir + "big.jpg"), 0);
  const struct {
    std::string file, options;
    SoundFacts facts;
  } cases[] = {
      {"cover.mp3",
       "-i " + dir + "big.jpg -map 0 -map 1 -c:v copy -metadata title=T",
       {SoundCodec::Mp3, 44100, 1, true}},
      {"vbr.mp3", "-q:a 5", {SoundCodec::Mp3, 44100, 1, true}},
      {"low.mp3", "-ar 22050 -b:a 32k", {SoundCodec::Mp3, 22050, 1, true}},
      {"lowest.mp3", "-ar 8000 -b:a 8k", {SoundCodec::Mp3, 8000, 1, false}},
      {"mp3.wav", "-ac 2 -ar 48000 -c:a libmp3lame -f mp3", {SoundCodec::Mp3, 48000, 2, true}},
      {"song.aac", "-ar 32000 -c:a aac", {SoundCodec::Aac, 32000, 1, true}},
      {"main.aac", "-c:a aac -profile:a aac_main", {SoundCodec::Aac, 44100, 1, false}},
      {"song.m4a", "-ac 2 -c:a aac", {SoundCodec::Aac, 44100, 2, true}},
      {"alac.m4a", "-c:a alac", {}},
      {"wav.mp3", "-f wav", {}},
      {"song.flac", "", {}},
  };
  posix::PosixFileSystem files;
  for (const auto& c : cases) {
    ASSERT_EQ(ffmpeg("sine=d=1 " + c.options + " " + dir + c.file), 0);
    EXPECT_EQ(ProbeSound(files, dir + c.file), c.facts) << c.file;
  }
  EXPECT_EQ(ProbeSound(files, dir + "missing.mp3"), SoundFacts{});

  // Junk after a tag, a second tag; free-format frames, a stream cut short, a frame that does not
  // agree with the next.
  const std::string mp3 = Contents(dir + "low.mp3");
  const std::string tag = std::string("ID3\x04\0\0\0\0\0\x05", 10) + "tag!!";
  const std::string freeFrame = std::string("\xFF\xFB\x00\x00", 4) + std::string(400, '\0');
  const std::string wav = Contents(dir + "mp3.wav");
  const std::size_t first = mp3.find("\xFF\xF3");
  const std::pair<std::string, SoundFacts> streams[] = {
      {tag + tag + std::string(3000, 'j') + mp3, {SoundCodec::Mp3, 22050, 1, true}},
      {freeFrame + freeFrame + freeFrame + freeFrame + freeFrame, {}},
      {mp3.substr(0, first + 260), {}},
      {mp3.substr(first, mp3.find("\xFF\xF3", first + 1) - first) +
           wav.substr(wav.find("\xFF\xFB")),
       {SoundCodec::Mp3, 48000, 2, true}},
  };
  test::FakeFileSystem fake;
  for (const auto& [bytes, facts] : streams) {
    fake.contents["f"] = bytes;
    EXPECT_EQ(ProbeSound(fake, "f"), facts) << bytes.size();
  }
}

}  // namespace
}  // namespace framora::media
