#include "platform/win32/win32_registry.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <string>

#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {

// Predefined root keys are 32-bit values that the headers sign-extend into handles.
HKEY RootKey(std::uint32_t root) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(root)));
}

HKEY Key(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

std::int32_t Win32Registry::OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                                    RegistryKey& key) {
  HKEY hKey = nullptr;
  const LONG rc = ::RegOpenKeyExA(RootKey(root), ToNarrow(name).c_str(), 0, mask, &hKey);
  if (rc == ERROR_SUCCESS) key = reinterpret_cast<RegistryKey>(hKey);
  return rc;
}

std::int32_t Win32Registry::QueryValue(RegistryKey key, const std::string& valueName,
                                       std::uint32_t& type, std::uint8_t* data,
                                       std::uint32_t& size) {
  const std::uint32_t capacity = size;
  DWORD valueType = 0;
  DWORD valueSize = size;
  const LONG rc = ::RegQueryValueExA(Key(key), ToNarrow(valueName).c_str(), nullptr, &valueType,
                                     data, &valueSize);
  type = valueType;
  size = valueSize;
  if (rc != ERROR_SUCCESS || valueType != REG_SZ || NarrowIsUtf8()) return rc;

  // Text in another code page: the same text in UTF-8 (terminating zero included), which may
  // need more room than the caller has.
  const std::string text = FromNarrow(std::string(reinterpret_cast<const char*>(data), valueSize));
  size = static_cast<std::uint32_t>(text.size());
  if (text.size() > capacity) return ERROR_MORE_DATA;
  std::copy(text.begin(), text.end(), data);
  return rc;
}

void Win32Registry::CloseKey(RegistryKey key) { ::RegCloseKey(Key(key)); }

}  // namespace framora::win32

namespace framora {

std::unique_ptr<RegistryPort> MakeRegistry() { return std::make_unique<win32::Win32Registry>(); }

}  // namespace framora
