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

}  // namespace framora
