#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/text.h"
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

PathKind PosixFileSystem::KindAt(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return PathKind::None;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
  return !path.empty() && ::unlink(path.c_str()) == 0;
}

std::string PosixFileSystem::ReadBytes(const std::string& path, std::uint64_t offset,
                                       std::size_t count) {
  std::string bytes;
  // Opening a named pipe waits for a writer, and a device may never answer: the song is read
  // only when it is a regular file, and the opening itself never waits.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return bytes;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return bytes;
  }
  bytes.resize(count);
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n =
        ::pread(fd, bytes.data() + got, count - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the end, an error, or a folder
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

std::vector<std::string> PosixFileSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(folder.c_str()), &::closedir);
  if (!d) return names;
  while (const dirent* e = ::readdir(d.get())) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  return names;
}

std::string PosixFileSystem::FullPath(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::string folder(4096, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return path;
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::strlen(folder.c_str()));
  return folder + (folder.ends_with('/') ? "" : "/") + path;
}

std::string PosixFileSystem::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
}

bool PosixFileSystem::MakeFolder(const std::string& path) {
  return !path.empty() && ::mkdir(path.c_str(), 0700) == 0;
}

bool PosixFileSystem::WriteFile(const std::string& path, std::string_view content) {
  // As any new file of the user's: the umask decides who else may read it.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return false;
  bool ok = true;
  while (ok && !content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) content.remove_prefix(static_cast<std::size_t>(n));
  }
  return ::close(fd) == 0 && ok;
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && ::rename(from.c_str(), to.c_str()) == 0;
}

std::optional<FileIdentity> PosixFileSystem::IdentityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool PosixFileSystem::RemoveFolder(const std::string& path) {
  return !path.empty() && ::rmdir(path.c_str()) == 0;
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

namespace framora {

std::string ToNarrow(std::string_view utf8) { return std::string(utf8); }
std::string FromNarrow(std::string_view narrow) { return std::string(narrow); }

std::unique_ptr<FileSystemPort> MakeFileSystem() {
  return std::make_unique<posix::PosixFileSystem>();
}

std::unique_ptr<ProgramSearchPort> MakeProgramSearch() {
  return std::make_unique<posix::PosixProgramSearch>();
}

}  // namespace framora
