// How far a conversion has got, read from FFmpeg's output: a real conversion's output cut into
// chunks of every size, and the awkward cases one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "convert/progress_reader.h"

namespace framora::convert {
namespace {

// What Debian's ffmpeg wrote converting a 1920x1080 PNG and 20 s of WAV with the program's
// command line.
std::string RealOutput() {
  std::ifstream file(FRAMORA_TEST_DATA "/ffmpeg-conversion.txt", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The fractions seen after each chunk, each one only when it changed.
std::vector<double> Progress(const std::string& output, std::size_t chunkSize) {
  ProgressReader reader;
  reader.Start();
  std::vector<double> seen;
  for (std::size_t at = 0; at < output.size(); at += chunkSize) {
    reader.Feed(std::string_view(output).substr(at, chunkSize));
    if (auto f = reader.Fraction(); f && (seen.empty() || seen.back() != *f)) seen.push_back(*f);
  }
  return seen;
}

TEST(ProgressReader, FollowsARealConversionHoweverItsOutputIsCut) {
  const std::string output = RealOutput();
  ASSERT_GT(output.size(), 4000u);
  // Its progress lines, against the 20 s of the sound; the last one is clamped.
  std::vector<double> expected;
  for (double time : {0.04, 0.88, 2.36, 3.90, 5.43, 6.82, 8.16, 9.42, 10.77, 12.07, 13.37, 14.72,
                      16.06, 17.36, 18.57, 19.78}) {
    expected.push_back(time / 20);
  }
  expected.push_back(1.0);
  EXPECT_EQ(Progress(output, 1), expected) << "one character at a time, every line is seen";
  for (std::size_t size : {2u, 3u, 7u, 13u, 64u, 255u, 256u, 100000u}) {
    const std::vector<double> seen = Progress(output, size);
    // Several lines may come in one chunk: then only the latest is seen.
    EXPECT_TRUE(std::includes(expected.begin(), expected.end(), seen.begin(), seen.end()))
        << "chunks of " << size;
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 1.0);
  }
}

TEST(ProgressReader, ReadsTheAudiosLengthAndTheLatestTime) {
  const std::string image = "Input #0, png_pipe, from 'a.png':\n  Duration: N/A, bitrate: N/A\n";
  const std::string stillImage = "Input #0, image2, from 'a.jpg':\n  Duration: 00:00:00.04, s\n";
  const std::string audio = "Input #1, wav, from 'b.wav':\n  Duration: ";
  const std::string output = "Output #0, avi, to 'c.avi':\n";
  const struct {
    const char* what;
    std::vector<std::string> chunks;
    std::optional<double> fraction;
  } cases[] = {
      {"half way",
       {image + audio + "00:00:10.00, b\n" + output, "frame= 1 time=00:00:05.00 b"},
       0.5},
      {"over an hour", {image + audio + "01:30:00.00, b\n", "time=00:45:00.00 b"}, 0.5},
      {"over 99 hours", {image + audio + "120:00:00.00, b\n", "time=030:00:00.00 b"}, 0.25},
      {"split time", {image + audio + "00:00:03.00, b\nframe= 1 ti", "me=00:00:0", "1.50 b"}, 0.5},
      {"split keyword",
       {image + audio.substr(0, audio.size() - 5), "ion: 00:00:08.00\ntime=", "00:00:02.00\r"},
       0.25},
      {"time below zero", {image + audio + "00:00:10.00, b\n", "time=-00:00:00.04 b"}, 0.0},
      {"past the end", {image + audio + "00:00:10.00, b\n", "time=00:00:12.00 b"}, 1.0},
      {"image length first", {stillImage + audio + "00:00:04.00, b\n", "time=00:00:01.00 b"}, 0.25},
      {"audio without length", {image + audio + "N/A, b\n", "time=00:00:01.00 b"}, std::nullopt},
      {"no Duration at all", {"Input #1, wav:\nframe= 1 time=00:00:01.00 b"}, std::nullopt},
      {"no time yet", {image + audio + "00:00:10.00, b\n", "time=N/A bitrate=N/A"}, std::nullopt},
      {"not a conversion", {"64 bytes from x: icmp_seq=1 ttl=57 time=20.1 ms\n"}, std::nullopt},
      {"an unfinished time", {image + audio + "00:00:10.00, b\ntime=00:00:05"}, std::nullopt},
      {"an audio file named like the output",
       {image + "Input #1, mp3, from 'Output #1.mp3':\n  Duration: 00:00:10.00, b\n" + output,
        "frame= 1 time=00:00:05.00 b"},
       0.5},
      {"time= in the image's name",
       {"Input #0, image2, from 'x time=00:00:09.00 y.png':\n" + audio + "00:00:10.00, b\n"},
       std::nullopt},
      {"a line break and a Duration in the audio's name",
       {image + "Input #1, mp3, from 'a\n  Duration: 10:00:00.00.mp3':\n  Duration: 00:00:10.00\n" +
            output,
        "time=00:00:05.00 b"},
       0.5},
      {"the next input's header in the image's long name",
       {"Input #0, png_pipe, from '" + std::string(300, 'n') + "\rInput #1, wav, from 'b\n" +
            "  Duration: 10:00:00.00':\n" + audio + "00:00:10.00, b\n" + output,
        "time=00:00:05.00 b"},
       0.5},
      {"a progress line in the output's name",
       {image + audio + "00:00:10.00, b\nOutput #0, avi, to 'c\rframe= 1 time=00:00:09.00 ':\n"},
       std::nullopt},
      {"Duration: in a tag",
       {image + audio + "00:00:10.00, b\n    title           : Duration: 00:01:40.00\n" + output,
        "time=00:00:05.00 b"},
       0.5},
      {"a Duration key after input #1's own line",
       {image + audio + "00:00:10.00, b\n  Metadata:\n    Duration: 00:01:40.00\n" + output,
        "time=00:00:05.00 b"},
       0.5},
      {"a chapter's Duration key",
       {image + audio +
            "00:00:10.00, b\n  Chapters:\n    Chapter #1:0: start 0.0, end 10.0\n      "
            "Metadata:\n        Duration: 00:01:40.00\n" +
            output,
        "time=00:00:05.00 b"},
       0.5},
      {"two audio inputs",
       {image + audio + "00:00:10.00, b\nInput #2, wav, from 'c.wav':\n  Duration: 00:01:40.00\n" +
            output,
        "time=00:00:05.00 b"},
       0.5},
      {"the latest progress line, not the latest line",
       {image + audio + "00:00:10.00, b\n" + output,
        "time=00:00:01.00 b\rtime=00:00:05.00 b\r[mjpeg @ 0x1] no data\nError while decoding\n"},
       0.5},
      {"no time after a time",
       {image + audio + "00:00:10.00, b\n" + output, "time=00:00:05.00 b\r", "time=N/A b\r"},
       0.5},
      {"a time cut off a long line",
       {image + audio + "00:00:10.00, b\nframe= " + std::string(180, '1') + " time=00:00:05.00\n"},
       std::nullopt},
      {"garbage",
       {"Duration: 99:99:99:99.9.9 Input #x time=::. time=1:2 Input #" + std::string(500, '7'),
        std::string(300, ':') + "time=" + std::string(400, '9')},
       std::nullopt},
  };
  for (const auto& c : cases) {
    ProgressReader reader;
    reader.Start();
    for (const std::string& chunk : c.chunks) reader.Feed(chunk);
    EXPECT_EQ(reader.Fraction(), c.fraction) << c.what;
  }
}

TEST(ProgressReader, ANewRunStartsFromNothing) {
  ProgressReader reader;
  reader.Start();
  reader.Feed("Input #1, wav:\n  Duration: 00:00:10.00,\ntime=00:00:09.00 ");
  ASSERT_TRUE(reader.Fraction());
  reader.Start();
  EXPECT_EQ(reader.Fraction(), std::nullopt);
  reader.Feed("time=00:00:01.00 ");
  EXPECT_EQ(reader.Fraction(), std::nullopt) << "the last run's total is gone";
}

}  // namespace
}  // namespace framora::convert
