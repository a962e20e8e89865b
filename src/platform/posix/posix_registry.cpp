#include "platform/posix/posix_registry.h"

#include <cstring>

#include "info/sys_info.h"

namespace framora::posix {

std::int32_t PosixRegistry::OpenKey(std::uint32_t root, const std::string& name, std::uint32_t,
                                    RegistryKey& key) {
  if (root != kHKeyLocalMachine || name != kSysInfoKey) return kRegFileNotFound;
  std::optional<std::string> command = FindDesktopSysInfo(programs_, session_);
  if (!command) return kRegFileNotFound;
  key = nextKey_++;
  open_[key] = std::move(*command);
  return kRegSuccess;
}

std::int32_t PosixRegistry::QueryValue(RegistryKey key, const std::string& valueName,
                                       std::uint32_t& type, std::uint8_t* data,
                                       std::uint32_t& size) {
  const auto found = open_.find(key);
  if (found == open_.end()) {
    size = 0;
    return kRegInvalidHandle;
  }
  if (valueName != kSysInfoValue) return kRegFileNotFound;
  // A text value, stored with its terminating zero, as the registry keeps one.
  const std::string& text = found->second;
  const auto needed = static_cast<std::uint32_t>(text.size() + 1);
  type = kRegSz;
  const bool sizeOnly = data == nullptr;
  if (sizeOnly || needed > size) {
    size = needed;
    return sizeOnly ? kRegSuccess : kRegMoreData;
  }
  std::memcpy(data, text.c_str(), needed);
  size = needed;
  return kRegSuccess;
}

void PosixRegistry::CloseKey(RegistryKey key) { open_.erase(key); }

}  // namespace framora::posix

namespace framora {

std::unique_ptr<RegistryPort> MakeRegistry() { return std::make_unique<posix::PosixRegistry>(); }

}  // namespace framora
