// The text of the reads: characters cut by a read boundary, bytes that are not UTF-8, and the
// limit of 256 characters to a chunk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/text.h"
#include "runner/utf8_chunk_decoder.h"

namespace framora {
namespace {

using ::testing::ElementsAre;

const std::string kFffd = "\xEF\xBF\xBD";

// Feeds the reads in turn and returns every chunk, the one from Finish last.
std::vector<std::string> DecodeReads(const std::vector<std::string>& reads) {
  Utf8ChunkDecoder decoder;
  std::vector<std::string> chunks;
  std::string chunk;
  for (const std::string& read : reads) {
    decoder.Decode(read, chunk);
    chunks.push_back(chunk);
  }
  decoder.Finish(chunk);
  chunks.push_back(chunk);
  return chunks;
}

std::string Join(const std::vector<std::string>& chunks) {
  std::string text;
  for (const std::string& chunk : chunks) text += chunk;
  return text;
}

// --- Whole text ---

TEST(Utf8ChunkDecoderTest, AsciiAndWholeCharactersPassUnchanged) {
  EXPECT_THAT(DecodeReads({"plain\r\n", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"}),
              ElementsAre("plain\r\n", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", ""));
}

TEST(Utf8ChunkDecoderTest, EmptyReadGivesAnEmptyChunk) {
  EXPECT_THAT(DecodeReads({""}), ElementsAre("", ""));
}

// --- Characters cut by a read boundary ---

TEST(Utf8ChunkDecoderTest, ACharacterCutAnywhereArrivesWholeInTheNextChunk) {
  const std::vector<std::string> characters = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  for (const std::string& character : characters) {
    for (std::size_t cut = 1; cut < character.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << character.size() << "-byte character cut after " << cut);
      std::string first = "a";
      first.append(character, 0, cut);
      std::string second = character.substr(cut);
      second += 'b';
      EXPECT_THAT(DecodeReads({first, second}), ElementsAre("a", character + 'b', ""));
    }
  }
}

TEST(Utf8ChunkDecoderTest, ACharacterSpreadOverThreeReadsArrivesWhole) {
  EXPECT_THAT(DecodeReads({"\xF0", "\x9F", "\x98\x80!"}),
              ElementsAre("", "", "\xF0\x9F\x98\x80!", ""));
}

TEST(Utf8ChunkDecoderTest, CarriageReturnAndLineFeedMayBeSplitAndStayAsTheyAre) {
  EXPECT_THAT(DecodeReads({"one\r", "\ntwo"}), ElementsAre("one\r", "\ntwo", ""));
}

// --- Bytes that are not UTF-8 ---

TEST(Utf8ChunkDecoderTest, BytesThatCannotStartACharacterBecomeOneReplacementEach) {
  EXPECT_THAT(DecodeReads({"a\x80"
                           "b\xC0\xC1\xF5\xFF"
                           "c"}),
              ElementsAre("a" + kFffd + "b" + kFffd + kFffd + kFffd + kFffd + "c", ""));
}

TEST(Utf8ChunkDecoderTest, OverlongFormsSurrogatesAndValuesAboveTheLastCodePointAreRefused) {
  // Each byte after a lead that cannot have it is a broken piece of its own.
  EXPECT_THAT(DecodeReads({"\xE0\x80\x80"}), ElementsAre(kFffd + kFffd + kFffd, ""));
  EXPECT_THAT(DecodeReads({"\xED\xA0\x80"}), ElementsAre(kFffd + kFffd + kFffd, ""));
  EXPECT_THAT(DecodeReads({"\xF0\x80\x80\x80"}), ElementsAre(kFffd + kFffd + kFffd + kFffd, ""));
  EXPECT_THAT(DecodeReads({"\xF4\x90\x80\x80"}), ElementsAre(kFffd + kFffd + kFffd + kFffd, ""));
  // The largest values that are allowed.
  EXPECT_THAT(DecodeReads({"\xED\x9F\xBF\xF4\x8F\xBF\xBF"}),
              ElementsAre("\xED\x9F\xBF\xF4\x8F\xBF\xBF", ""));
}

TEST(Utf8ChunkDecoderTest, ABrokenOffCharacterIsOneReplacementAndTheNextByteStillCounts) {
  EXPECT_THAT(DecodeReads({"\xE2\x82"
                           "A\xC3\xC3\xA9"}),
              ElementsAre(kFffd + "A" + kFffd + "\xC3\xA9", ""));
}

TEST(Utf8ChunkDecoderTest, ACharacterBrokenOffAcrossAReadIsReplacedInTheNextChunk) {
  EXPECT_THAT(DecodeReads({"x\xE2\x82", "y"}), ElementsAre("x", kFffd + "y", ""));
}

TEST(Utf8ChunkDecoderTest, AnUnfinishedCharacterAtTheEndBecomesAReplacementInTheLastChunk) {
  EXPECT_THAT(DecodeReads({"end\xF0\x9F"}), ElementsAre("end", kFffd));
}

TEST(Utf8ChunkDecoderTest, FinishStartsAfresh) {
  Utf8ChunkDecoder decoder;
  std::string chunk;
  decoder.Decode("\xE2\x82", chunk);
  decoder.Finish(chunk);
  decoder.Decode("\xAC", chunk);  // no longer the tail of anything
  EXPECT_EQ(chunk, kFffd);
}

// --- The limit of 256 characters ---

TEST(Utf8ChunkDecoderTest, AReplacementInFrontOfAFullReadPushesTheLastCharacterToTheNextChunk) {
  const std::vector<std::string> chunks = DecodeReads({"\xE2", std::string(256, 'a'), "b"});
  ASSERT_EQ(chunks.size(), 4u);
  EXPECT_EQ(chunks[0], "");
  EXPECT_EQ(chunks[1], kFffd + std::string(255, 'a'));
  EXPECT_EQ(chunks[2], "ab");
  EXPECT_EQ(chunks[3], "");
}

TEST(Utf8ChunkDecoderTest, ACharacterOverTheLimitWaitsWhateverKindItIs) {
  std::string full(255, 'a');
  full += '\xFF';  // a read of 256 bytes that ends in a replacement
  const std::vector<std::string> chunks = DecodeReads({"\xE2", full, "\xC3\xA9"});
  ASSERT_EQ(chunks.size(), 4u);
  EXPECT_EQ(chunks[1], kFffd + std::string(255, 'a'));
  EXPECT_EQ(chunks[2], kFffd + "\xC3\xA9");
}

TEST(Utf8ChunkDecoderTest, HeldBackCharactersComeOutAtTheEnd) {
  const std::vector<std::string> chunks = DecodeReads({"\xE2", std::string(256, 'a')});
  EXPECT_EQ(chunks.back(), "a");
}

TEST(Utf8ChunkDecoderTest, AnySplitOfAnyBytesGivesTheSameTextInChunksOfAtMost256Characters) {
  std::mt19937 random(20240517);
  const std::string pieces[] = {"a",    "\r\n",     "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\x80", "\xE2\x82", "\xF0\x9F", "\xFF",         "\xED\xA0\x80"};
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    const int count = static_cast<int>(random() % 3000);
    for (int i = 0; i < count; ++i) bytes += pieces[random() % std::size(pieces)];

    // One byte at a time is the reference: every possible boundary is a read boundary.
    std::vector<std::string> single;
    for (char c : bytes) single.emplace_back(1, c);
    const std::string expected = Join(DecodeReads(single));

    std::vector<std::string> reads;
    for (std::size_t at = 0; at < bytes.size();) {
      // Full reads half of the time: a held-back piece in front of one is the hard case.
      const std::size_t size = random() % 2 == 0 ? 256 : 1 + random() % 256;
      reads.push_back(bytes.substr(at, size));
      at += size;
    }
    const std::vector<std::string> chunks = DecodeReads(reads);
    for (const std::string& chunk : chunks) ASSERT_LE(Utf8Length(chunk), 256u);
    ASSERT_EQ(Join(chunks), expected) << "round " << round;
  }
}

TEST(Utf8ChunkDecoderTest, WellFormedTextComesBackByteForByteWhateverTheReads) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\n";
  std::vector<std::string> reads;
  for (std::size_t at = 0; at < text.size(); at += 256) reads.push_back(text.substr(at, 256));
  EXPECT_EQ(Join(DecodeReads(reads)), text);
}

}  // namespace
}  // namespace framora
