// The FFmpeg command line built from the four paths of the main window.
#pragma once

#include <string>
#include <vector>

#include "media/sound_probe.h"

namespace framora {

// The interpreter that will run the command decides how a path has to be quoted.
enum class ShellKind { Posix, Cmd };

// Quotes a path for the interpreter when it holds anything the interpreter would split or
// interpret; a path that needs nothing, and the empty path, come back unchanged.
std::string QuoteForShell(const std::string& path, ShellKind shell);

// An output whose name ends in ".mp4", in any letter case, becomes an MP4 video (H.264, and the
// sound copied when it is MP3 or AAC, AAC otherwise); every other output an AVI (Motion JPEG
// and the sound as it is).
bool IsMp4Output(const std::string& output);

// What FFmpeg gets after its own name, for the kind of video the output's name asks for and
// the sound the song holds (by default: sound to encode). The paths are in their places as
// they are, but for one that starts with '-', which FFmpeg would take for an option: it goes
// in relative to the current folder, with the separator of the interpreter's system.
std::vector<std::string> ConversionArguments(const std::string& image, const std::string& audio,
                                             const std::string& output,
                                             const SoundFacts& sound = {},
                                             ShellKind shell = ShellKind::Posix);

// What the launch says of an output that exists already, which FFmpeg would overwrite.
std::string OutputExistsMessage(const std::string& output);

// FFmpeg's path and its arguments, each quoted for the interpreter when it needs it.
std::string BuildConversionCommand(const std::string& ffmpeg, const std::string& image,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell, const SoundFacts& sound = {});

}  // namespace framora
