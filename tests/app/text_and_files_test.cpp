// Character counting, wildcard names and the POSIX file look-up behind the output-exists test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/program_search.h"
#include "app/text.h"
#include "app/wildcard.h"
#include "platform/posix/posix_files.h"
#include "support/scoped_env.h"
#include "support/temp_env.h"

namespace framora {
namespace {

TEST(Text, LengthCountsCharactersNotBytes) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("abcde"), 5u);
  EXPECT_EQ(Utf8Length("äöü"), 3u);
  EXPECT_EQ(Utf8Length("日本"), 2u);
  EXPECT_EQ(Utf8Length("🎵x"), 2u);
  EXPECT_EQ(Utf8Length("a\x80\x80"), 1u) << "stray continuation bytes add nothing";
}

TEST(Text, AsciiLowerLeavesOtherLettersAlone) { EXPECT_EQ(AsciiLower("Clip.AVI Ä"), "clip.avi Ä"); }

TEST(Text, FoldCaseLowersTheLettersWindowsNamesFold) {
  EXPECT_EQ(FoldCase("ÄÖÜ Ÿ ŁĄ ΣΩ ЁЖЯ Clip.AVI ×ß 日本"), "äöü ÿ łą σω ёжя clip.avi ×ß 日本");
  EXPECT_EQ(FoldCase("\xC3"), "\xC3") << "a character cut short stays as it is";
}

TEST(Text, ACaptionIsSpokenWithoutItsAccessKeyMarks) {
  EXPECT_EQ(WithoutAccessKeys("E&xecute &&  R&ock&"), "Execute &  Rock");
}

TEST(Text, AProcessIdIsPlainDecimalDigitsOfAnIdThatCanBe) {
  EXPECT_EQ(ParseProcessId("4294967294"), 4294967294u);
  for (const char* no : {"4294967295", "4294967296", "18446744073709551617", "0", "", "-1", "+4",
                         " 4", "4 ", "0x10", "٤"})
    EXPECT_EQ(ParseProcessId(no), std::nullopt) << no;
}

TEST(Wildcard, StarAndQuestionMarkAreTheOnlyWildcards) {
  EXPECT_TRUE(WildcardMatch("*.avi", "clip.avi"));
  EXPECT_TRUE(WildcardMatch("*.avi", ".avi"));
  EXPECT_FALSE(WildcardMatch("*.avi", "clip.avi.bak"));
  EXPECT_TRUE(WildcardMatch("c?ip.avi", "clip.avi"));
  EXPECT_TRUE(WildcardMatch("c?ip.avi", "cäip.avi")) << "? is one character, not one byte";
  EXPECT_FALSE(WildcardMatch("c?ip.avi", "cip.avi"));
  EXPECT_TRUE(WildcardMatch("song [live].avi", "song [live].avi"));
  EXPECT_FALSE(WildcardMatch("song [live].avi", "song l.avi"));
  EXPECT_TRUE(WildcardMatch("a\\b", "a\\b"));
  EXPECT_TRUE(WildcardMatch("*a*b*c*", "xxaxxbxxcxx"));
  EXPECT_FALSE(WildcardMatch("*a*b*c*", "xxaxxcxxbxx"));
  EXPECT_TRUE(WildcardMatch("**", ""));
  EXPECT_FALSE(HasWildcard("song [live].avi"));
  EXPECT_TRUE(HasWildcard("*.avi"));
}

class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::MakeTempDir("files"); }
  void Touch(const std::string& name) { std::ofstream(dir + "/" + name) << "x"; }
  std::string dir;
  posix::PosixFileSystem fs;
};

TEST_F(PosixFiles, FindsAnExistingFileByFullPath) {
  Touch("video.avi");
  EXPECT_EQ(fs.FindFirstFile(dir + "/video.avi"), "video.avi");
  EXPECT_FALSE(fs.FindFirstFile(dir + "/other.avi"));
}

TEST_F(PosixFiles, BracketsAndBackslashesAreOrdinaryCharacters) {
  Touch("song [live].avi");
  Touch("a\\b.avi");
  EXPECT_TRUE(fs.FindFirstFile(dir + "/song [live].avi"));
  EXPECT_TRUE(fs.FindFirstFile(dir + "/a\\b.avi"));
  EXPECT_FALSE(fs.FindFirstFile(dir + "/song l.avi"));
}

TEST_F(PosixFiles, WildcardsFindMatchingRegularFilesOnly) {
  std::filesystem::create_directory(dir + "/folder.avi");
  EXPECT_FALSE(fs.FindFirstFile(dir + "/*.avi")) << "a directory never counts";
  Touch("clip.avi");
  EXPECT_EQ(fs.FindFirstFile(dir + "/*.avi"), "clip.avi");
  EXPECT_EQ(fs.FindFirstFile(dir + "/cl?p.avi"), "clip.avi");
}

TEST_F(PosixFiles, DirectoriesFifosAndEmptyPatternsNeverCount) {
  std::filesystem::create_directory(dir + "/out.avi");
  ASSERT_EQ(mkfifo((dir + "/pipe.avi").c_str(), 0600), 0);
  EXPECT_FALSE(fs.FindFirstFile(dir + "/out.avi"));
  EXPECT_FALSE(fs.FindFirstFile(dir + "/pipe.avi"));
  EXPECT_FALSE(fs.FindFirstFile(""));
  EXPECT_FALSE(fs.FindFirstFile(dir + "/"));
}

