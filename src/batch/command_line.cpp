#include "batch/command_line.h"

#include <algorithm>
#include <string_view>

#include "app/identity.h"
#include "convert/picture.h"

namespace framora::batch {

namespace {

struct Option {
  std::string_view name;
  std::string_view value;  // what the usage text calls its value; empty for a switch
  std::string_view help;   // its line in the usage text; empty keeps it out of the text
  void (*apply)(Arguments& arguments, const std::string& value);
};

// Every option, in the order of the usage text. An option is one row.
constexpr Option kOptions[] = {
    {"--image", "COVER", "the videos' picture (default: the one each song carries)",
     [](Arguments& a, const std::string& v) { a.image = v; }},
    {"--album", "FILE", "one video of all AUDIO files in order, and its track list",
     [](Arguments& a, const std::string& v) { a.album = v; }},
    {"--ffmpeg", "PATH", "the FFmpeg to run (default: the one the window finds)",
     [](Arguments& a, const std::string& v) { a.ffmpeg = v; }},
    {"--output-dir", "DIR", "where the videos go (default: beside each audio file)",
     [](Arguments& a, const std::string& v) { a.outputDir = v; }},
    {"--format", "mp4|avi", "the kind of video (default: mp4)",
     [](Arguments& a, const std::string& v) {
       if (v == "avi" || v == "mp4") {
         a.extension = "." + v;
         a.formatGiven = true;
       } else {
         a.action = Action::Usage;
         a.error = "--format takes mp4 or avi, not '" + v + "'";
       }
     }},
    {"--frame", "blur|black|cover", "an MP4's frame (default: blur)",
     [](Arguments& a, const std::string& v) {
       if (const std::optional<convert::Frame> frame = convert::FrameNamed(v)) {
         a.frame = *frame;
       } else {
         a.action = Action::Usage;
         a.error = "--frame takes blur, black or cover, not '" + v + "'";
       }
     }},
    {"--overwrite", "", "replace videos that exist (default: skip them)",
     [](Arguments& a, const std::string&) { a.overwrite = true; }},
    {"--help", "", "show this text and exit",
     [](Arguments& a, const std::string&) { a.action = Action::Help; }},
    {"--version", "", "show the program's name and version and exit",
     [](Arguments& a, const std::string&) { a.action = Action::Version; }},
};

const Option* Find(std::string_view name) {
  for (const Option& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

Arguments UsageError(std::string error) {
  Arguments arguments;
  arguments.action = Action::Usage;
  arguments.error = std::move(error);
  return arguments;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& args) {
  Arguments arguments;
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options || arg.size() < 2 || !arg.starts_with('-')) {
      arguments.audio.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options = false;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const Option* option = Find(std::string_view(arg).substr(0, equals));
    if (option == nullptr) return UsageError("unknown option '" + arg + "'");
    std::string value;
    if (option->value.empty()) {
      if (equals != std::string::npos) {
        return UsageError(std::string(option->name) + " takes no value");
      }
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return UsageError(std::string(option->name) + " needs a value: " + std::string(option->name) +
                        " " + std::string(option->value));
    }
    option->apply(arguments, value);
    // Help and version answer whatever else the line holds; an error stops the reading.
    if (arguments.action != Action::Batch) return arguments;
  }
  if (arguments.audio.empty()) return UsageError("no audio files to convert");
  if (arguments.album && arguments.album->empty()) return UsageError("--album needs a file name");
  if (arguments.album && (arguments.outputDir || arguments.formatGiven)) {
    // The album's name says where it goes and what it is.
    return UsageError("--album FILE names the video: --output-dir and --format go without it");
  }
  return arguments;
}

std::string UsageText() {
  std::string text =
      "Usage: Framoraaudioconverter [--help | --version]\n"
      "       Framoraaudioconverter [--image COVER] [options] AUDIO...\n"
      "\n"
      "Without arguments the program opens its window. With them it makes a video\n"
      "of COVER (JPEG, PNG, GIF, BMP or WebP) and each AUDIO file (WAV, MP3, AMR,\n"
      "FLAC, M4A, AAC, Ogg or Opus), one after another, with the window's FFmpeg:\n"
      "song.mp3 becomes song.mp4 (or song.avi) beside it, or in the folder named\n"
      "by --output-dir. A video that exists is skipped, as the window refuses it,\n"
      "and two songs never make one video. Without --image each video shows the\n"
      "picture its song carries. An MP4 is 16:9, the picture on a blurred copy of\n"
      "itself (--frame black: on black; --frame cover: the picture's own shape).\n"
      "\n"
      "With --album FILE all AUDIO files become one video, FILE, and a .txt of its\n"
      "name beside it lists where each song starts, for the video's description.\n"
      "\n"
      "Options:\n";
  for (const Option& option : kOptions) {
    if (option.help.empty()) continue;
    std::string left = "  " + std::string(option.name);
    if (!option.value.empty()) left += " " + std::string(option.value);
    left.resize(std::max<std::size_t>(left.size() + 2, 21), ' ');
    text += left + std::string(option.help) + "\n";
  }
  text +=
      "\n"
      "On a terminal each file shows how far it has got; then a line tells what\n"
      "became of it, and a last line sums up. Ctrl+C stops FFmpeg and the batch,\n"
      "and removes the video it was making.\n"
      "\n"
      "Exit status: 0 when every file was converted or skipped, 1 when any failed,\n"
      "2 for a usage error, 130 when stopped.\n";
  return text;
}

std::string VersionText() {
  return std::string(identity::kTitle) + " " + identity::kVersion + "\n";
}

}  // namespace framora::batch
