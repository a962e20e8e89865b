// Small text helpers. All text in the program is UTF-8 in std::string; lengths that the
// windows test are counted in characters (code points), never bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace framora {

// Number of characters in UTF-8 text: the bytes that start a character are counted, stray
// continuation bytes are not.
std::size_t Utf8Length(std::string_view text);

// The one text codec: a character appended as UTF-8; Latin-1 and UTF-16 of either byte order
// as UTF-8, up to their first NUL (half of a UTF-16 pair that stands alone becomes U+FFFD);
// whether bytes are well-formed UTF-8.
void AppendUtf8(char32_t c, std::string& out);
std::string FromLatin1(std::string_view text);
std::string FromUtf16(std::string_view text, bool bigEndian);
bool IsUtf8(std::string_view text);

// Text for the system's own functions: in its narrow code page, what the Windows "A" functions
// speak (a character it lacks becomes '?'), and in UTF-16, what the "W" functions speak; and
// back. The platform adapters define them: on POSIX the narrow code page is UTF-8 itself, and
// nothing speaks UTF-16.
std::string ToNarrow(std::string_view utf8);
std::string FromNarrow(std::string_view narrow);
std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

// ASCII-only lower case; other characters are left alone.
std::string AsciiLower(std::string_view text);

// Lower case as Windows compares file names: ASCII, and the letters of Latin-1, Latin
// Extended-A, Greek and Cyrillic, which song names use most; other characters stay as they are.
std::string FoldCase(std::string_view text);

// A caption as a screen reader says it: without the marks of its access key ("&&" is a plain
// '&').
std::string WithoutAccessKeys(std::string_view caption);

// A process id as another program writes it on a command line: decimal digits and nothing else
// (no sign, no blanks), from 1 to 4294967294. The one value above stands on Windows for "the
// parent's console", so it, 0 and anything else are no id.
std::optional<std::uint32_t> ParseProcessId(std::string_view text);

}  // namespace framora
