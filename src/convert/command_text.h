// How the words of a command reach FFmpeg whole: quoted for the interpreter that runs the
// command line, and escaped for the files FFmpeg reads beside it (a concat list, a filter
// graph, a metadata file).
#pragma once

#include <string>
#include <vector>

#include "app/paths.h"

namespace framora::convert {

// Quotes a path for the interpreter when it holds anything the interpreter would split or
// interpret; a path that needs nothing, and the empty path, come back unchanged.
std::string QuoteForShell(const std::string& path, ShellKind shell);

// FFmpeg takes a word that starts with '-' for an option, and "-" alone for its standard input
// or output: such a path goes in relative to the current folder.
std::string AsPath(const std::string& path, ShellKind shell);

// FFmpeg's path and its arguments, each quoted for the interpreter when it needs it.
std::string FfmpegCommand(const std::string& ffmpeg, const std::vector<std::string>& arguments,
                          ShellKind shell);

// A time as FFmpeg reads it: seconds to the microsecond ("7.340408").
std::string SecondsText(double seconds);

// A path in FFmpeg's concat list, a value of a filter's option in a filter graph, and a value
// in FFmpeg's metadata file.
std::string ConcatListQuote(const std::string& path);
std::string FilterOptionValue(const std::string& value);
std::string MetadataEscape(const std::string& value);

}  // namespace framora::convert
