#include "platform/posix/posix_registry.h"

namespace framora::posix {

std::int32_t PosixRegistry::OpenKey(std::uint32_t, const std::string&, std::uint32_t,
                                    RegistryKey&) {
  return kRegFileNotFound;
}

std::int32_t PosixRegistry::QueryValue(RegistryKey, const std::string&, std::uint32_t&,
                                       std::uint8_t*, std::uint32_t& size) {
  size = 0;
  return kRegInvalidHandle;  // no key was ever handed out
}

void PosixRegistry::CloseKey(RegistryKey) {}

}  // namespace framora::posix
