// The ports a window of the Win32 front-end works with, filled by the application.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ports.h"
#include "app/windows.h"

namespace framora {
class ProcessHost;
class RegistryPort;
}  // namespace framora

namespace framora::win32 {

struct AppContext {
  SettingsStore* settings = nullptr;
  MessageBoxPort* messages = nullptr;
  FileDialogPort* fileDialog = nullptr;
  FileSystemPort* files = nullptr;
  RegistryPort* registry = nullptr;
  WindowManager* windows = nullptr;
  // A fresh process host for each runner instance.
  std::function<std::unique_ptr<ProcessHost>()> makeProcessHost;
  // Full path of the folder that holds the program file.
  std::string programFolder;
};

}  // namespace framora::win32
