#include "convert/song_command.h"

#include "convert/command_text.h"
#include "convert/names.h"

namespace framora::convert {

std::vector<std::string> ConversionArguments(const PictureSource& picture,
                                             const std::string& audioPath,
                                             const std::string& outputPath,
                                             const media::SoundFacts& sound, ShellKind shell) {
  const std::string image = AsPath(picture.path, shell);
  const std::string audio = AsPath(audioPath, shell);
  const std::string output = AsPath(outputPath, shell);
  if (!IsMp4Output(outputPath) && picture.stream) {
    // A song's picture is one frame of a stream, which the picture reader's -loop 1 cannot
    // repeat; the song's first sound goes with it, as the picture file's command takes it.
    // clang-format off
    return {"-y", "-i", image, "-i", audio,
            "-filter_complex", LoopedPictureGraph(picture.Stream()),
            "-map", "[v]", "-map", "1:a:0",
            "-shortest", "-acodec", "copy", "-vcodec", "mjpeg", output};
    // clang-format on
  }
  if (!IsMp4Output(outputPath)) {
    return {"-loop",     "1",       "-y",   "-i",      image,   "-i",  audio,
            "-shortest", "-acodec", "copy", "-vcodec", "mjpeg", output};
  }
  std::vector<std::string> arguments = {
      "-y",
      // frames timed in 30ths of a second: the last one falls within one of the sound's end,
      // and so long it lasts
      "-r", "30", "-i", image, "-i", audio, "-filter_complex",
      StillPictureGraph(picture.Stream(), "[1:a:0]"),
      // the song's first sound, the one the picture's length is taken from
      "-map", "[v]", "-map", "1:a:0",
      // the song's tags (title, artist, album, track, date, comment), not the picture's: the
      // file's own, and those of its sound, where Ogg keeps them
      "-map_metadata", "1", "-map_metadata:g", "1:s:a:0"};
  const std::vector<std::string> video = Mp4VideoOptions();
  arguments.insert(arguments.end(), video.begin(), video.end());
  if (sound.copyable) {
    // MP3 and AAC as they are: the sharing sites take them, and a second lossy coding would
    // only lose more of the sound
    arguments.insert(arguments.end(), {"-c:a", "copy"});
  } else {
    // AAC at the rate the sharing sites recommend
    arguments.insert(arguments.end(), {"-c:a", "aac", "-b:a", "192k"});
  }
  // the index first: playing starts before the whole file has arrived
  arguments.insert(arguments.end(), {"-movflags", "+faststart", output});
  return arguments;
}

std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell, const media::SoundFacts& sound) {
  return FfmpegCommand(ffmpeg, ConversionArguments(picture, audio, output, sound, shell), shell);
}

}  // namespace framora::convert
