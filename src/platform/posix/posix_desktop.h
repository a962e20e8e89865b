// Starting the desktop's own programs on POSIX systems, and asking them things.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "info/desktop_sys_info.h"

namespace framora::posix {

// Starts the program (looked up on PATH when its name has no slash) with these arguments and
// leaves it to itself: a new session with no terminal, standard handles on /dev/null, signals
// as a fresh program has them. It outlives us, and is reaped when it ends before we do, never
// waited for by the caller. False when it could not be started, a failed exec included.
bool StartDetached(const std::vector<std::string>& command);

// Runs the program as StartDetached does, but with its standard output in a pipe, and returns
// what it wrote once it has ended with status 0. Nothing when it could not be started, failed,
// or took longer than `limit`; it is then killed with whatever it started.
std::optional<std::string> ReadProgramOutput(const std::vector<std::string>& command,
                                             std::chrono::milliseconds limit);

// The desktop session the program runs in.
class PosixDesktopSession : public DesktopSessionPort {
 public:
  std::string CurrentDesktop() override;
  // Waits a few seconds at most: the About box waits meanwhile.
  std::optional<std::string> ProgramOutput(const std::vector<std::string>& command) override;
};

}  // namespace framora::posix
