// Finding FFmpeg the way the system would find it when the user has not chosen one yet.
#pragma once

#include <optional>
#include <string>

#include "app/ports.h"

namespace framora {

// How the platform looks a program up: its file name, the separators of PATH and of a path,
// and a folder searched before PATH (Windows: the program's own folder), if any.
struct ProgramSearch {
  std::string name;
  char listSeparator = ':';
  char folderSeparator = '/';
  std::string firstFolder;
};

// Linux and other POSIX systems: `ffmpeg` on PATH.
ProgramSearch PosixFfmpegSearch();
// Windows: `ffmpeg.exe` in the program's own folder, then on PATH.
ProgramSearch WindowsFfmpegSearch(const std::string& programFolder);

// The full path of the first program file of that name in the folders searched, in order.
// Empty PATH entries and relative ones are skipped: what they name depends on the folder the
// program happens to be started from.
std::optional<std::string> FindProgram(ProgramSearchPort& system, const ProgramSearch& how);

}  // namespace framora
