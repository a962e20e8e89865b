// The command that makes one song's video.
#pragma once

#include <string>
#include <vector>

#include "app/paths.h"
#include "convert/picture.h"
#include "media/sound_probe.h"

namespace framora::convert {

// What FFmpeg gets after its own name, for the kind of video the output's name asks for and
// the sound the song holds (by default: sound to encode). The paths are in their places as
// they are, but for one that starts with '-' (see AsPath).
std::vector<std::string> ConversionArguments(const PictureSource& picture, const std::string& audio,
                                             const std::string& output,
                                             const media::SoundFacts& sound = {},
                                             ShellKind shell = ShellKind::Posix);

// The command of one song's video.
std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell, const media::SoundFacts& sound = {});

}  // namespace framora::convert
