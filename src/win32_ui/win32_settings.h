// The settings store where classic Windows programs keep theirs: one registry key per
// application and section below the user's own hive, one REG_SZ value per key.
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>
#pragma once

#include "app/ports.h"

namespace framora::win32 {

class Win32SettingsStore : public SettingsStore {
 public:
  static constexpr const char* kBaseKey = "Software\\VB and VBA Program Settings";

  // The key below HKEY_CURRENT_USER that holds the values of one section.
  static std::string SectionKey(const std::string& app, const std::string& section);

  std::optional<std::string> Read(const std::string& app, const std::string& section,
                                  const std::string& key) override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace framora::win32
