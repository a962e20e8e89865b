// The video's picture: a picture file, or a song's own, and the graphs that show it for as
// long as the sound lasts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace framora::convert {

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

// The graph that makes a still picture last exactly as long as the sound (`picture` and `sound`
// name its inputs; it gives [v]), the graph that repeats a song's picture for an AVI, and the
// MP4's video options.
std::string StillPictureGraph(const std::string& picture, const std::string& sound);
std::string LoopedPictureGraph(const std::string& picture);
std::vector<std::string> Mp4VideoOptions();

}  // namespace framora::convert
