// The FFmpeg command line built from the four paths of the main window.
#pragma once

#include <cstddef>
#include <optional>
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

// Where a video's picture comes from: a picture file, or a song's own picture, which FFmpeg reads
// as one of the song's video streams.
struct PictureSource {
  PictureSource(std::string file = {}) : path(std::move(file)) {}
  PictureSource(const char* file) : path(file) {}
  PictureSource(std::string song, std::size_t songStream)
      : path(std::move(song)), stream(songStream) {}

  std::string path;
  std::optional<std::size_t> stream;  // none: the file is a picture

  // FFmpeg's name of the picture's stream in its first input.
  std::string Stream() const;
};

// What FFmpeg gets after its own name, for the kind of video the output's name asks for and
// the sound the song holds (by default: sound to encode). The paths are in their places as
// they are, but for one that starts with '-', which FFmpeg would take for an option: it goes
// in relative to the current folder, with the separator of the interpreter's system.
std::vector<std::string> ConversionArguments(const PictureSource& picture, const std::string& audio,
                                             const std::string& output,
                                             const SoundFacts& sound = {},
                                             ShellKind shell = ShellKind::Posix);

// The pieces an album's command shares with one song's: the graph that makes a still picture
// last exactly as long as the sound (`picture` and `sound` name its inputs; it gives [v]), the
// graph that repeats a song's picture for an AVI, and the MP4's video options.
std::string StillPictureGraph(const std::string& picture, const std::string& sound);
std::string LoopedPictureGraph(const std::string& picture);
std::vector<std::string> Mp4VideoOptions();

// What the launch says of an output that exists already, which FFmpeg would overwrite.
std::string OutputExistsMessage(const std::string& output);

// FFmpeg's path and its arguments, each quoted for the interpreter when it needs it.
std::string FfmpegCommand(const std::string& ffmpeg, const std::vector<std::string>& arguments,
                          ShellKind shell);
// The command of one song's video.
std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell, const SoundFacts& sound = {});

}  // namespace framora
