// Output that mixes UTF-8 lines (FFmpeg's) with lines in the console's code page (cmd.exe's),
// however the reads cut it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/text.h"
#include "runner/line_chunk_decoder.h"

namespace framora {
namespace {

// Latin-1, but with code page 850's 'Ü' at 0x9A and 0x82 leading a two-byte character.
class FakeCodePage : public NarrowCodePage {
 public:
  std::string ToUtf8(std::string_view bytes) const override {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (IsLeadByte(byte)) {
        text += i + 1 < bytes.size() ? "漢" : "?";
        ++i;
      } else if (byte == 0x9A) {
        text += "Ü";
      } else if (byte < 0x80) {
        text += static_cast<char>(byte);
      } else {
        text += static_cast<char>(0xC0 | byte >> 6);
        text += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
    return text;
  }
  bool IsLeadByte(unsigned char byte) const override { return byte == 0x82; }
};

TEST(LineChunkDecoderTest, EachLineIsUtf8WhenItCanBeAndInTheCodePageOtherwise) {
  const std::string longLine = "\x9A" + std::string(4094, 'x') + "\x82" + "A\n";
  std::string longUtf8;
  for (int i = 0; i < 2047; ++i) longUtf8 += "é";
  longUtf8 += "xé\n";
  const struct {
    const char* what;
    std::vector<std::string> reads;
    std::string text;
  } cases[] = {
      {"FFmpeg's UTF-8", {"from 'Übersetzer.wav':\n"}, "from 'Übersetzer.wav':\n"},
      {"cmd's code page", {"'C:\\\x9A", "bersetzer' nicht\r\n"}, "'C:\\Übersetzer' nicht\r\n"},
      {"each line its own", {"\x9A\r\n\xC3\x9C\n"}, "Ü\r\nÜ\n"},
      {"UTF-8 until a byte of the code page", {"\xC3\xA9 \x9A\n"}, "Ã© Ü\n"},
      {"characters split by reads", {"a\xC3", "\x9C", "b\r", "\n\x9A", "x"}, "aÜb\r\nÜx"},
      {"a pair at the cut of a long line", {longLine}, "Ü" + std::string(4094, 'x') + "漢\n"},
      {"UTF-8 at the cut of a long line", {longUtf8}, longUtf8},
      {"unfinished at the end", {"ok \xC3\xA9\xE2\x82"}, "ok é\xEF\xBF\xBD"},
  };
  const FakeCodePage codePage;
  for (const auto& c : cases) {
    std::string bytes;
    for (const std::string& read : c.reads) bytes += read;
    std::vector<std::string> oneByteEach;
    for (char byte : bytes) oneByteEach.emplace_back(1, byte);
    for (const auto& reads : {c.reads, oneByteEach, std::vector<std::string>{bytes}}) {
      LineChunkDecoder decoder(codePage);
      std::string text;
      std::string chunk;
      std::size_t longest = 0;
      const auto take = [&] {
        text += chunk;
        longest = std::max(longest, Utf8Length(chunk));
      };
      for (const std::string& read : reads) {
        decoder.Decode(read, chunk);
        for (take(); decoder.Pending(); take()) decoder.Decode({}, chunk);
      }
      for (decoder.Finish(chunk), take(); decoder.Pending(); take()) decoder.Decode({}, chunk);
      EXPECT_EQ(text, c.text) << c.what << " in " << reads.size() << " reads";
      EXPECT_LE(longest, 256u) << c.what;
    }
  }
}

}  // namespace
}  // namespace framora
