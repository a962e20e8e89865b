// The settings store over an INI file: exact round trips, durability, and bad files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "qt/qt_settings.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = QString::fromStdString(test::MakeTempDir("config")); }
  std::string ReadBack(const std::string& key) {
    QtSettingsStore other(dir);  // a second instance, as after a restart
    return ReadSetting(other, kSettingsApp, kSettingsSection, key, "<default>");
  }
  QString dir;
};

TEST_F(SettingsStoreTest, ValuesSurviveARestartExactly) {
  const std::string long_path = "/" + std::string(3999, 'p');
  const std::vector<std::string> values = {
      "",
      "/usr/bin/ffmpeg",
      "a, b, c",
      "\"quoted\" and 'single'",
      "C:\\Program Files\\ffmpeg\\bin\\ffmpeg.exe",
      "100% = done; #not a comment",
      "  leading and trailing blanks  ",
      "Ünïcödé/日本/🎵.mp3",
      "@Variant(garbage)",
      "line\nbreak\ttab",
      "[section]",
      long_path,
  };
  for (const auto& value : values) {
    QtSettingsStore store(dir);
    WriteSetting(store, kSettingsApp, kSettingsSection, kKeyFfmpeg, value);
    EXPECT_EQ(ReadBack(kKeyFfmpeg), value);
  }
}

TEST_F(SettingsStoreTest, NeverWrittenReadsAsTheDefaultButEmptyIsAValue) {
  QtSettingsStore store(dir);
  EXPECT_EQ(ReadSetting(store, kSettingsApp, kSettingsSection, kKeyImage, "dflt"), "dflt");
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyImage, "");
  EXPECT_EQ(ReadSetting(store, kSettingsApp, kSettingsSection, kKeyImage, "dflt"), "");
  EXPECT_EQ(ReadSetting(store, kSettingsApp, "other", kKeyImage, "dflt"), "dflt");
  EXPECT_EQ(ReadSetting(store, "Other app", kSettingsSection, kKeyImage, "dflt"), "dflt");
}

TEST_F(SettingsStoreTest, TheFourKeysLiveSideBySideInOneFilePerApplication) {
  QtSettingsStore store(dir);
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyFfmpeg, "f");
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyImage, "i");
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyAudio, "a");
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeySave, "s");
  EXPECT_EQ(ReadBack(kKeyFfmpeg), "f");
  EXPECT_EQ(ReadBack(kKeyImage), "i");
  EXPECT_EQ(ReadBack(kKeyAudio), "a");
  EXPECT_EQ(ReadBack(kKeySave), "s");
  const QString file = store.FilePath(kSettingsApp);
  EXPECT_TRUE(file.endsWith("/Framora audio converter.ini"));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().contains("[config]"));
}

TEST_F(SettingsStoreTest, EachWriteReplacesTheFileBeforeItReturns) {
  QtSettingsStore store(dir);
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyFfmpeg, "one");
  const std::string path = store.FilePath(kSettingsApp).toStdString();
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyFfmpeg, "two");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  // A new file renamed over the old one: a reader never sees it half-written.
  EXPECT_NE(before.st_ino, after.st_ino);
  std::ifstream in(path);
  const std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(content.find("two"), std::string::npos);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary left";
}

TEST_F(SettingsStoreTest, AFolderWhereTheFileShouldBeGivesDefaultsAndDropsWrites) {
  QtSettingsStore store(dir);
  ASSERT_TRUE(QDir().mkpath(store.FilePath(kSettingsApp)));
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeyFfmpeg, "lost");
  EXPECT_EQ(ReadBack(kKeyFfmpeg), "<default>");
  EXPECT_TRUE(QFileInfo(store.FilePath(kSettingsApp)).isDir());
}

TEST_F(SettingsStoreTest, ACorruptFileNeverCrashesAndReadsGiveDefaults) {
  QtSettingsStore store(dir);
  {
    std::ofstream out(store.FilePath(kSettingsApp).toStdString(), std::ios::binary);
    const char junk[] = "\x00\xff\xfe[[[config\n=\n\x01\x02=\"unterminated\n\\";
    out.write(junk, sizeof junk);
  }
  EXPECT_EQ(ReadBack(kKeySave), "<default>");
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeySave, "/out/x.avi");
  const std::string after = ReadBack(kKeySave);
  EXPECT_TRUE(after == "/out/x.avi" || after == "<default>") << after;
}

TEST_F(SettingsStoreTest, AnUnwritableFolderDropsWritesSilently) {
  QtSettingsStore store(dir + "/no/such");
  std::ofstream(dir.toStdString() + "/no") << "a file where a folder should be";
  WriteSetting(store, kSettingsApp, kSettingsSection, kKeySave, "x");
  EXPECT_EQ(ReadSetting(store, kSettingsApp, kSettingsSection, kKeySave, "d"), "d");
}

}  // namespace
}  // namespace framora::qt
