#include "info/about.h"

#include "info/about_form.h"
#include "info/sys_info.h"

namespace framora {

std::string VersionText(int major, int minor, int revision) {
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(revision);
}

void LoadAbout(WindowView& view) {
  view.SetText(about_form::Caption, std::string("About ") + identity::kTitle);
  view.SetText(about_form::lblVersion,
               VersionText(identity::kMajor, identity::kMinor, identity::kRevision));
  view.SetText(about_form::lblTitle, identity::kTitle);
}

void OpenHomePage(DesktopPort& desktop) { desktop.OpenUrl(identity::kHomeUrl); }

void AboutLogic::cmdSysInfo_Click() {
  StartSysInfo(ports_.registry, ports_.files, ports_.desktop, ports_.messages);
}

}  // namespace framora
