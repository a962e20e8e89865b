// Finding and starting the platform's system-information tool from the About box.
#pragma once

#include "app/ports.h"
#include "info/registry.h"

namespace framora {

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Where the tool is registered: first its full path, else the folder that holds it.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";
inline constexpr const char* kSysInfoFileName = "\\MSINFO32.EXE";

// Normal window, activated.
inline constexpr int kShowNormal = 1;

// Starts the tool, or tells the user it is unavailable; never fails towards the caller.
void StartSysInfo(RegistryPort& registry, FileSystemPort& files, DesktopPort& desktop,
                  MessageBoxPort& messages);

}  // namespace framora
