// The command that makes one song's video.
#pragma once

#include <string>
#include <vector>

#include "app/paths.h"
#include "convert/picture.h"
#include "media/song_facts.h"

namespace framora::convert {

struct SongVideo {
  PictureSource picture;
  std::string song;
  media::SongFacts facts;  // what the song holds: its sound, and its length where it is known
  std::string output;      // the video's name, which tells its kind (see IsMp4Output)
  // Where FFmpeg writes it: a temporary name beside the video; empty: at its own name.
  std::string writeTo;
  // An MP4's picture, made before by SegmentArguments.
  std::string segment;
};

// What FFmpeg gets after its own name. An AVI loops the picture as Motion JPEG and keeps the
// sound as it is; an MP4 repeats the picture's segment by copy and keeps MP3 and AAC as they
// are (AAC otherwise). The paths are in their places as they are, but for one that starts with
// '-' (see AsPath).
std::vector<std::string> ConversionArguments(const SongVideo& video, ShellKind shell);

// The window's own command of one song: an AVI, as it always was, written at its name.
std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell);

// The options of an MP4 whose picture is the segment, first input, repeated for `seconds` (none:
// as long as the sound), with AAC, or the sound as it is: what one song's video and an album's
// share after their inputs.
std::vector<std::string> Mp4Options(bool copySound, std::optional<double> seconds);

}  // namespace framora::convert
