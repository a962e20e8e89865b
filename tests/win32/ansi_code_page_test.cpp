// Where the system does not run the program in UTF-8 (older Windows ignore the manifest's code
// page), the adapters convert between UTF-8 and the ANSI code page: what the code page holds
// survives, anything else becomes '?'. This program has no manifest, so it runs in the ANSI
// code page (1252 in the test's Wine prefix).
#include <gtest/gtest.h>

#include "info/key_value.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"
#include "support/temp_env.h"
#include "win32_test_support.h"

namespace framora::win32 {
namespace {

class AnsiCodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western European code page";
  }
};

TEST_F(AnsiCodePage, TextThatTheCodePageHoldsSurvivesTheRoundTrip) {
  EXPECT_FALSE(NarrowIsUtf8());
  EXPECT_EQ(ToNarrow("Grüße €"),
            "Gr\xFC\xDF"
            "e \x80");
  EXPECT_EQ(FromNarrow("Gr\xFC\xDF"
                       "e \x80"),
            "Grüße €");
  EXPECT_EQ(ToNarrow("日本"), "??");
}

TEST_F(AnsiCodePage, PipeBytesThatAreNotUtf8AreInTheConsolesCodePageNotTheAnsiOne) {
  const ConsoleCodePage oem;  // 437 here, as 850: 'é' at 0x82
  LineChunkDecoder decoder(oem);
  std::string chunk;
  decoder.Decode("caf\x82\r\n", chunk);
  EXPECT_EQ(chunk, "café\r\n");
  decoder.Finish(chunk);
  EXPECT_EQ(chunk, "");
}

TEST_F(AnsiCodePage, FileNamesAndRegistryTextArriveAsUtf8) {
  const std::string dir = test::MakeTempDir("ansi") + "\\";
  const HANDLE file = ::CreateFileA((dir + "vid\xE9o.avi").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::CloseHandle(file);
  Win32FileSystem files;
  EXPECT_EQ(files.FindFirstFile(dir + "vidéo.avi"), "vidéo.avi");

  test::ScopedTestKey key{"Software\\Framora tests\\ansi " + test::TestId()};
  HKEY hKey = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &hKey, nullptr),
            0);
  ::RegSetValueExA(hKey, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\W\xFCrze"), 9);
  ::RegCloseKey(hKey);
  Win32Registry registry;
  std::string value;
  EXPECT_TRUE(GetKeyValue(registry, 0x80000001, key.Path(), "PATH", value));
  EXPECT_EQ(value, "C:\\Würze");
}

}  // namespace
}  // namespace framora::win32
