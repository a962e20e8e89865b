// The names of what a conversion writes: the video a song becomes, its kind by its name, the
// track list beside an album's video.
#pragma once

#include <optional>
#include <string>

#include "app/paths.h"

namespace framora::convert {

// An output whose name ends in ".mp4", in any letter case, becomes an MP4 video (H.264, and the
// sound copied when it is MP3 or AAC, AAC otherwise); every other output an AVI (Motion JPEG
// and the sound as it is).
bool IsMp4Output(const std::string& output);

// Where each song's video goes: into `folder` (none: beside the song), named after the song with
// `extension`.
struct Naming {
  std::optional<std::string> folder;
  std::string extension = ".avi";
};

// DIR/<name without its extension><extension>; DIR is the song's own folder without a folder.
std::string VideoPathFor(const std::string& song, const Naming& naming, ShellKind shell);

// The name of an album's track list: its video's, with ".txt"; a video named ".txt" keeps its
// name whole, so that the list is never written over it.
std::string TrackListPathFor(const std::string& video, ShellKind shell);

// The name a video or track list is written under until it is whole, beside its own: a hidden
// name a user sees as unfinished (".Intro.mp4.part"), which no run takes for a finished video.
std::string PartPathFor(const std::string& path, ShellKind shell);

// What the launch says of an output that exists already, which FFmpeg would overwrite.
std::string OutputExistsMessage(const std::string& output);

}  // namespace framora::convert
