// The video's picture: a picture file, or a song's own; the frame it is shown in; and, for an
// MP4, the short run of frames it is encoded into once, which the video repeats by copy.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/paths.h"
#include "app/ports.h"

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
  bool operator==(const PictureSource&) const = default;
};

// How an MP4 shows its picture: 16:9 (1920x1080, what the sharing sites show) with the picture
// fitted, never cropped or stretched, over a blurred copy of itself or over black; or the
// picture's own shape and size, made smaller (never larger) to fit within 3840x2160.
enum class Frame { Blur, Black, Cover };
// "blur", "black", "cover": the names the command line and the settings use.
std::optional<Frame> FrameNamed(std::string_view name);
std::string_view FrameName(Frame frame);

// Whether the file's first bytes are those of a picture FFmpeg reads as a still: JPEG, PNG, GIF,
// BMP or WebP. Anything else (a text named ".png", an empty file, a folder) would have FFmpeg
// try it again for every frame, for ever.
bool IsStillPicture(FileSystemPort& files, const std::string& path);
// What a picture that is none is told with.
std::string NotAPictureMessage(const std::string& path);

// The picture's segment: 10 s of 6 frames a second, a key frame and frames that repeat it,
// which the video repeats for as long as the sound lasts. Few frames are cheap to encode and to
// copy; 6 a second still let the picture end within half a frame (1/12 s) of the sound.
inline constexpr int kSegmentFps = 6;
inline constexpr int kSegmentFrames = 60;

// The graph that fits the picture into its frame and repeats it (it gives [v]).
std::string SegmentGraph(const PictureSource& picture, Frame frame);
// What FFmpeg gets after its own name to encode the segment, the graph read from `graphFile`.
// It prints nothing unless something goes wrong.
std::vector<std::string> SegmentArguments(const PictureSource& picture, Frame frame,
                                          const std::string& graphFile, const std::string& segment,
                                          ShellKind shell);

// The input that repeats the segment, as FFmpeg's arguments: for as long as the sound lasts
// (`seconds`) to the nearest frame, or for ever where that length is unknown. Every input of a
// video gets -thread_queue_size 0 (`UnqueuedInput`): FFmpeg 5 then reads them in turn instead of
// handing each packet of the sound from a thread of its own, which costs more than the copy
// itself; older FFmpeg takes 0 as its default.
std::vector<std::string> SegmentInput(const std::string& segment, std::optional<double> seconds,
                                      ShellKind shell);
inline constexpr const char* kUnqueued[] = {"-thread_queue_size", "0"};

// The picture reader's -loop 1 in a graph, for an AVI of a song's own picture (it gives [v]).
std::string LoopedPictureGraph(const std::string& picture);

}  // namespace framora::convert
