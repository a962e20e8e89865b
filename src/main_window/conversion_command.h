// The FFmpeg command line built from the four paths of the main window.
#pragma once

#include <string>

namespace framora {

// The interpreter that will run the command decides how a path has to be quoted.
enum class ShellKind { Posix, Cmd };

// Quotes a path for the interpreter when it holds anything the interpreter would split or
// interpret; a path that needs nothing, and the empty path, come back unchanged.
std::string QuoteForShell(const std::string& path, ShellKind shell);

std::string BuildConversionCommand(const std::string& ffmpeg, const std::string& image,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell);

}  // namespace framora
