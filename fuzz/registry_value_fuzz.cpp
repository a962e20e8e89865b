// GetKeyValue over a registry that answers with whatever the fuzzer says: any status, handle,
// type, reported size and data. The decoder must never read past its value buffer (ASan
// watches), must always close a key it opened, and must give the documented results: false
// and an empty text when nothing was read, the bytes without a final zero for text, "&h" and
// upper-case hex digits for a 32-bit number, and the text passed in for other types.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "info/key_value.h"
#include "info/registry.h"

namespace {

using framora::fuzz::Check;
using framora::fuzz::Visible;

class ScriptedRegistry : public framora::RegistryPort {
 public:
  std::int32_t openStatus = 0;
  framora::RegistryKey handle = 0;
  std::int32_t queryStatus = 0;
  std::uint32_t type = 0;
  std::uint32_t reportedSize = 0;
  std::vector<std::uint8_t> bytes;  // copied up to the caller's buffer size, never further

  int opens = 0;
  int queries = 0;
  std::vector<framora::RegistryKey> closed;
  std::vector<std::uint8_t> written;  // what the caller's buffer holds after the query

  std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                       framora::RegistryKey& key) override {
    ++opens;
    Check(root == framora::kHKeyLocalMachine && name == "SOFTWARE\\Test",
          "OpenKey got other arguments");
    Check(mask == framora::kKeyAccessMask, "OpenKey asked for other rights");
    if (openStatus == framora::kRegSuccess) key = handle;
    return openStatus;
  }

  std::int32_t QueryValue(framora::RegistryKey key, const std::string& valueName,
                          std::uint32_t& valueType, std::uint8_t* data,
                          std::uint32_t& size) override {
    ++queries;
    Check(key == handle, "QueryValue on another key");
    Check(valueName == "PATH", "QueryValue of another value");
    Check(size == framora::kValueBufferSize, "QueryValue offered a buffer of another size");
    // The buffer must be zeroed before the query.
    for (std::uint32_t i = 0; i < size; ++i) Check(data[i] == 0, "value buffer not zeroed");
    const std::size_t copied = std::min<std::size_t>(bytes.size(), size);
    std::copy_n(bytes.begin(), copied, data);
    written.assign(data, data + size);
    valueType = type;
    size = reportedSize;
    return queryStatus;
  }

  void CloseKey(framora::RegistryKey key) override { closed.push_back(key); }
};

bool IsUpperHex(const std::string& digits) {
  if (digits.empty()) return false;
  return std::all_of(digits.begin(), digits.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  ScriptedRegistry registry;
  registry.openStatus = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::int32_t>();
  registry.handle = input.ConsumeIntegral<framora::RegistryKey>();
  registry.queryStatus = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::int32_t>();
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      registry.type = framora::kRegSz;
      break;
    case 1:
      registry.type = framora::kRegDword;
      break;
    default:
      registry.type = input.ConsumeIntegral<std::uint32_t>();
  }
  const std::string initial = input.ConsumeRandomLengthString(16);
  registry.bytes = input.ConsumeBytes<std::uint8_t>(
      input.ConsumeIntegralInRange<std::size_t>(0, framora::kValueBufferSize + 16));
  // Mostly honest sizes, sometimes any size at all.
  registry.reportedSize = input.ConsumeBool() ? static_cast<std::uint32_t>(registry.bytes.size())
                                              : input.ConsumeIntegral<std::uint32_t>();

  std::string value = initial;
  const bool read =
      framora::GetKeyValue(registry, framora::kHKeyLocalMachine, "SOFTWARE\\Test", "PATH", value);

  const std::string what =
      " (open " + std::to_string(registry.openStatus) + ", query " +
      std::to_string(registry.queryStatus) + ", type " + std::to_string(registry.type) + ", size " +
      std::to_string(registry.reportedSize) + ", value \"" + Visible(value) + "\")";
  Check(registry.opens == 1, "not opened exactly once" + what);
  if (registry.openStatus != framora::kRegSuccess) {
    Check(!read && value.empty(), "a key that did not open still gave a value" + what);
    Check(registry.queries == 0 && registry.closed.empty(), "used a key that did not open" + what);
    return 0;
  }
  Check(registry.closed.size() == 1 && registry.closed[0] == registry.handle,
        "the key was not closed exactly once" + what);

  const std::uint32_t n = registry.reportedSize;
  if (registry.queryStatus != framora::kRegSuccess || n > framora::kValueBufferSize) {
    Check(!read && value.empty(), "a failed query still gave a value" + what);
    return 0;
  }
  if (n == 0) {
    Check(!read, "a value without data counted as read" + what);
    return 0;
  }
  Check(read, "a value was not read" + what);

  const std::size_t kept = registry.written[n - 1] == 0 ? n - 1 : n;
  if (registry.type == framora::kRegSz) {
    const std::string expected(registry.written.begin(), registry.written.begin() + kept);
    Check(value == expected, "text value is not its bytes" + what);
  } else if (registry.type == framora::kRegDword) {
    Check(value.rfind("&h", 0) == 0 && IsUpperHex(value.substr(2)),
          "number is not &h and hex digits" + what);
  } else {
    Check(value == initial, "a value of another type changed the text" + what);
  }
  return 0;
}
