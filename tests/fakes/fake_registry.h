// An in-memory registry for tests. Keys and values are set up by the test; every open and
// close is counted so a test can tell that no key is left open.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "info/registry.h"

namespace framora::test {

class FakeRegistry : public RegistryPort {
 public:
  struct Value {
    std::uint32_t type = kRegSz;
    std::vector<std::uint8_t> data;
    // Lets a test play a misbehaving registry: report this size and status instead of the
    // honest ones (copying never goes past the caller's buffer).
    std::optional<std::uint32_t> reportedSize;
    std::optional<std::int32_t> status;
  };

  void AddKey(std::uint32_t root, const std::string& name) { keys_[{root, name}]; }

  void SetValue(std::uint32_t root, const std::string& name, const std::string& valueName,
                Value value) {
    keys_[{root, name}][valueName] = std::move(value);
  }
  void SetBytes(std::uint32_t root, const std::string& name, const std::string& valueName,
                std::uint32_t type, std::vector<std::uint8_t> data) {
    SetValue(root, name, valueName, Value{type, std::move(data), {}, {}});
  }
  // A text value, stored with its terminating zero unless told otherwise.
  void SetString(std::uint32_t root, const std::string& name, const std::string& valueName,
                 const std::string& text, bool terminated = true) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    if (terminated) data.push_back(0);
    SetBytes(root, name, valueName, kRegSz, std::move(data));
  }
  void SetDword(std::uint32_t root, const std::string& name, const std::string& valueName,
                std::uint32_t number) {
    SetBytes(root, name, valueName, kRegDword,
             {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
              static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
  }

  std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                       RegistryKey& key) override {
    openCalls.push_back({root, name, mask});
    auto it = keys_.find({root, name});
    if (it == keys_.end()) return kRegFileNotFound;
    key = nextHandle_++;
    open_[key] = &it->second;
    return kRegSuccess;
  }

  std::int32_t QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override {
    queryCalls.push_back(valueName);
    bufferSizesOnEntry.push_back(size);
    auto handle = open_.find(key);
    if (handle == open_.end()) return kRegInvalidHandle;
    auto it = handle->second->find(valueName);
    if (it == handle->second->end()) return kRegFileNotFound;
    const Value& v = it->second;
    type = v.type;
    const std::size_t copied = std::min<std::size_t>(v.data.size(), size);
    const bool fits = v.data.size() <= size;
    if (data && copied > 0) std::memcpy(data, v.data.data(), copied);
    size = v.reportedSize.value_or(static_cast<std::uint32_t>(v.data.size()));
    if (v.status) return *v.status;
    return fits ? kRegSuccess : kRegMoreData;
  }

  void CloseKey(RegistryKey key) override {
    ++closeCalls;
    if (open_.erase(key) == 0) ++badCloses;
  }

  // Keys opened and not closed again.
  std::size_t OpenKeys() const { return open_.size(); }

  struct OpenCall {
    std::uint32_t root;
    std::string name;
    std::uint32_t mask;
  };
  std::vector<OpenCall> openCalls;
  std::vector<std::string> queryCalls;
  std::vector<std::uint32_t> bufferSizesOnEntry;
  int closeCalls = 0;
  int badCloses = 0;  // closes of a handle that was not open

 private:
  using Values = std::map<std::string, Value>;
  std::map<std::tuple<std::uint32_t, std::string>, Values> keys_;
  std::map<RegistryKey, Values*> open_;
  RegistryKey nextHandle_ = 0x100;
};

}  // namespace framora::test
