// FindFirstFileA and the normal-file test: hidden files, system files and folders never count.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <filesystem>

#include "app/program_search.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "support/temp_env.h"
#include "win32_test_support.h"

namespace framora::win32 {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = test::MakeTempDir("files") + "\\"; }
  void Touch(const std::string& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const HANDLE file = ::CreateFileA(ToNarrow(dir + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    ::CloseHandle(file);
  }
  void Folder(const std::string& name) {
    ASSERT_TRUE(::CreateDirectoryA(ToNarrow(dir + name).c_str(), nullptr)) << name;
  }
  std::string dir;
  Win32FileSystem files;
};

TEST_F(FilesTest, HiddenSystemAndFolderEntriesAreSkippedForTheFirstNormalFile) {
  Touch("a.avi", FILE_ATTRIBUTE_HIDDEN);
  Touch("b.avi", FILE_ATTRIBUTE_SYSTEM);
  Folder("c.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "*.avi"), std::nullopt);
  Touch("d.avi", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(files.FindFirstFile(dir + "*.avi"), "d.avi");
}

TEST_F(FilesTest, ExactNamesWildcardsAndRelativePatterns) {
  Touch("clip.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "clip.avi"), "clip.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "CLIP.AVI"), "clip.avi") << "names ignore letter case";
  EXPECT_EQ(files.FindFirstFile(dir + "cl?p.*"), "clip.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "other.avi"), std::nullopt);
  EXPECT_EQ(files.FindFirstFile(""), std::nullopt);
  std::filesystem::current_path(dir);
  EXPECT_EQ(files.FindFirstFile("clip.avi"), "clip.avi");
  Folder("out.avi");
  EXPECT_EQ(files.FindFirstFile("out.avi"), std::nullopt) << "a folder is not an output file";
}

TEST_F(FilesTest, NonAsciiNamesAreFoundAndReportedInUtf8) {
  Touch("vidéo – 日本.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "vidéo – 日本.avi"), "vidéo – 日本.avi");
  EXPECT_EQ(files.FindFirstFile(dir + "vid*"), "vidéo – 日本.avi");
  EXPECT_TRUE(files.IsNormalFile(dir + "vidéo – 日本.avi"));
}

TEST_F(FilesTest, OnlyNormalFilesAreNormalFiles) {
  Touch("MSINFO32.EXE");
  Touch("hidden.exe", FILE_ATTRIBUTE_HIDDEN);
  Touch("system.exe", FILE_ATTRIBUTE_SYSTEM);
  Folder("folder.exe");
  EXPECT_TRUE(files.IsNormalFile(dir + "MSINFO32.EXE"));
  EXPECT_FALSE(files.IsNormalFile(dir + "hidden.exe"));
  EXPECT_FALSE(files.IsNormalFile(dir + "system.exe"));
  EXPECT_FALSE(files.IsNormalFile(dir + "folder.exe"));
  EXPECT_FALSE(files.IsNormalFile(dir + "missing.exe"));
  EXPECT_FALSE(files.IsNormalFile(""));
}

TEST_F(FilesTest, FfmpegIsFoundInTheProgramsFolderThenOnThePathAndFoldersAreNoFiles) {
  Folder("own");
  Folder("on path");
  Folder("on path\\ffmpeg.exe");  // a folder of that name is no program
  Folder("bin é");
  Touch("bin é\\ffmpeg.exe");
  EXPECT_TRUE(files.IsFolder(dir + "on path"));
  EXPECT_FALSE(files.IsFolder(dir + "bin é\\ffmpeg.exe"));
  Win32ProgramSearch system;
  const std::string path = dir + "on path;;\"" + dir + "bin é\"";
  test::ScopedEnv env("PATH", ToNarrow(path).c_str());
  EXPECT_EQ(system.SearchPath(), path);
  EXPECT_EQ(FindProgram(system, WindowsFfmpegSearch(dir + "own")), dir + "bin é\\ffmpeg.exe");
  Touch("own\\ffmpeg.exe");
  EXPECT_EQ(FindProgram(system, WindowsFfmpegSearch(dir + "own")), dir + "own\\ffmpeg.exe");
}

TEST_F(FilesTest, ARenameReplacesAFileKeepsItsIdentityAndAPipeIsNeverWaitedOn) {
  Touch("a.mp4");
  Touch("b.mp4");
  const std::optional<FileIdentity> a = files.IdentityOf(dir + "a.mp4");
  ASSERT_TRUE(a);
  EXPECT_NE(files.IdentityOf(dir + "b.mp4"), a);
  EXPECT_EQ(files.IdentityOf(dir + "./A.MP4"), a) << "another name of the same file";
  EXPECT_TRUE(files.Rename(dir + "a.mp4", dir + "b.mp4"));
  EXPECT_EQ(files.IdentityOf(dir + "b.mp4"), a);
  EXPECT_EQ(files.IdentityOf(dir + "a.mp4"), std::nullopt);
  const std::string pipe = "\\\\.\\pipe\\framora-" + test::TestId();
  const KernelHandle server(
      ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, 0, 1, 0, 0, 0, nullptr));
  ASSERT_TRUE(server);
  EXPECT_EQ(files.ReadBytes(pipe, 0, 4), "") << "returns without a writer";
}

TEST(LongPath, PastTheLimitAPathIsMadeWholeAndMarkedAndAShorterOneStaysAsItIs) {
  const std::string deep(250, 'd');
  EXPECT_EQ(LongPath("C:\\a/b"), L"C:\\a/b");
  EXPECT_EQ(LongPath("C:\\x/../" + deep), L"\\\\?\\C:\\" + ToWide(deep));
  EXPECT_EQ(LongPath("\\\\srv\\share\\" + deep), L"\\\\?\\UNC\\srv\\share\\" + ToWide(deep));
  EXPECT_EQ(LongPath("\\\\?\\C:\\x/../" + deep), ToWide("\\\\?\\C:\\x/../" + deep));
}

}  // namespace
}  // namespace framora::win32
