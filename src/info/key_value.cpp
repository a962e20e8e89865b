#include "info/key_value.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

namespace framora {

namespace {

// Closes the key on every way out, including a port that throws.
class KeyCloser {
 public:
  KeyCloser(RegistryPort& registry, RegistryKey key) : registry_(registry), key_(key) {}
  ~KeyCloser() { registry_.CloseKey(key_); }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  RegistryPort& registry_;
  RegistryKey key_;
};

// The number is little-endian. A zero top byte was dropped with the terminating zero, so
// fewer than four bytes simply mean zero high bytes; bytes past the fourth are not part of a
// 32-bit number.
std::string DwordText(std::span<const std::uint8_t> bytes) {
  std::uint32_t number = 0;
  const std::size_t count = std::min<std::size_t>(bytes.size(), 4);
  for (std::size_t i = 0; i < count; ++i) number |= std::uint32_t{bytes[i]} << (8 * i);

  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[number & 0xF]);
    number >>= 4;
  } while (number != 0);
  return "&h" + digits;
}

}  // namespace

KeyValueRead ReadKeyValue(RegistryPort& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                          const std::string& SubKeyRef, std::string& KeyVal) {
  RegistryKey hKey = 0;
  if (registry.OpenKey(KeyRoot, KeyName, kKeyAccessMask, hKey) != kRegSuccess) {
    KeyVal.clear();
    return KeyValueRead::kNotRead;
  }
  const KeyCloser closer(registry, hKey);

  std::array<std::uint8_t, kValueBufferSize> buffer{};
  std::uint32_t type = 0;
  std::uint32_t size = kValueBufferSize;
  // A size beyond the buffer cannot be honest data: never look past the buffer.
  if (registry.QueryValue(hKey, SubKeyRef, type, buffer.data(), size) != kRegSuccess ||
      size > buffer.size()) {
    KeyVal.clear();
    return KeyValueRead::kNotRead;
  }
  if (size == 0) {
    KeyVal.clear();
    return KeyValueRead::kNoData;
  }

  // Drop a terminating zero: text loses it, a number its zero top byte.
  const std::size_t kept = buffer[size - 1] == 0 ? size - 1 : size;
  const std::span<const std::uint8_t> bytes(buffer.data(), kept);
  switch (type) {
    case kRegSz:
      KeyVal.assign(bytes.begin(), bytes.end());
      break;
    case kRegDword:
      KeyVal = DwordText(bytes);
      break;
    default:
      break;  // read, but not a type we turn into text
  }
  return KeyValueRead::kRead;
}

bool GetKeyValue(RegistryPort& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
  return ReadKeyValue(registry, KeyRoot, KeyName, SubKeyRef, KeyVal) == KeyValueRead::kRead;
}

}  // namespace framora
