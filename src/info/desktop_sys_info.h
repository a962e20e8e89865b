// Linux and other POSIX desktops register no system-information tool, but each ships its own.
// The look-up here finds it on PATH and hands it on as the one text a registry entry holds, so
// the About box starts it with the same steps as the registered tool on Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ports.h"

namespace framora {

inline constexpr std::string_view kGnomeSettings = "gnome-control-center";

// The tools' names in the order they are tried: the tools of the desktops named in
// currentDesktop (XDG_CURRENT_DESKTOP, a colon-separated list such as "ubuntu:GNOME") first,
// then the others in their usual order.
std::vector<std::string_view> SysInfoToolOrder(std::string_view currentDesktop);

// The About page among the panels that `gnome-control-center --list` printed: its name has
// changed between GNOME versions. Nothing when the list has none of the names we know.
std::optional<std::string> GnomeAboutPanel(std::string_view panelList);

// A program and its arguments as one text, and back: words are separated by blanks; a word
// that holds blanks, quotes or backslashes (or none at all) is written in double quotes, with
// a backslash before each quote or backslash in it.
std::string JoinCommand(const std::vector<std::string>& words);
std::vector<std::string> SplitCommand(std::string_view text);

// Starts a command that FindDesktopSysInfo gave (see SplitCommand) as a program of its own,
// without waiting for it; false when it could not be started (the POSIX adapters define it).
bool StartDesktopCommand(const std::string& command);

// What the look-up needs of the desktop session besides PATH.
class DesktopSessionPort {
 public:
  virtual ~DesktopSessionPort() = default;
  // XDG_CURRENT_DESKTOP; empty when it is not set.
  virtual std::string CurrentDesktop() = 0;
  // Runs a program to ask it something: its standard output, or nothing when it could not be
  // started, failed, or did not answer in good time.
  virtual std::optional<std::string> ProgramOutput(const std::vector<std::string>& command) = 0;
};

// The command (see JoinCommand) that opens the desktop's system-information tool: its full
// path, and for GNOME Settings the About page. Nothing when no tool is found.
std::optional<std::string> FindDesktopSysInfo(ProgramSearchPort& programs,
                                              DesktopSessionPort& session);

}  // namespace framora
