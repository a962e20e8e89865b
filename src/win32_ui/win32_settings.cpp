#include "win32_ui/win32_settings.h"

#include "win32_ui/win32_api.h"

#include <memory>
#include <string>
#include <type_traits>

#include "app/text.h"

namespace framora::win32 {

namespace {

// An open key, closed with its owner.
struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using OpenKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

}  // namespace

std::string Win32SettingsStore::SectionKey(const std::string& app, const std::string& section) {
  return std::string(kBaseKey) + "\\" + app + "\\" + section;
}

std::optional<std::string> Win32SettingsStore::Read(const std::string& app,
                                                    const std::string& section,
                                                    const std::string& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, ToNarrow(SectionKey(app, section)).c_str(), 0,
                      KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const OpenKey hKey(opened);
  const std::string name = ToNarrow(key);
  std::string data(256, '\0');
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = ::RegQueryValueExA(hKey.get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_MORE_DATA) {
      data.assign(size + 1, '\0');  // grown meanwhile, or longer than the first guess
      continue;
    }
    if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    data.resize(size);
    // Stored with or without its terminating zero; the text ends at the first zero.
    if (const auto zero = data.find('\0'); zero != std::string::npos) data.resize(zero);
    return FromNarrow(data);
  }
}

void Win32SettingsStore::Write(const std::string& app, const std::string& section,
                               const std::string& key, const std::string& value) {
  HKEY created = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, ToNarrow(SectionKey(app, section)).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
    return;  // a store that cannot be written is not reported
  }
  const OpenKey hKey(created);
  const std::string data = ToNarrow(value);
  ::RegSetValueExA(hKey.get(), ToNarrow(key).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

}  // namespace framora::win32
