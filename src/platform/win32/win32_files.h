// File look-ups with FindFirstFileW: only normal files count, never hidden files, system files
// or folders. Every path goes through LongPath, so that none stops at 260 characters.
#pragma once

#include <string>

#include "app/ports.h"

namespace framora::win32 {

class Win32FileSystem : public FileSystemPort {
 public:
  // The name (without folder) of the first normal file matching the pattern.
  std::optional<std::string> FindFirstFile(const std::string& pattern) override;
  bool IsNormalFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  // A reparse point (a symbolic link, a junction) is a link.
  PathKind KindAt(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  std::string ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) override;
  std::vector<std::string> ListFolder(const std::string& folder) override;
  std::string FullPath(const std::string& path) override;
  // In the user's folder for temporary files (GetTempPathW).
  std::string TempFolder() override;
  bool MakeFolder(const std::string& path) override;
  bool WriteFile(const std::string& path, std::string_view content) override;
  // MoveFileExW, replacing a file that stands at `to`.
  bool Rename(const std::string& from, const std::string& to) override;
  // The volume's serial number and the file's index on it.
  std::optional<FileIdentity> IdentityOf(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
};

// PATH as cmd.exe reads it; a program file is any file that is not a folder.
class Win32ProgramSearch : public ProgramSearchPort {
 public:
  std::string SearchPath() override;
  bool IsProgramFile(const std::string& path) override;
};

// The path as the "W" functions take it, however long. Shorter than MAX_PATH - 12, as it is;
// longer, made whole by GetFullPathNameW (from the root, with '\' for '/', without "." and "..")
// and marked \\?\ (a server's share \\server\share as \\?\UNC\server\share), which lifts the
// limit. A path marked \\?\ or \\.\ already stays as it is.
std::wstring LongPath(const std::string& path);

// The full path of the program file.
std::wstring ProgramPath();
// The folder of the program file, without a final backslash.
std::string ProgramFolder();

}  // namespace framora::win32
