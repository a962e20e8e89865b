// The registry as the About box sees it: open a key, query one value as raw bytes, close the
// key. The calls mirror the Windows ones so the Win32 adapter stays a thin pass-through;
// systems without a registry find nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace framora {

// Predefined root key, as the platform numbers it.
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002;

// Standard read rights plus query and set value, create and enumerate sub-keys, notify and
// create link: what the look-ups have always asked for.
inline constexpr std::uint32_t kKeyAccessMask = 0x2003F;

// Value type codes that the program decodes.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

// Status codes: 0 is success, anything else a failure.
inline constexpr std::int32_t kRegSuccess = 0;
inline constexpr std::int32_t kRegFileNotFound = 2;
inline constexpr std::int32_t kRegInvalidHandle = 6;
inline constexpr std::int32_t kRegMoreData = 234;

// Opened key; only meaningful to the port that handed it out.
using RegistryKey = std::uintptr_t;

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // Opens the sub-key `name` below `root`; on success stores the handle in `key`.
  virtual std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                               RegistryKey& key) = 0;
  // Reads the value `valueName` into `data`. `size` holds the buffer's size on entry and the
  // number of bytes of the value on return; a value larger than the buffer is a failure.
  virtual std::int32_t QueryValue(RegistryKey key, const std::string& valueName,
                                  std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
};

// The registry of the system the program is built for (the platform adapters define it): the
// Windows one, or a POSIX answer to the one key the About box looks up.
std::unique_ptr<RegistryPort> MakeRegistry();

}  // namespace framora
