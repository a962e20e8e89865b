// The output rules of the console pane: line breaks, the folder mask, the clear-screen chunk,
// the error message and the colours.
#include <gtest/gtest.h>

#include "console/pane_text.h"

namespace framora::console {
namespace {

TEST(FreshPane, BannerEmptyLineAndPrompt) {
  EXPECT_EQ(FreshPaneText(), "[**] Framora audio converter v1.0 [**]\r\n\r\nC:\\> ");
}

TEST(FixedTexts, ExactValues) {
  EXPECT_EQ(kPrompt, "C:\\> ");
  EXPECT_EQ(kPrompt.size(), 5u);
  EXPECT_EQ(kFolderMask, "C:\\");
  EXPECT_EQ(kClearBanner, "[**] Zelbrin's Version of MS-DOS [**]");
  EXPECT_EQ(kCancelLine, "[**] Process Canceled [**]");
}

TEST(NormalizeLineBreaks, CrLfLinesKeepOneBreakEach) {
  EXPECT_EQ(NormalizeLineBreaks("one\r\ntwo\r\n"), "one\r\ntwo\r\n");
}

TEST(NormalizeLineBreaks, BareLfBecomesCrLf) {
  EXPECT_EQ(NormalizeLineBreaks("A\nB\n"), "A\r\nB\r\n");
  EXPECT_EQ(NormalizeLineBreaks("\n\n"), "\r\n\r\n");
}

TEST(NormalizeLineBreaks, BareCrDisappearsSoProgressFiguresSitSideBySide) {
  EXPECT_EQ(NormalizeLineBreaks("10%\r20%\r30%\r"), "10%20%30%");
  EXPECT_EQ(NormalizeLineBreaks("\r"), "");
  EXPECT_EQ(NormalizeLineBreaks("a\r\r\nb"), "a\r\nb");
}

TEST(NormalizeLineBreaks, CrAtEndOfOneChunkAndLfAtStartOfNextGiveOneBreak) {
  EXPECT_EQ(NormalizeLineBreaks("line\r") + NormalizeLineBreaks("\nnext"), "line\r\nnext");
}

TEST(NormalizeLineBreaks, OtherCharactersPassUnchanged) {
  EXPECT_EQ(NormalizeLineBreaks(""), "");
  EXPECT_EQ(NormalizeLineBreaks("tab\there \f ok \xC3\xA9"), "tab\there \f ok \xC3\xA9");
}

TEST(IsFolderChunk, FolderFollowedByTwoCharacters) {
  const std::string folder = "/opt/Framora";
  EXPECT_TRUE(IsFolderChunk(folder + "\r\n", folder));
  EXPECT_TRUE(IsFolderChunk(folder + "xy", folder));
}

TEST(IsFolderChunk, OtherLetterCaseIsOutput) {
  EXPECT_FALSE(IsFolderChunk("/opt/framora\r\n", "/opt/Framora"));
  EXPECT_FALSE(IsFolderChunk("C:\\PROGRAM\r\n", "C:\\Program"));
}

TEST(IsFolderChunk, OneOrThreeTrailingCharactersAreOutput) {
  const std::string folder = "/opt/Framora";
  EXPECT_FALSE(IsFolderChunk(folder + "\n", folder));
  EXPECT_FALSE(IsFolderChunk(folder + "\r\n\n", folder));
  EXPECT_FALSE(IsFolderChunk(folder, folder));
  EXPECT_FALSE(IsFolderChunk("x" + folder + "\r\n", folder));
}

TEST(IsFolderChunk, ShortChunksAreNeverCompared) {
  // An empty folder would match any two-character chunk if these were compared.
  EXPECT_FALSE(IsFolderChunk("\r\n", ""));
  EXPECT_FALSE(IsFolderChunk("a", ""));
  EXPECT_FALSE(IsFolderChunk("", ""));
  EXPECT_TRUE(IsFolderChunk("a\r\n", "a"));
  // Three characters, one of them two bytes long: still compared, by characters.
  EXPECT_FALSE(IsFolderChunk("\xC3\xA9\r", ""));
  EXPECT_TRUE(IsFolderChunk("a\xC3\xA9\r", "a"));
}

TEST(IsFolderChunk, TrailingCharactersAreCountedAsCharactersNotBytes) {
  const std::string folder = "/home/\xC3\xA9l\xC3\xA8ve/bin";           // "/home/élève/bin"
  EXPECT_TRUE(IsFolderChunk(folder + "\xC3\xA9\xE2\x82\xAC", folder));  // "é€"
  EXPECT_FALSE(IsFolderChunk(folder + "\xE2\x82\xAC", folder));         // one character only
  // The folder ends in a two-byte character: dropping two bytes would cut into it.
  EXPECT_TRUE(IsFolderChunk("/x\xC3\xA9\r\n", "/x\xC3\xA9"));
  EXPECT_FALSE(IsFolderChunk("/x\xC3\xA9\r\n", "/x"));
}

TEST(IsClearScreen, OnlyALoneFormFeed) {
  EXPECT_TRUE(IsClearScreen("\f"));
  EXPECT_FALSE(IsClearScreen("\f\n"));
  EXPECT_FALSE(IsClearScreen("x\f"));
  EXPECT_FALSE(IsClearScreen(""));
}

TEST(ErrorMessage, ThreeLinesWithSignedDecimalCode) {
  EXPECT_EQ(ErrorMessage("Invalid Command.", 1200),
            "Error!\r\nDescription: Invalid Command.\r\nLastDLLError: 1200");
  EXPECT_EQ(ErrorMessage("CreatePipe failed.", -5),
            "Error!\r\nDescription: CreatePipe failed.\r\nLastDLLError: -5");
  EXPECT_EQ(ErrorMessage("x", 0), "Error!\r\nDescription: x\r\nLastDLLError: 0");
  EXPECT_EQ(ErrorMessage("x", INT32_MIN), "Error!\r\nDescription: x\r\nLastDLLError: -2147483648");
}

}  // namespace
}  // namespace framora::console
