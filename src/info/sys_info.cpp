#include "info/sys_info.h"

#include <optional>
#include <string>

#include "app/identity.h"
#include "info/key_value.h"

namespace framora {

namespace {

// The tool's path, or nothing when it cannot be found.
std::optional<std::string> FindSysInfo(RegistryPort& registry, FileSystemPort& files) {
  std::string SysInfoPath;
  switch (ReadKeyValue(registry, kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, SysInfoPath)) {
    case KeyValueRead::kRead:
      // Trusted as it stands: starting it is the test.
      return SysInfoPath;
    case KeyValueRead::kNoData:
      return std::nullopt;
    case KeyValueRead::kNotRead:
      break;
  }
  if (ReadKeyValue(registry, kHKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue,
                   SysInfoPath) != KeyValueRead::kRead) {
    return std::nullopt;
  }
  // The folder is joined as stored, without adding or removing a separator.
  std::string candidate = SysInfoPath + kSysInfoFileName;
  if (!files.IsNormalFile(candidate)) return std::nullopt;
  return candidate;
}

}  // namespace

void StartSysInfo(RegistryPort& registry, FileSystemPort& files, DesktopPort& desktop,
                  MessageBoxPort& messages) {
  const std::optional<std::string> path = FindSysInfo(registry, files);
  if (path && desktop.StartProgram(*path, kShowNormal)) return;
  messages.ShowMessage(kSysInfoUnavailable, MessageIcon::None, identity::kTitle);
}

}  // namespace framora
