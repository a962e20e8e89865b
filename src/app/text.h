// Small text helpers. All text in the program is UTF-8 in std::string; lengths that the
// windows test are counted in characters (code points), never bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framora {

// Number of characters in UTF-8 text: the bytes that start a character are counted, stray
// continuation bytes are not.
std::size_t Utf8Length(std::string_view text);

// ASCII-only lower case; other characters are left alone.
std::string AsciiLower(std::string_view text);

// Lower case as Windows compares file names: ASCII, and the letters of Latin-1, Latin
// Extended-A, Greek and Cyrillic, which song names use most; other characters stay as they are.
std::string FoldCase(std::string_view text);

// A caption as a screen reader says it: without the marks of its access key ("&&" is a plain
// '&').
std::string WithoutAccessKeys(std::string_view caption);

}  // namespace framora
