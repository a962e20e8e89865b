#include "convert/picture.h"

#include <algorithm>
#include <cmath>

#include "convert/command_text.h"

namespace framora::convert {

namespace {

// Fits the picture: within 1920x1080, larger or smaller (16:9), or within 3840x2160, only ever
// smaller (its own shape); even sizes, as H.264 in yuv420p needs them, and never 0. zscale
// first: it also brings a JPEG's full-range colours to the video's, which the scalers after it
// would otherwise warn about, and fitting first makes a large picture cheap to work on.
std::string Fitted(Frame frame) {
  const std::string factor =
      frame == Frame::Cover ? "min(1,min(3840/iw,2160/ih))" : "min(1920/iw,1080/ih)";
  return "zscale=w='max(2,2*round(" + factor + "*iw/2))':h='max(2,2*round(" + factor +
         "*ih/2))':f=spline36:min=470bg:m=709:r=limited"
         // what is transparent becomes black (in RGB, FFmpeg 4.1 makes it grey)
         ",format=yuva444p,premultiply=inplace=1,format=yuv444p";
}

// The background the fitted picture is centred on, from a small copy of the picture: blurred,
// or made black (overlaid rather than padded, which FFmpeg 4.1's scaler warns about).
std::string Background(Frame frame) {
  if (frame == Frame::Blur) {
    return "scale=480:270:force_original_aspect_ratio=increase:flags=fast_bilinear,"
           "crop=480:270,boxblur=20:2,scale=1920:1080:flags=bilinear";
  }
  return "scale=192:108:force_original_aspect_ratio=increase:flags=fast_bilinear,crop=192:108,"
         "lutyuv=y=16:u=128:v=128,scale=1920:1080:flags=neighbor";
}

}  // namespace

std::optional<Frame> FrameNamed(std::string_view name) {
  for (const Frame frame : {Frame::Blur, Frame::Black, Frame::Cover})
    if (name == FrameName(frame)) return frame;
  return std::nullopt;
}

std::string_view FrameName(Frame frame) {
  switch (frame) {
    case Frame::Black:
      return "black";
    case Frame::Cover:
      return "cover";
    case Frame::Blur:
      break;
  }
  return "blur";
}

bool IsStillPicture(FileSystemPort& files, const std::string& path) {
  const std::string head = files.ReadBytes(path, 0, 12);
  const std::string_view h(head);
  return h.starts_with("\xFF\xD8\xFF") || h.starts_with("\x89PNG\r\n\x1A\n") ||
         h.starts_with("GIF87a") || h.starts_with("GIF89a") ||
         (h.starts_with("BM") && h.size() == 12) ||
         (h.starts_with("RIFF") && h.size() == 12 && h.substr(8) == "WEBP");
}

std::string NotAPictureMessage(const std::string& path) {
  return "the picture " + path + " is not a JPEG, PNG, GIF, BMP or WebP picture";
}

std::string PictureSource::Stream() const {
  return stream ? "[0:v:" + std::to_string(*stream) + "]" : "[0:v]";
}

std::string SegmentGraph(const PictureSource& picture, Frame frame) {
  // The picture is worked on once; loop repeats the finished frame (the reader's -loop 1 would
  // decode and scale it again for every frame).
  const std::string repeat = "format=yuv420p,loop=loop=" + std::to_string(kSegmentFrames - 1) +
                             ":size=1:start=0,setpts=N/(" + std::to_string(kSegmentFps) + "*TB)[v]";
  // An animated GIF shows its first picture.
  const std::string still = picture.Stream() + "trim=end_frame=1," + Fitted(frame);
  if (frame == Frame::Cover) return still + "," + repeat;
  return still + ",split[back][front];[back]" + Background(frame) +
         "[ground];[ground][front]overlay=x=(W-w)/2:y=(H-h)/2:format=yuv420," + repeat;
}

std::vector<std::string> SegmentArguments(const PictureSource& picture, Frame frame,
                                          const std::string& graphFile, const std::string& segment,
                                          ShellKind shell) {
  const std::string frames = std::to_string(kSegmentFrames);
  // clang-format off
  std::vector<std::string> arguments = {
      // quiet unless something goes wrong: the video's own run tells how far it has got
      "-hide_banner", "-v", "error", "-nostats", "-y",
      // one thread for one picture: FFmpeg 4.1's WebP reader warns of several
      "-threads", "1", "-i", AsPath(picture.path, shell),
      "-filter_complex_script", graphFile, "-map", "[v]",
      // H.264 that browsers and phones play. One picture needs no rate control: a fixed
      // quantiser (20, sharp) spares the encoder its analysis of every frame. The frames after
      // the first only repeat it, so they are told to be nothing but "as before" (quantiser
      // 51 in their zone, with no sub-pixel search or deblocking there), which makes them cost
      // nothing to store, and nothing is searched for motion or looked ahead at
      "-c:v", "libx264", "-preset", "veryfast", "-tune", "stillimage",
      "-x264-params", "qp=20:zones=1," + std::to_string(kSegmentFrames - 1) +
                          ",q=51,subme=0,no-deblock"
                          ":rc-lookahead=0:mbtree=0:me=dia:subme=1:ref=1:weightp=0:trellis=0",
      "-profile:v", "high"};
  // clang-format on
  // 1080p is level 4.1; the cover's own size sets its level itself (up to 5.1 at 4K).
  if (frame != Frame::Cover) arguments.insert(arguments.end(), {"-level:v", "4.1"});
  arguments.insert(arguments.end(),
                   {// one key frame at the start: repeated, one every 10 s; no B-frames, so no
                    // frame comes out of order at the seams
                    "-g", frames, "-bf", "0", "-sc_threshold", "0", "-pix_fmt", "yuv420p",
                    "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                    "-color_range", "tv", "-r", std::to_string(kSegmentFps), "-frames:v", frames,
                    // a song's picture is marked as attached to it; FFmpeg 4.1 would carry that
                    // over and then refuse to put H.264 into an MP4
                    "-disposition:v:0", "0", "-an", "-f", "mp4", segment});
  return arguments;
}

std::vector<std::string> SegmentInput(const std::string& segment, std::optional<double> seconds,
                                      ShellKind shell) {
  std::vector<std::string> input(std::begin(kUnqueued), std::end(kUnqueued));
  if (seconds) {
    // A copy cuts between frames: the last frame that starts before this time is the one whose
    // end lies nearest the sound's (never no frame at all).
    const double frames = std::max(1.0, std::round(*seconds * kSegmentFps));
    input.insert(input.end(), {"-t", SecondsText((frames - 0.5) / kSegmentFps)});
  }
  input.insert(input.end(), {"-stream_loop", "-1", "-i", AsPath(segment, shell)});
  return input;
}

std::string LoopedPictureGraph(const std::string& picture) {
  // The picture reader's -loop 1 in a graph, at its 25 frames a second, for a song's picture.
  return picture + "loop=-1:1,setpts=N/25/TB,fps=25[v]";
}

}  // namespace framora::convert
