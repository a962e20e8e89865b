// The settings store in the registry: values survive a new store object, live where classic
// Windows programs keep theirs, and are REG_SZ text.
#include <gtest/gtest.h>

#include "win32_test_support.h"
#include "win32_ui/win32_settings.h"

namespace framora::win32 {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  const std::string app = "Framora settings test " + test::TestId();
  test::ScopedTestKey key{std::string(Win32SettingsStore::kBaseKey) + "\\" + app};

  // The raw value as the registry holds it.
  std::pair<DWORD, std::string> Raw(const std::string& section, const std::string& name) {
    HKEY hKey = nullptr;
    const std::string path = key.Path() + "\\" + section;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &hKey) != 0)
      return {0, "<no key>"};
    char data[512] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG rc = ::RegQueryValueExA(hKey, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    if (rc != 0) return {0, "<no value>"};
    return {type, std::string(data, size)};
  }
};

TEST_F(SettingsStoreTest, ValuesSurviveANewStoreAndMissingOnesReadAsNothing) {
  EXPECT_EQ(Win32SettingsStore().Read(app, "config", "ffmpeg-location"), std::nullopt);
  Win32SettingsStore().Write(app, "config", "ffmpeg-location", "C:\\ffmpeg\\bin\\ffmpeg.exe");
  Win32SettingsStore().Write(app, "config", "save-file", "");
  Win32SettingsStore store;
  EXPECT_EQ(store.Read(app, "config", "ffmpeg-location"), "C:\\ffmpeg\\bin\\ffmpeg.exe");
  EXPECT_EQ(store.Read(app, "config", "save-file"), "") << "empty is a stored value";
  EXPECT_EQ(store.Read(app, "config", "image-file"), std::nullopt);
  EXPECT_EQ(store.Read(app, "other", "ffmpeg-location"), std::nullopt);
}

TEST_F(SettingsStoreTest, WritingReplacesAndKeepsNonAsciiAndLongText) {
  Win32SettingsStore store;
  store.Write(app, "config", "audio-file", "C:\\old.wav");
  store.Write(app, "config", "audio-file", "C:\\Musik\\Grüße – 日本.wav");
  EXPECT_EQ(store.Read(app, "config", "audio-file"), "C:\\Musik\\Grüße – 日本.wav");
  const std::string longPath = "C:\\" + std::string(600, 'a') + ".avi";
  store.Write(app, "config", "save-file", longPath);
  EXPECT_EQ(store.Read(app, "config", "save-file"), longPath);
}

TEST_F(SettingsStoreTest, ValuesAreTextUnderTheApplicationAndSectionKey) {
  EXPECT_EQ(Win32SettingsStore::SectionKey("Framora audio converter", "config"),
            "Software\\VB and VBA Program Settings\\Framora audio converter\\config");
  Win32SettingsStore().Write(app, "config", "image-file", "C:\\pics\\cover.jpg");
  const auto [type, data] = Raw("config", "image-file");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("C:\\pics\\cover.jpg") + '\0');
}

TEST_F(SettingsStoreTest, AValueOfAnotherTypeReadsAsNothing) {
  Win32SettingsStore().Write(app, "config", "ffmpeg-location", "x");
  HKEY hKey = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (key.Path() + "\\config").c_str(), 0, KEY_SET_VALUE,
                            &hKey),
            0);
  const DWORD number = 5;
  ::RegSetValueExA(hKey, "ffmpeg-location", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
  ::RegCloseKey(hKey);
  EXPECT_EQ(Win32SettingsStore().Read(app, "config", "ffmpeg-location"), std::nullopt);
}

}  // namespace
}  // namespace framora::win32
