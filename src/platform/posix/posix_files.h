// File look-ups for POSIX systems. POSIX has no hidden or system attribute, so every regular
// file counts; folders and other non-regular entries never do.
#pragma once

#include "app/ports.h"

namespace framora::posix {

class PosixFileSystem : public FileSystemPort {
 public:
  std::optional<std::string> FindFirstFile(const std::string& pattern) override;
  bool IsNormalFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  PathKind KindAt(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  std::string ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) override;
  std::vector<std::string> ListFolder(const std::string& folder) override;
  std::string FullPath(const std::string& path) override;
  // In TMPDIR, or /tmp.
  std::string TempFolder() override;
  bool MakeFolder(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  std::optional<FileIdentity> IdentityOf(const std::string& path) override;
  bool WriteFile(const std::string& path, std::string_view content) override;
  bool RemoveFolder(const std::string& path) override;
};

// PATH as the shell reads it; a program file is a regular file we may execute.
class PosixProgramSearch : public ProgramSearchPort {
 public:
  std::string SearchPath() override;
  bool IsProgramFile(const std::string& path) override;
};

}  // namespace framora::posix
