// The ports a window of either front-end works with. The program fills it with the real
// adapters; tests fill it with fakes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ports.h"
#include "app/program_search.h"
#include "app/windows.h"

namespace framora {

class ProcessHost;
class RegistryPort;
namespace queue {
class Desk;
}

struct AppContext {
  SettingsStore* settings = nullptr;
  MessageBoxPort* messages = nullptr;
  FileDialogPort* fileDialog = nullptr;
  DesktopPort* desktop = nullptr;
  FileSystemPort* files = nullptr;
  YieldPort* yield = nullptr;
  RegistryPort* registry = nullptr;
  // The program's task-bar button; none where the desktop has nothing to show it with.
  TaskbarProgressPort* taskbar = nullptr;
  // Where FFmpeg is looked for until the user has chosen one.
  ProgramSearchPort* programs = nullptr;
  ProgramSearch ffmpegSearch = PosixFfmpegSearch();
  WindowManager* windows = nullptr;
  // Where a window asks the user something modally.
  ModalPort* modal = nullptr;
  // A fresh process host for each runner instance.
  std::function<std::unique_ptr<ProcessHost>()> makeProcessHost;
  // Full path of the folder that holds the program file.
  std::string programFolder;
  // Where the launch hands the console the songs it planned.
  queue::Desk* desk = nullptr;
};

}  // namespace framora
