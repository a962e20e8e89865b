#include "info/about.h"

#include <string_view>

#include "app/identity.h"

namespace framora {

std::string VersionText(int major, int minor, int revision) {
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(revision);
}

std::string HomeLinkText() {
  std::string_view text = identity::kHomeUrl;
  if (const auto scheme = text.find("://"); scheme != std::string_view::npos) {
    text.remove_prefix(scheme + 3);
  }
  while (!text.empty() && text.back() == '/') text.remove_suffix(1);
  // The label is narrow: the host alone reads as the address.
  if (text.starts_with("www.")) text.remove_prefix(4);
  return std::string(text);
}

void LoadAbout(WindowView& view) {
  view.SetText("", std::string("About ") + identity::kTitle);
  view.SetText("lblVersion", VersionText(identity::kMajor, identity::kMinor, identity::kRevision));
  view.SetText("lblTitle", identity::kTitle);
}

void OpenHomePage(DesktopPort& desktop) { desktop.OpenUrl(identity::kHomeUrl); }

}  // namespace framora
