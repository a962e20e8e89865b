// Output that mixes UTF-8 lines (FFmpeg's) with lines in the console's code page (cmd.exe's),
// however the reads cut it.
#include <gtest/gtest.h>

#include "app/text.h"
#include "runner/line_chunk_decoder.h"

namespace framora {
namespace {

// Latin-1, where 0x82 leads a two-byte character.
class FakeCodePage : public NarrowCodePage {
 public:
  std::string ToUtf8(std::string_view bytes) const override {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      text += byte == 0x82  ? (++i < bytes.size() ? "漢" : "?")
              : byte < 0x80 ? std::string(1, bytes[i])
                            : std::string{char(0xC0 | byte >> 6), char(0x80 | (byte & 0x3F))};
    }
    return text;
  }
  bool IsLeadByte(unsigned char byte) const override { return byte == 0x82; }
};

TEST(LineChunkDecoderTest, EachLineIsUtf8WhenItCanBeAndInTheCodePageOtherwise) {
  const std::string longUtf8 = "é" + std::string(4093, 'x') + "é\n";  // cut inside the 2nd 'é'
  const struct {
    const char* what;
    std::string bytes, text;
  } cases[] = {
      {"cmd's code page, then FFmpeg's UTF-8", "'C:\\\xC4rger'\r\nfrom '\xC3\x84rger':\n",
       "'C:\\Ärger'\r\nfrom 'Ärger':\n"},
      {"UTF-8 until a byte of the code page", "\xC3\xA9 \xC4\n", "Ã© Ä\n"},
      {"a pair at the cut of a long line", "\xC4" + std::string(4094, 'x') + "\x82z\n",
       "Ä" + std::string(4094, 'x') + "漢\n"},
      {"UTF-8 at the cut of a long line", longUtf8, longUtf8},
      {"unfinished at the end", "ok \xC3\xA9\xE2\x82", "ok é\xEF\xBF\xBD"},
  };
  const FakeCodePage codePage;
  for (const auto& c : cases) {
    for (const std::size_t size : {c.bytes.size(), std::size_t{3}, std::size_t{1}}) {  // reads
      LineChunkDecoder decoder(codePage);
      std::string text;
      std::string chunk;
      const auto take = [&] {
        text += chunk;
        EXPECT_LE(Utf8Length(chunk), 256u) << c.what;
      };
      for (std::size_t at = 0; at < c.bytes.size(); at += size) {
        decoder.Decode(std::string_view(c.bytes).substr(at, size), chunk);
        for (take(); decoder.Pending(); take()) decoder.Decode({}, chunk);
      }
      for (decoder.Finish(chunk), take(); decoder.Pending(); take()) decoder.Decode({}, chunk);
      EXPECT_EQ(text, c.text) << c.what << " in reads of " << size;
    }
  }
}

}  // namespace
}  // namespace framora
