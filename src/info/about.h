// The About box's own texts and load steps, kept apart from any toolkit.
#pragma once

#include <string>
#include <string_view>

#include "app/identity.h"
#include "app/ports.h"
#include "app/windows.h"

namespace framora {

// "Version 1.0.0" style: plain decimal numbers.
std::string VersionText(int major, int minor, int revision);

// The maker's address as Label1 shows it: the home page without scheme, "www." and final
// slash.
constexpr std::string_view HomeLinkText() {
  std::string_view text = identity::kHomeUrl;
  if (const auto scheme = text.find("://"); scheme != std::string_view::npos) {
    text.remove_prefix(scheme + 3);
  }
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  // The label is narrow: the host alone reads as the address.
  if (text.starts_with("www.")) text.remove_prefix(4);
  return text;
}

// Caption, version and title, in that order; the description keeps its stored text.
void LoadAbout(WindowView& view);

// Click on the link label.
void OpenHomePage(DesktopPort& desktop);

class RegistryPort;

// What the About box works with besides its own window.
struct AboutPorts {
  RegistryPort& registry;
  FileSystemPort& files;
  DesktopPort& desktop;
  MessageBoxPort& messages;
};

// frmAbout: the handlers its description names.
class AboutLogic {
 public:
  AboutLogic(WindowView& view, WindowFrame& frame, AboutPorts ports)
      : view_(view), frame_(frame), ports_(ports) {}

  void Load() { LoadAbout(view_); }
  // Also Enter and Esc: cmdOK is the default and the cancel button.
  void cmdOK_Click() { frame_.CloseWindow(); }
  void cmdSysInfo_Click();
  void Label1_Click() { OpenHomePage(ports_.desktop); }

 private:
  WindowView& view_;
  WindowFrame& frame_;
  AboutPorts ports_;
};

}  // namespace framora
