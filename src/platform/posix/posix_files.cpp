#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "app/wildcard.h"

namespace framora::posix {

bool PosixFileSystem::IsNormalFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixFileSystem::IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PosixProgramSearch::SearchPath() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : "";
}

bool PosixProgramSearch::IsProgramFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> PosixFileSystem::FindFirstFile(const std::string& pattern) {
  // Wildcards count in the last component only, as in the classic look-up.
  const auto slash = pattern.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (name.empty()) return std::nullopt;
  if (!HasWildcard(name)) {
    if (IsNormalFile(pattern)) return name;
    return std::nullopt;
  }
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), &::closedir);
  if (!d) return std::nullopt;
  while (const dirent* e = ::readdir(d.get())) {
    const std::string entry = e->d_name;
    if (entry == "." || entry == "..") continue;
    if (!WildcardMatch(name, entry)) continue;
    if (IsNormalFile((slash == std::string::npos ? std::string() : dir) + entry)) return entry;
  }
  return std::nullopt;
}

}  // namespace framora::posix
