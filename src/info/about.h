// The About box's own texts and load steps, kept apart from any toolkit.
#pragma once

#include <string>

#include "app/ports.h"
#include "app/windows.h"

namespace framora {

// Texts the About box holds before anything is loaded into it.
inline constexpr const char* kAboutStoredCaption = "About MyApp";
inline constexpr const char* kAboutStoredTitle = "Application Title";
inline constexpr const char* kAboutStoredVersion = "Version";
inline constexpr const char* kAboutStoredDescription = "App Description";
inline constexpr const char* kAboutOk = "OK";
inline constexpr const char* kAboutSysInfo = "&System Info...";
inline constexpr const char* kAboutDisclaimer = "Visit our web site:";

// "Version 1.0.0" style: plain decimal numbers.
std::string VersionText(int major, int minor, int revision);

// The maker's address as Label1 shows it: the home page without scheme, "www." and final
// slash.
std::string HomeLinkText();

// Caption, version and title, in that order; the description keeps its stored text.
void LoadAbout(WindowView& view);

// Click on the link label.
void OpenHomePage(DesktopPort& desktop);

}  // namespace framora
