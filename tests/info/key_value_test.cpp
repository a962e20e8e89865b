#include "info/key_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"

namespace framora {
namespace {

constexpr std::uint32_t kRoot = kHKeyLocalMachine;
constexpr const char* kKey = "SOFTWARE\\Framora\\Test";
constexpr std::uint32_t kRegBinary = 3;

class KeyValueTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Whatever happened, no key may stay open and no foreign handle may be closed.
    EXPECT_EQ(registry.OpenKeys(), 0u);
    EXPECT_EQ(registry.badCloses, 0);
  }

  // Reads the value "v" with a KeyVal that is not empty on entry, so clearing shows.
  bool Read(std::uint32_t type, std::vector<std::uint8_t> data) {
    registry.SetBytes(kRoot, kKey, "v", type, std::move(data));
    return GetKeyValue(registry, kRoot, kKey, "v", value);
  }
  std::string Dword(std::vector<std::uint8_t> data) {
    value.clear();
    EXPECT_TRUE(Read(kRegDword, std::move(data)));
    return value;
  }

  test::FakeRegistry registry;
  std::string value = "stale";
};

TEST_F(KeyValueTest, MissingKeyIsNotReadAndEmptiesTheText) {
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.closeCalls, 0);  // nothing was opened
}

TEST_F(KeyValueTest, OpensTheNamedKeyUnderTheRootWithTheClassicMask) {
  registry.SetString(0x80000001, kKey, "v", "x");
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));  // other root
  EXPECT_TRUE(GetKeyValue(registry, 0x80000001, kKey, "v", value));
  ASSERT_EQ(registry.openCalls.size(), 2u);
  EXPECT_EQ(registry.openCalls[1].root, 0x80000001u);
  EXPECT_EQ(registry.openCalls[1].name, kKey);
  EXPECT_EQ(registry.openCalls[1].mask, 0x2003Fu);
}

TEST_F(KeyValueTest, MissingValueIsNotReadAndClosesTheKey) {
  registry.SetString(kRoot, kKey, "other", "x");
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.closeCalls, 1);
  EXPECT_EQ(registry.queryCalls, std::vector<std::string>{"v"});
}

TEST_F(KeyValueTest, QueriesWithTheFullBufferSize) {
  EXPECT_TRUE(Read(kRegSz, {'a', 0}));
  EXPECT_EQ(registry.bufferSizesOnEntry, std::vector<std::uint32_t>{1024});
}

// A port that only reports a size: whatever the caller's buffer held shows through.
class SizeOnlyRegistry : public RegistryPort {
 public:
  std::int32_t OpenKey(std::uint32_t, const std::string&, std::uint32_t,
                       RegistryKey& key) override {
    key = 1;
    return kRegSuccess;
  }
  std::int32_t QueryValue(RegistryKey, const std::string&, std::uint32_t& type, std::uint8_t* data,
                          std::uint32_t& size) override {
    allZero = std::all_of(data, data + size, [](std::uint8_t b) { return b == 0; });
    type = kRegSz;
    size = reported;
    return kRegSuccess;
  }
  void CloseKey(RegistryKey) override { ++closes; }

  std::uint32_t reported = 0;
  bool allZero = false;
  int closes = 0;
};

TEST(KeyValueBuffer, StartsZeroedOnEveryCall) {
  SizeOnlyRegistry registry;
  registry.reported = 4;
  std::string value;
  for (int call = 0; call < 2; ++call) {
    registry.allZero = false;
    EXPECT_TRUE(GetKeyValue(registry, kRoot, kKey, "v", value));
    EXPECT_TRUE(registry.allZero);
    EXPECT_EQ(value, std::string(3, '\0'));  // four zero bytes, the last taken as terminator
  }
  EXPECT_EQ(registry.closes, 2);
}

TEST_F(KeyValueTest, TextLosesOnlyItsTerminatingZero) {
  EXPECT_TRUE(Read(kRegSz, {'C', ':', '\\', 'x', 0}));
  EXPECT_EQ(value, "C:\\x");
  EXPECT_TRUE(Read(kRegSz, {'C', ':', '\\', 'x'}));  // stored without a terminating zero
  EXPECT_EQ(value, "C:\\x");
  EXPECT_TRUE(Read(kRegSz, {'a', 'b', 0, 0}));
  EXPECT_EQ(value, std::string("ab\0", 3));
  EXPECT_TRUE(Read(kRegSz, {0}));
  EXPECT_EQ(value, "");
}

TEST_F(KeyValueTest, TextBytesArePassedOnUnchanged) {
  EXPECT_TRUE(Read(kRegSz, {'C', 0xC3, 0xA9, 0x80, 0xFF, 0}));
  EXPECT_EQ(value, "C\xC3\xA9\x80\xFF");
}

TEST_F(KeyValueTest, ValueOfExactlyTheBufferSizeIsRead) {
  EXPECT_TRUE(Read(kRegSz, std::vector<std::uint8_t>(1024, 'x')));
  EXPECT_EQ(value, std::string(1024, 'x'));

  std::vector<std::uint8_t> terminated(1023, 'y');
  terminated.push_back(0);
  EXPECT_TRUE(Read(kRegSz, terminated));
  EXPECT_EQ(value, std::string(1023, 'y'));
}

TEST_F(KeyValueTest, ValueLongerThanTheBufferIsNotRead) {
  EXPECT_FALSE(Read(kRegSz, std::vector<std::uint8_t>(1025, 'x')));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.closeCalls, 1);
}

