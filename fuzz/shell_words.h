// A POSIX shell's view of one simple command: the words it would pass to the program, or
// nothing when the shell would do anything but take the line literally.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framora::fuzz {

// Handles blanks, backslashes, single and double quotes. Refuses (returns nothing) on any
// unquoted expansion, glob, operator, newline, comment, tilde, brace or history character, an
// assignment or a reserved word in command position, and unfinished quoting.
std::optional<std::vector<std::string>> ShellWords(std::string_view line);

}  // namespace framora::fuzz
