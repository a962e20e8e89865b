// GetKeyValue over the real registry: values of each type, written by the test below its own
// key of HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <vector>

#include "info/key_value.h"
#include "platform/win32/win32_registry.h"
#include "win32_test_support.h"

namespace framora::win32 {
namespace {

constexpr std::uint32_t kHKeyCurrentUser = 0x80000001;

class RegistryTest : public ::testing::Test {
 protected:
  test::ScopedTestKey key{"Software\\Framora tests\\registry " + test::TestId()};
  Win32Registry registry;

  void Set(const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &hKey, nullptr),
              0);
    ::RegSetValueExA(hKey, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(hKey);
  }
  void SetText(const char* name, const std::string& text, bool withZero = true) {
    std::vector<BYTE> data(text.begin(), text.end());
    if (withZero) data.push_back(0);
    Set(name, REG_SZ, data);
  }
  // GetKeyValue with KeyVal passed in as given.
  std::pair<bool, std::string> Get(const std::string& valueName, std::string keyVal = "") {
    const bool read = GetKeyValue(registry, kHKeyCurrentUser, key.Path(), valueName, keyVal);
    return {read, keyVal};
  }
};

TEST_F(RegistryTest, TextValuesLoseOnlyTheirTerminatingZero) {
  SetText("PATH", "C:\\Program Files\\Tools\\MSINFO32.EXE");
  SetText("NoZero", "abc", false);
  SetText("Empty", "");
  SetText("Umlaut", "C:\\Würze\\日本");
  EXPECT_EQ(Get("PATH"),
            std::make_pair(true, std::string("C:\\Program Files\\Tools\\MSINFO32.EXE")));
  EXPECT_EQ(Get("NoZero"), std::make_pair(true, std::string("abc")));
  EXPECT_EQ(Get("Empty"), std::make_pair(true, std::string()));
  EXPECT_EQ(Get("Umlaut"), std::make_pair(true, std::string("C:\\Würze\\日本")));
}

TEST_F(RegistryTest, NumbersArriveAsTheirFourLittleEndianBytes) {
  Set("Full", REG_DWORD, {0x78, 0x56, 0x34, 0x12});
  Set("Five", REG_DWORD, {0x05, 0x00, 0x00, 0x00});
  EXPECT_EQ(Get("Full"), std::make_pair(true, std::string("&h12345678")));
  RegistryKey hKey = 0;
  ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, key.Path(), kKeyAccessMask, hKey), 0);
  std::uint8_t data[kValueBufferSize] = {};
  std::uint32_t type = 0;
  std::uint32_t size = kValueBufferSize;
  EXPECT_EQ(registry.QueryValue(hKey, "Five", type, data, size), 0);
  registry.CloseKey(hKey);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(std::vector<std::uint8_t>(data, data + size),
            (std::vector<std::uint8_t>{0x05, 0x00, 0x00, 0x00}));
}

TEST_F(RegistryTest, OtherTypesAreReadButLeaveTheTextAsPassedIn) {
  Set("Binary", REG_BINARY, {1, 2, 3});
  Set("Expand", REG_EXPAND_SZ, {'%', 'x', '%', 0});
  EXPECT_EQ(Get("Binary", "kept"), std::make_pair(true, std::string("kept")));
  EXPECT_EQ(Get("Expand"), std::make_pair(true, std::string()));
}

TEST_F(RegistryTest, ValuesUpTo1024BytesAreReadLongerOnesAreNot) {
  SetText("Fits", std::string(1023, 'x'));     // 1024 bytes with its zero
  SetText("TooLong", std::string(1024, 'x'));  // 1025 bytes
  EXPECT_EQ(Get("Fits"), std::make_pair(true, std::string(1023, 'x')));
  EXPECT_EQ(Get("TooLong", "old"), std::make_pair(false, std::string()));
}

TEST_F(RegistryTest, MissingKeysAndValuesAreNotRead) {
  SetText("PATH", "x");
  EXPECT_EQ(Get("NoSuchValue", "old"), std::make_pair(false, std::string()));
  std::string keyVal = "old";
  EXPECT_FALSE(GetKeyValue(registry, kHKeyCurrentUser, key.Path() + "\\missing", "PATH", keyVal));
  EXPECT_EQ(keyVal, "");
}

TEST_F(RegistryTest, KeysOpenWithTheClassicAccessMaskAndCloseAgain) {
  SetText("PATH", "x");
  RegistryKey hKey = 0;
  ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, key.Path(), kKeyAccessMask, hKey), 0);
  // The mask includes setting values: the handle must allow it.
  EXPECT_EQ(::RegSetValueExA(reinterpret_cast<HKEY>(hKey), "written", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("y"), 2),
            0);
  registry.CloseKey(hKey);
  EXPECT_NE(::RegSetValueExA(reinterpret_cast<HKEY>(hKey), "again", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("y"), 2),
            0)
      << "the key was closed";
}

}  // namespace
}  // namespace framora::win32
