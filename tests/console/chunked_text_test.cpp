// The pane's block storage: appends across block boundaries read back exactly.
#include <gtest/gtest.h>

#include <string>

#include "console/chunked_text.h"

namespace framora::console {
namespace {

constexpr std::size_t kBlock = ChunkedText::kBlockSize;

std::string Pattern(std::size_t n, std::size_t seed) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + seed) % 26);
  return s;
}

TEST(ChunkedText, PiecesAcrossBlockBoundariesReadBackExactly) {
  ChunkedText text;
  std::string expected;
  // Sizes chosen so that pieces end just before, on and just after the block boundaries.
  for (std::size_t n : {kBlock - 3, std::size_t{2}, std::size_t{1}, std::size_t{5}, 2 * kBlock + 7,
                        std::size_t{0}, kBlock - 4}) {
    const std::string piece = Pattern(n, expected.size());
    text.Append(piece);
    expected += piece;
  }
  ASSERT_EQ(text.size(), expected.size());
  EXPECT_EQ(text.str(), expected);
  for (std::size_t at :
       {std::size_t{0}, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock + 2, expected.size() - 1}) {
    EXPECT_EQ(text[at], expected[at]) << at;
  }
  EXPECT_EQ(text.Substr(kBlock - 2, 5), expected.substr(kBlock - 2, 5));
  EXPECT_EQ(text.Substr(expected.size() - 3, 100), expected.substr(expected.size() - 3));
  EXPECT_EQ(text.Substr(expected.size(), 4), "");
}

TEST(ChunkedText, SpansCoverTheRangeInOrder) {
  ChunkedText text;
  const std::string all = Pattern(2 * kBlock + 10, 3);
  text.Append(all);
  std::string joined;
  int spans = 0;
  text.ForEachSpan(kBlock - 5, kBlock + 10, [&](std::string_view span) {
    joined.append(span);
    ++spans;
  });
  EXPECT_EQ(joined, all.substr(kBlock - 5, kBlock + 10));
  EXPECT_EQ(spans, 3);
}

TEST(ChunkedText, AssignReplacesEverything) {
  ChunkedText text;
  text.Append(Pattern(kBlock + 1, 0));
  text.Assign("short");
  EXPECT_EQ(text.size(), 5u);
  EXPECT_EQ(text.str(), "short");
  text.Assign("");
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(text.str(), "");
}

// The first block grows by itself; every full-size block after it comes from the block memory
// set, and goes back to it once.
TEST(ChunkedText, FullBlocksComeFromTheBlockMemoryAndGoBackToIt) {
  static int taken = 0;
  static int given = 0;
  {
    ChunkedText text;
    text.SetBlockMemory(
        {[] { return ++taken, new char[kBlock]; }, [](char* block) { ++given, delete[] block; }});
    text.Append(Pattern(3 * kBlock + 1, 0));
    EXPECT_EQ(taken, 3);
    text.Assign("short");
    EXPECT_EQ(given, 3);
    text.Append(Pattern(2 * kBlock, 1));
    EXPECT_EQ(text.str(), "short" + Pattern(2 * kBlock, 1));
  }
  EXPECT_EQ(taken, 5);
  EXPECT_EQ(given, 5);
}

}  // namespace
}  // namespace framora::console
