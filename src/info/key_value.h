// Reading one registry value into text, the way the About box needs it.
#pragma once

#include <cstdint>
#include <string>

#include "info/registry.h"

namespace framora {

// Size of the buffer a value is read into; longer values count as unreadable.
inline constexpr std::uint32_t kValueBufferSize = 1024;

enum class KeyValueRead {
  kRead,     // the value was read (whatever its type)
  kNotRead,  // the key could not be opened or the value could not be read
  kNoData,   // the value exists but holds no byte at all
};

// Reads the value SubKeyRef of the key KeyName below KeyRoot. Text values (REG_SZ) come back
// as their bytes without the terminating zero; 32-bit numbers (REG_DWORD) as "&h" and the
// number in upper-case hexadecimal; other types leave KeyVal as passed in. When nothing was
// read, KeyVal is emptied. The key is always closed again.
KeyValueRead ReadKeyValue(RegistryPort& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                          const std::string& SubKeyRef, std::string& KeyVal);

// The same, answering only whether the value was read; a value without data counts as not
// read.
bool GetKeyValue(RegistryPort& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

}  // namespace framora
