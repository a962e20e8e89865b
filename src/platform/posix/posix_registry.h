// POSIX systems have no registry: every key is missing, so look-ups find nothing.
#pragma once

#include "info/registry.h"

namespace framora::posix {

class PosixRegistry : public RegistryPort {
 public:
  std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                       RegistryKey& key) override;
  std::int32_t QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override;
  void CloseKey(RegistryKey key) override;
};

}  // namespace framora::posix
