// Paths as text: where a path's folder ends and its name starts, how two names of one file
// compare, and how a folder and a name join. The system decides: on Windows (cmd) '\' and a
// drive's ':' separate too, and letter case does not tell two files apart.
#pragma once

#include <string>
#include <string_view>

namespace framora {

// The interpreter that runs the commands, and with it the system's rules for paths.
enum class ShellKind { Posix, Cmd };

bool IsSeparator(char c, ShellKind shell);

// The folder part of a path without its last separator ("" for a bare name); a root keeps its
// own ("/", "C:\", and "C:" for "C:name").
std::string FolderOf(std::string_view path, ShellKind shell);
// The name after the last separator.
std::string NameOf(std::string_view path, ShellKind shell);
// A name without its extension; a name that starts with its only dot has none.
std::string StemOf(std::string_view name);
// The folder and the name with one separator between them, none after a root or a drive.
std::string JoinPath(std::string_view folder, std::string_view name, ShellKind shell);
// Two names of one file give one key: "a//b" and "./a/b" are "a/b", and on Windows "A\B" too.
std::string PathKey(std::string_view path, ShellKind shell);

// File-name order, as a file manager lists a folder: by the names without their folders,
// letter case aside, numbers compared as numbers ("2 x" before "10 x"); then by the whole path.
bool InFileNameOrder(std::string_view a, std::string_view b, ShellKind shell);

}  // namespace framora
