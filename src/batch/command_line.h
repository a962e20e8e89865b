// The program's command line: --help, --version, and a batch of conversions, one cover and
// many audio files. Read here, the same on every platform; the options are one table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/picture.h"

namespace framora::batch {

enum class Action {
  Help,     // the usage text
  Version,  // the name and version
  Batch,    // convert the audio files
  Usage,    // a usage error: `error` says what is wrong
};

struct Arguments {
  Action action = Action::Batch;
  std::string error;
  std::string image;                     // empty: each song's own picture
  std::optional<std::string> album;      // one video of all the audio files, at this path
  std::optional<std::string> ffmpeg;     // none: the FFmpeg that the window would find
  std::optional<std::string> outputDir;  // none: beside each audio file
  bool overwrite = false;
  std::string extension = ".mp4";  // of the videos: ".mp4" or ".avi"
  bool formatGiven = false;        // --format was given
  convert::Frame frame = convert::Frame::Blur;
  std::vector<std::string> audio;
};

// The arguments after the program's name. "--name value" and "--name=value" both work, and
// "--" ends the options (for audio files whose names start with '-').
Arguments ParseArguments(const std::vector<std::string>& args);

std::string UsageText();
// The program's name and version, from its identity.
std::string VersionText();

}  // namespace framora::batch
