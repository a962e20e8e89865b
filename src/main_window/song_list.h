// The audio field holds one song as its plain path, as it always did, or several as quoted paths
// separated by one blank, as the Windows file dialog shows a multiple selection:
//   "C:\Music\01 Intro.mp3" "C:\Music\02 Song.mp3"
// A user may type or paste the same, and mix in bare paths between the quoted ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framora {

// The songs the field names, in its order. Text without a quoted path is one song as it stands
// (blanks and all); a field of blanks names none.
std::vector<std::string> SongsInField(std::string_view text);

// The field that names these songs: one path bare, several quoted. Nothing when a song cannot be
// written so that the field reads back as the same songs (a name holding a double quote).
std::optional<std::string> SongField(const std::vector<std::string>& songs);

// Whether a song can stand in a list of several: its name holds no double quote.
bool ListableSong(std::string_view path);

}  // namespace framora
