// Form1: the main window's behaviour. The front-end forwards each user action to one
// handler here; the handler reaches the controls through the window's view.
#pragma once

#include <cstdint>
#include <string>

#include "app/ports.h"
#include "app/windows.h"
#include "main_window/common_dialog.h"
#include "main_window/conversion_command.h"

namespace framora {

struct MainWindowPorts {
  SettingsStore& settings;
  MessageBoxPort& messages;
  FileDialogPort& fileDialog;
  FileSystemPort& files;
  DesktopPort& desktop;
  WindowManager& windows;
  ShellKind shell = ShellKind::Posix;
};

inline constexpr int kKeyEnter = 13;

class MainWindow {
 public:
  MainWindow(WindowView& view, MainWindowPorts ports);

  void Load();

  // Choosers.
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  // Conversion launch: a click on Picture1, or Enter in Text4.
  void LaunchConversion();
  void Text4_KeyDown(std::uint16_t keyCode, int shift);

  // Menu.
  void mnuHelp_Click();
  void mnuAbout_Click();
  void mnuDonate_Click();
  void mnuExit_Click();

  CommonDialog& CommonDialog1() { return dialog_; }

 private:
  std::string Read(const char* key);
  void Write(const char* key, const std::string& value);
  void Message(const std::string& prompt, MessageIcon icon, const std::string& title);
  void ChooseMedia(const char* filter, const char* field, const char* key);

  WindowView& view_;
  MainWindowPorts ports_;
  CommonDialog dialog_;
};

}  // namespace framora
