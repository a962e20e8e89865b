// Five non-empty paths of any characters but NUL go into the conversion command; a POSIX
// shell must split that command back into exactly the program and its arguments, each path
// whole and unchanged, with nothing of a path interpreted.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/command_text.h"
#include "convert/song_command.h"
#include "fuzz_check.h"
#include "shell_words.h"

namespace {

using framora::fuzz::Check;
using framora::fuzz::ShellWords;
using Words = std::vector<std::string>;

// The oracle is only as good as the splitter: check it on lines with known answers first.
void CheckSplitter() {
  auto says = [](const char* line, const Words& words) {
    const auto got = ShellWords(line);
    Check(got && *got == words, std::string("splitter is wrong about: ") + line);
  };
  auto refuses = [](const char* line) {
    Check(!ShellWords(line), std::string("splitter takes literally: ") + line);
  };
  says("a  b\tc", {"a", "b", "c"});
  says("'a b' c", {"a b", "c"});
  says("a'b'c", {"abc"});
  says("'it'\\''s'", {"it's"});
  says("a\\ b", {"a b"});
  says("\"a\\\"b\\\\c\\d\"", {"a\"b\\c\\d"});
  says("x~ y# a=b", {"x~", "y#", "a=b"});
  says("'if' '$x' '*'", {"if", "$x", "*"});
  says("''", {""});
  refuses("$x");
  refuses("\"$x\"");
  refuses("a`b`");
  refuses("a*");
  refuses("a?");
  refuses("[ab]");
  refuses("a;b");
  refuses("a|b");
  refuses("a&");
  refuses("a>b");
  refuses("(a)");
  refuses("a\nb");
  refuses("~x");
  refuses("#x");
  refuses("a{b,c}");
  refuses("!a");
  refuses("if x");
  refuses("a=b c");
  refuses("'a");
  refuses("\"a");
  refuses("a\\");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CheckSplitter();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // FFmpeg, the picture, the song, the video and (for an MP4) the picture's segment.
  std::string paths[5];
  for (auto& path : paths) {
    path = input.ConsumeRandomLengthString(64);
    if (path.empty() || path.find('\0') != std::string::npos) return 0;
  }
  const framora::convert::SongVideo video{paths[1], paths[2], {}, paths[3], {}, paths[4]};
  // The words as the builder gives them; the exact ones are the unit tests' business.
  Words expected = {paths[0]};
  for (auto& word : framora::convert::ConversionArguments(video, framora::ShellKind::Posix))
    expected.push_back(word);
  const std::string command = framora::convert::FfmpegCommand(
      paths[0], framora::convert::ConversionArguments(video, framora::ShellKind::Posix),
      framora::ShellKind::Posix);
  std::string shown;
  for (const auto& path : paths) shown += "\n  \"" + framora::fuzz::Visible(path) + "\"";
  const auto words = ShellWords(command);
  Check(words.has_value(), "the shell would interpret the command " +
                               framora::fuzz::Visible(command) + "\nbuilt from" + shown);
  Check(*words == expected, "the shell splits the command " + framora::fuzz::Visible(command) +
                                " into other words\nbuilt from" + shown);
  return 0;
}