TEST_F(PosixFiles, DotFilesCountBecausePosixHasNoHiddenFiles) {
  Touch(".hidden.avi");
  EXPECT_TRUE(fs.FindFirstFile(dir + "/.hidden.avi"));
  EXPECT_TRUE(fs.FindFirstFile(dir + "/*.avi"));
}

TEST_F(PosixFiles, RelativeNamesAreLookedUpFromTheCurrentDirectory) {
  Touch("here.avi");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  EXPECT_TRUE(fs.FindFirstFile("here.avi"));
  EXPECT_TRUE(fs.FindFirstFile("h*.avi"));
  std::filesystem::current_path(previous);
  EXPECT_FALSE(fs.FindFirstFile("here.avi"));
}

TEST_F(PosixFiles, IsNormalFileTellsFilesFromFolders) {
  Touch("MSINFO32.EXE");
  EXPECT_TRUE(fs.IsNormalFile(dir + "/MSINFO32.EXE"));
  EXPECT_FALSE(fs.IsNormalFile(dir));
  EXPECT_FALSE(fs.IsNormalFile(dir + "/missing"));
  EXPECT_FALSE(fs.IsNormalFile(""));
  EXPECT_TRUE(fs.IsFolder(dir));
  EXPECT_FALSE(fs.IsFolder(dir + "/MSINFO32.EXE"));
  EXPECT_FALSE(fs.IsFolder(dir + "/missing"));
}

TEST_F(PosixFiles, WhatStandsAtANameIsTheNameItselfAndOnlyFilesAreRemoved) {
  Touch("file");
  std::filesystem::create_directory(dir + "/folder");
  std::filesystem::create_symlink(dir + "/nowhere", dir + "/dangling");
  std::filesystem::create_directory_symlink(dir + "/folder", dir + "/to-folder");
  ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
  const std::pair<std::string, PathKind> kinds[] = {
      {"file", PathKind::File},      {"folder", PathKind::Folder}, {"dangling", PathKind::Link},
      {"to-folder", PathKind::Link}, {"pipe", PathKind::Other},    {"missing", PathKind::None},
  };
  for (const auto& [name, kind] : kinds) EXPECT_EQ(fs.KindAt(dir + "/" + name), kind) << name;
  EXPECT_FALSE(fs.RemoveFile(dir + "/folder"));
  EXPECT_TRUE(fs.RemoveFile(dir + "/dangling"));
  EXPECT_EQ(fs.KindAt(dir + "/dangling"), PathKind::None);
  EXPECT_EQ(fs.ListFolder(dir).size(), 4u);
}

TEST_F(PosixFiles, BytesAreReadFromAnOffsetAndStopAtTheEnd) {
  std::ofstream(dir + "/data") << "0123456789";
  EXPECT_EQ(fs.ReadBytes(dir + "/data", 0, 4), "0123");
  EXPECT_EQ(fs.ReadBytes(dir + "/data", 7, 100), "789");
  EXPECT_EQ(fs.ReadBytes(dir + "/data", 10, 4), "");
  EXPECT_EQ(fs.ReadBytes(dir, 0, 4), "") << "a folder has no bytes";
  EXPECT_EQ(fs.ReadBytes(dir + "/missing", 0, 4), "");

  // What FFmpeg reads besides the songs goes into a folder of the program's own, and goes.
  const std::optional<std::string> temp =
      fs.TempFolder() + "/framora-test-" + std::to_string(::getpid());
  ASSERT_TRUE(fs.MakeFolder(*temp));
  EXPECT_FALSE(fs.MakeFolder(*temp)) << "never into what stands there";
  EXPECT_TRUE(fs.WriteFile(*temp + "/list", "a\nb"));
  EXPECT_EQ(fs.ReadBytes(*temp + "/list", 0, 9), "a\nb");
  EXPECT_FALSE(fs.RemoveFolder(*temp)) << "not while something is in it";
  EXPECT_TRUE(fs.RemoveFile(*temp + "/list"));
  EXPECT_TRUE(fs.RemoveFolder(*temp));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  EXPECT_EQ(fs.FullPath("a b.mp3"), std::filesystem::current_path().string() + "/a b.mp3");
  EXPECT_EQ(fs.FullPath("/x/y"), "/x/y");
  std::filesystem::current_path(previous);
}

TEST_F(PosixFiles, FfmpegIsFoundOnPathAsTheShellWouldRunIt) {
  // Not executable, a folder of that name, then the real one.
  for (const char* folder : {"/a", "/b", "/b/ffmpeg", "/c"})
    std::filesystem::create_directory(dir + folder);
  Touch("a/ffmpeg");
  Touch("c/ffmpeg");
  ::chmod((dir + "/c/ffmpeg").c_str(), 0755);
  posix::PosixProgramSearch system;
  const std::string path = "::" + dir + "/a:" + dir + "/b::" + dir + "/c";
  {
    test::ScopedEnv env("PATH", path.c_str());
    EXPECT_EQ(FindProgram(system, PosixFfmpegSearch()), dir + "/c/ffmpeg");
  }
  test::ScopedEnv noPath("PATH", nullptr);
  EXPECT_EQ(system.SearchPath(), "");
  EXPECT_EQ(FindProgram(system, PosixFfmpegSearch()), std::nullopt);
}

}  // namespace
}  // namespace framora
