// POSIX systems have no registry. The one entry the program reads that matters here, the
// system-information tool's path, is answered by the desktop's own tool found on PATH (see
// info/desktop_sys_info.h) as the command that starts it; every other key is missing.
#pragma once

#include <map>

#include "info/registry.h"
#include "platform/posix/posix_desktop.h"
#include "platform/posix/posix_files.h"

namespace framora::posix {

class PosixRegistry : public RegistryPort {
 public:
  std::int32_t OpenKey(std::uint32_t root, const std::string& name, std::uint32_t mask,
                       RegistryKey& key) override;
  std::int32_t QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                          std::uint8_t* data, std::uint32_t& size) override;
  void CloseKey(RegistryKey key) override;

 private:
  PosixProgramSearch programs_;
  PosixDesktopSession session_;
  // The tool's command of each open key, looked up afresh at each opening.
  std::map<RegistryKey, std::string> open_;
  RegistryKey nextKey_ = 1;
};

}  // namespace framora::posix
