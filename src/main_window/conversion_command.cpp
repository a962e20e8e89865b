#include "main_window/conversion_command.h"

#include <string_view>

#include "app/text.h"

namespace framora {

namespace {

bool PosixSafe(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x80) return true;  // bytes of non-ASCII letters mean nothing to sh
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("_@%+:,./-").find(c) != std::string_view::npos;
}

bool CmdSafe(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x21) return false;  // blanks and control characters split the line
  return std::string_view("&|<>^()%!\",;=").find(c) == std::string_view::npos;
}

// Words that sh reads as its own grammar when they stand first on the line.
bool PosixReservedWord(const std::string& word) {
  static constexpr std::string_view kWords[] = {
      "!",  "{",  "}",    "case",  "do",    "done", "elif", "else",     "esac",   "fi",  "for",
      "if", "in", "then", "until", "while", "[[",   "]]",   "function", "select", "time"};
  for (std::string_view w : kWords)
    if (word == w) return true;
  return false;
}

// cmd expands %NAME% everywhere, between quotes too, and no escape stops it on a command line.
// What it leaves alone is a name that is not set, and no variable's name starts with a quote:
// so each '%' stands outside the quotes, between a closing and an opening one. The program
// that gets the pieces joins them again into one argument; for it, backslashes right before a
// quote escape it unless they are doubled (cmd itself takes backslashes as they are).
std::string CmdQuote(const std::string& path) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : path) {
    if (c == '%') {
      quoted.append(backslashes, '\\');
      quoted += "\"%\"";
    } else {
      quoted += c;
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  quoted.append(backslashes, '\\');
  return quoted + "\"";
}

// The program's own name is read by a simpler rule: a name that starts with a quote ends at the
// next quote, one that does not ends at the first blank. A name without blanks can therefore
// start unquoted and still use the pieces above.
std::string CmdQuoteProgram(const std::string& path) {
  const bool blank = path.find_first_of(" \t") != std::string::npos;
  if (path.find('%') == std::string::npos || blank || !CmdSafe(path[0]) || path[0] == '%') {
    return CmdQuote(path);
  }
  return path[0] + CmdQuote(path.substr(1));
}

bool NeedsQuotes(const std::string& path, ShellKind shell) {
  bool safe = true;
  for (char c : path) safe = safe && (shell == ShellKind::Posix ? PosixSafe(c) : CmdSafe(c));
  if (shell == ShellKind::Posix && PosixReservedWord(path)) safe = false;
  return !safe;
}

// FFmpeg takes a word that starts with '-' for an option, and "-" alone for its standard input
// or output.
std::string AsPath(const std::string& path, ShellKind shell) {
  if (!path.starts_with('-')) return path;
  return (shell == ShellKind::Cmd ? ".\\" : "./") + path;
}

}  // namespace

std::string QuoteForShell(const std::string& path, ShellKind shell) {
  if (!NeedsQuotes(path, shell)) return path;
  if (shell == ShellKind::Cmd) return CmdQuote(path);
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

bool IsMp4Output(const std::string& output) {
  return output.size() >= 4 && AsciiLower(output.substr(output.size() - 4)) == ".mp4";
}

std::string PictureSource::Stream() const {
  return stream ? "[0:v:" + std::to_string(*stream) + "]" : "[0:v]";
}

std::string StillPictureGraph(const std::string& picture, const std::string& sound) {
  // The picture (an animated GIF's first) is read and converted once; the video shows it at
  // 0 s, at each whole second in between, and last where the sound ends, so that the encoder's
  // work follows the length of the song and the picture lasts exactly as long as the sound:
  //  - premultiply: what is transparent in a PNG or GIF becomes black, not whatever colour
  //    its hidden pixels hold;
  //  - pad: H.264 in yuv420p needs even sizes; an odd one gains a line rather than being
  //    scaled, which would blur every pixel;
  //  - loop, not the reader's -loop 1: that one decodes the picture anew for every frame, and
  //    GIF's reader has no such option;
  //  - the frames in between run 2.5 s ahead until an overlay, placed outside the frame so
  //    that it shows nothing, ends them with a tiny picture of every tenth piece of the sound
  //    (showwaves), which ends with the sound; set back by 1.5 s they end more than a second
  //    before it;
  //  - concat puts the first frame before them, and the last after the whole decoded sound:
  //    a segment starts where the longest stream of the one before ends, a video's end being
  //    taken a mean frame's length after its last frame (hence the second of margin). The
  //    sound it passes on is not used.
  return picture +
         "trim=end_frame=1,premultiply=inplace=1,pad=ceil(iw/2)*2:ceil(ih/2)*2,"
         "format=yuv420p,split=3[first][still][last];"
         "[still]loop=-1:1,setpts=(N+2.5)/TB[each];" +
         sound +
         "asplit=3[song][wave][rest];"
         "[wave]aselect=not(mod(n\\,10)),showwaves=s=16x16:r=30[w];"
         "[each][w]overlay=x=-16:y=-16:shortest=1,setpts=PTS-1.5/TB[between];"
         "[first][between]concat=n=2:v=1:a=0[start];[rest]aselect=0[none];"
         "[start][song][last][none]concat=n=2:v=1:a=1[v][end];[end]anullsink";
}

std::string LoopedPictureGraph(const std::string& picture) {
  // The picture reader's -loop 1 in a graph, at its 25 frames a second, for a song's picture.
  return picture + "loop=-1:1,setpts=N/25/TB,fps=25[v]";
}

std::vector<std::string> Mp4VideoOptions() {
  return {// the encoded frames keep their times; otherwise the gaps are filled with copies
          "-vsync", "vfr",
          // H.264 tuned for a still picture, visually lossless; the slower presets only spend
          // time on a picture that does not change; no B-frames, which would end the stream's
          // length at the last frame but one
          "-c:v", "libx264", "-preset", "veryfast", "-tune", "stillimage", "-crf", "18", "-bf", "0",
          // the colour format every player and sharing site decodes
          "-pix_fmt", "yuv420p"};
}

std::vector<std::string> ConversionArguments(const PictureSource& picture,
                                             const std::string& audioPath,
                                             const std::string& outputPath, const SoundFacts& sound,
                                             ShellKind shell) {
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

std::string OutputExistsMessage(const std::string& output) {
  return "File " + output + " allready exists - Please choose another filename";
}

std::string FfmpegCommand(const std::string& ffmpeg, const std::vector<std::string>& arguments,
                          ShellKind shell) {
  std::string command = shell == ShellKind::Cmd && NeedsQuotes(ffmpeg, shell)
                            ? CmdQuoteProgram(ffmpeg)
                            : QuoteForShell(ffmpeg, shell);
  for (const std::string& argument : arguments) {
    command += ' ';
    command += QuoteForShell(argument, shell);
  }
  return command;
}

std::string BuildConversionCommand(const std::string& ffmpeg, const PictureSource& picture,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell, const SoundFacts& sound) {
  return FfmpegCommand(ffmpeg, ConversionArguments(picture, audio, output, sound, shell), shell);
}

}  // namespace framora
