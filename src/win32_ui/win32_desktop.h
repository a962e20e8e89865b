// Opening web addresses with the shell, starting programs by path, and showing a folder in
// Explorer.
#pragma once

#include "win32_ui/win32_api.h"

#include <string>

#include "app/ports.h"

namespace framora::win32 {

class Win32Desktop : public DesktopPort {
 public:
  // How a window hands an address to ShellExecuteA: its own handle as owner, its verb
  // ("open" or "OPEN"), and whether "no parameters, no folder" is passed as empty text or as
  // none at all.
  struct ShellOpen {
    HWND owner = nullptr;
    const char* verb = "open";
    bool emptyTextArguments = false;
  };

  Win32Desktop() = default;
  explicit Win32Desktop(ShellOpen shellOpen) : shellOpen_(shellOpen) {}

  void SetOwner(HWND owner) { shellOpen_.owner = owner; }

  // ShellExecuteA with SW_SHOWNORMAL; the result is not looked at.
  void OpenUrl(const std::string& url) override;
  // A new process for exactly that file, shown in the given state, not waited for.
  bool StartProgram(const std::string& path, int showState) override;
  // Explorer, with the file picked out in its folder (explorer.exe /select,"file").
  bool ShowFolder(const std::string& folder, const std::string& selected) override;

 private:
  ShellOpen shellOpen_;
};

}  // namespace framora::win32