TEST_F(KeyValueTest, DwordIsTheStoredNumberInHex) {
  EXPECT_EQ(Dword({0x78, 0x56, 0x34, 0x12}), "&h12345678");
  EXPECT_EQ(Dword({0x04, 0x03, 0x02, 0x01}), "&h1020304");
  EXPECT_EQ(Dword({0x00, 0x00, 0x00, 0x01}), "&h1000000");
  EXPECT_EQ(Dword({0x00, 0x01, 0x00, 0x00}), "&h100");
  EXPECT_EQ(Dword({0xEF, 0xBE, 0xAD, 0xDE}), "&hDEADBEEF");
  EXPECT_EQ(Dword({0xFF, 0xFF, 0xFF, 0xFF}), "&hFFFFFFFF");
}

TEST_F(KeyValueTest, DwordWithZeroTopByteKeepsItsValue) {
  // The terminating-zero rule drops the top byte; the number must not change.
  EXPECT_EQ(Dword({0x03, 0x02, 0x01, 0x00}), "&h10203");
  EXPECT_EQ(Dword({0x05, 0x00, 0x00, 0x00}), "&h5");
  EXPECT_EQ(Dword({0x00, 0x00, 0x00, 0x00}), "&h0");
  registry.SetDword(kRoot, kKey, "n", 0x00ABCDEF);
  EXPECT_TRUE(GetKeyValue(registry, kRoot, kKey, "n", value));
  EXPECT_EQ(value, "&hABCDEF");
}

TEST_F(KeyValueTest, DwordOfOddLengthIsReadLittleEndianWithoutOverrun) {
  EXPECT_EQ(Dword({0x34, 0x12}), "&h1234");
  EXPECT_EQ(Dword({0x07}), "&h7");
  EXPECT_EQ(Dword({0x00}), "&h0");
  EXPECT_EQ(Dword({0x01, 0x00, 0x00, 0x00, 0x09, 0x09}), "&h1");  // only 32 bits count
}

TEST_F(KeyValueTest, OtherTypesAreReadButLeaveTheTextAsPassed) {
  value = "as passed";
  EXPECT_TRUE(Read(kRegBinary, {1, 2, 3}));
  EXPECT_EQ(value, "as passed");
  value.clear();
  EXPECT_TRUE(Read(2 /* expandable text */, {'%', 'x', '%', 0}));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.closeCalls, 2);
}

TEST_F(KeyValueTest, ValueWithoutDataIsAFailureOfItsOwn) {
  for (std::uint32_t type : {kRegSz, kRegDword, kRegBinary}) {
    registry.SetBytes(kRoot, kKey, "v", type, {});
    value = "stale";
    EXPECT_EQ(ReadKeyValue(registry, kRoot, kKey, "v", value), KeyValueRead::kNoData);
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
    EXPECT_EQ(value, "");
  }
  EXPECT_EQ(registry.closeCalls, 6);
}

TEST_F(KeyValueTest, ReadOutcomesAreTold) {
  EXPECT_EQ(ReadKeyValue(registry, kRoot, kKey, "v", value), KeyValueRead::kNotRead);
  registry.SetString(kRoot, kKey, "v", "x");
  EXPECT_EQ(ReadKeyValue(registry, kRoot, kKey, "v", value), KeyValueRead::kRead);
  EXPECT_EQ(ReadKeyValue(registry, kRoot, kKey, "w", value), KeyValueRead::kNotRead);
}

TEST_F(KeyValueTest, MisbehavingPortNeverLeadsPastTheBuffer) {
  // Success with a size larger than the buffer: cannot be trusted.
  registry.SetValue(kRoot, kKey, "v", {kRegSz, {'a', 'b'}, 5000, kRegSuccess});
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
  EXPECT_EQ(value, "");
  registry.SetValue(kRoot, kKey, "v", {kRegDword, {1, 2, 3, 4}, 1025, kRegSuccess});
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
  // Any status other than success is a failure, even with data.
  registry.SetValue(kRoot, kKey, "v", {kRegSz, {'a', 0}, {}, 5});
  EXPECT_FALSE(GetKeyValue(registry, kRoot, kKey, "v", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.closeCalls, 3);
}

TEST_F(KeyValueTest, AnySizeAndTypeIsHandledSafely) {
  // Sweeps sizes around the edges with every type code, patterned bytes; run under the
  // sanitizers this is what catches a read past the buffer.
  const std::array<std::uint32_t, 6> types = {0, kRegSz, 2, kRegBinary, kRegDword, 0xFFFFFFFF};
  int calls = 0;
  for (std::uint32_t type : types) {
    for (std::uint32_t size : {0u, 1u, 2u, 3u, 4u, 5u, 8u, 1023u, 1024u, 1025u, 4096u}) {
      std::vector<std::uint8_t> data(size);
      for (std::uint32_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 1);
      registry.SetBytes(kRoot, kKey, "v", type, data);
      value = "in";
      const bool read = GetKeyValue(registry, kRoot, kKey, "v", value);
      ++calls;
      EXPECT_EQ(read, size >= 1 && size <= 1024) << "type " << type << " size " << size;
      if (!read) {
        EXPECT_EQ(value, "");
      } else if (type == kRegSz) {
        EXPECT_EQ(value.size(), data.back() == 0 ? size - 1 : size);
      } else if (type == kRegDword) {
        EXPECT_EQ(value.rfind("&h", 0), 0u);
      } else {
        EXPECT_EQ(value, "in");
      }
    }
  }
  EXPECT_EQ(registry.closeCalls, calls);
}

}  // namespace
}  // namespace framora
