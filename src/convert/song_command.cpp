#include "convert/song_command.h"

#include "convert/command_text.h"
#include "convert/names.h"

namespace framora::convert {

std::vector<std::string> Mp4Options(bool copySound, std::optional<double> seconds) {
  std::vector<std::string> options = {"-c:v", "copy"};
  if (copySound) {
    // MP3 and AAC as they are: the sharing sites take them, and a second lossy coding would
    // only lose more of the sound
    options.insert(options.end(), {"-c:a", "copy"});
  } else {
    // AAC at the rate the sharing sites recommend
    options.insert(options.end(), {"-c:a", "aac", "-b:a", "192k"});
  }
  if (seconds) {
    // the repeated picture ends with the first frame that reaches the sound's end
    options.insert(options.end(), {"-t", SecondsText(*seconds)});
  } else {
    options.push_back("-shortest");
  }
  // the index first: playing starts before the whole file has arrived
  options.insert(options.end(), {"-movflags", "+faststart"});
  return options;
}

std::vector<std::string> ConversionArguments(const SongVideo& video, ShellKind shell) {
  const std::string image = AsPath(video.picture.path, shell);
  const std::string audio = AsPath(video.song, shell);
  std::vector<std::string> ending = {
      AsPath(video.writeTo.empty() ? video.output : video.writeTo, shell)};
  const bool mp4 = IsMp4Output(video.output);
  // The temporary name tells FFmpeg nothing of the kind.
  if (!video.writeTo.empty()) ending.insert(ending.begin(), {"-f", mp4 ? "mp4" : "avi"});
  std::vector<std::string> arguments;
  if (!mp4 && video.picture.stream) {
    // A song's picture is one frame of a stream, which the picture reader's -loop 1 cannot
    // repeat; the song's first sound goes with it, as the picture file's command takes it.
    // clang-format off
    arguments = {"-y", "-i", image, "-i", audio,
                 "-filter_complex", LoopedPictureGraph(video.picture.Stream()),
                 "-map", "[v]", "-map", "1:a:0",
                 "-shortest", "-acodec", "copy", "-vcodec", "mjpeg"};
    // clang-format on
  } else if (!mp4) {
    arguments = {"-loop", "1",         "-y",      "-i",   image,     "-i",
                 audio,   "-shortest", "-acodec", "copy", "-vcodec", "mjpeg"};
  } else {
    const std::optional<double> seconds = video.facts.Seconds();
    arguments = {"-y"};
    const std::vector<std::string> picture = SegmentInput(video.segment, seconds, shell);
    arguments.insert(arguments.end(), picture.begin(), picture.end());
    arguments.insert(arguments.end(), std::begin(kUnqueued), std::end(kUnqueued));
    // clang-format off
    arguments.insert(arguments.end(), {"-i", audio, "-map", "0:v:0", "-map", "1:a:0",
                 // the song's tags (title, artist, album, track, date, comment): the file's own,
                 // and those of its sound, where Ogg keeps them
                 "-map_metadata", "1", "-map_metadata:g", "1:s:a:0"});
    // clang-format on
    const std::vector<std::string> options = Mp4Options(video.facts.sound.copyable, seconds);
    arguments.insert(arguments.end(), options.begin(), options.end());
  }
  arguments.insert(arguments.end(), ending.begin(), ending.end());
  return arguments;
}

std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell) {
  return FfmpegCommand(ffmpeg, ConversionArguments({picture, audio, {}, output, {}, {}}, shell),
                       shell);
}

}  // namespace framora::convert
