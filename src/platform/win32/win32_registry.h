// The registry port over advapi32: RegOpenKeyExA, RegQueryValueExA, RegCloseKey.
#pragma once

#include "info/registry.h"

namespace framora::win32 {

class Win32Registry : public RegistryPort {
 public:
  std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                       RegistryKey& key) override;
  // Text values arrive in the narrow code page and are handed on as UTF-8.
  std::int32_t QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override;
  void CloseKey(RegistryKey key) override;
};

}  // namespace framora::win32
