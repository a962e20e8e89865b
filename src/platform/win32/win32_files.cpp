#include "platform/win32/win32_files.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {

constexpr DWORD kNotNormal =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// The path from the root (GetFullPathNameW); nothing when the system cannot make it.
std::optional<std::wstring> FullWidePath(const std::wstring& path) {
  const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::nullopt;
  std::wstring full(length, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return std::nullopt;
  full.resize(written);
  return full;
}

}  // namespace

std::wstring LongPath(const std::string& path) {
  std::wstring wide = ToWide(path);
  // Short enough for every function, a new folder's included (it keeps room for an 8.3 name).
  if (wide.size() < MAX_PATH - 12 || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) {
    return wide;
  }
  // The system takes a marked path as it stands, so it is made whole first.
  const std::optional<std::wstring> full = FullWidePath(wide);
  if (!full) return wide;
  if (full->starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full->substr(2);
  return L"\\\\?\\" + *full;
}

std::optional<std::string> Win32FileSystem::FindFirstFile(const std::string& pattern) {
  if (pattern.empty()) return std::nullopt;
  WIN32_FIND_DATAW data{};
  FindHandle search(::FindFirstFileW(LongPath(pattern).c_str(), &data));
  if (!search) return std::nullopt;
  do {
    if ((data.dwFileAttributes & kNotNormal) == 0) return FromWide(data.cFileName);
  } while (::FindNextFileW(search.get(), &data));
  return std::nullopt;
}

bool Win32FileSystem::IsFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

PathKind Win32FileSystem::KindAt(const std::string& path) {
  if (path.empty()) return PathKind::None;
  const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::Folder;
  return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? PathKind::Other : PathKind::File;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
  return !path.empty() && ::DeleteFileW(LongPath(path).c_str()) != 0;
}

std::string Win32FileSystem::ReadBytes(const std::string& path, std::uint64_t offset,
                                       std::size_t count) {
  std::string bytes;
  // A name may lead to a named pipe or a device, whose reads wait for a writer that may never
  // come: only a file on a disk is read. A pipe's server never gets to act as us.
  const KernelHandle file(::CreateFileW(
      LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK) return bytes;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return bytes;
  bytes.resize(count);
  std::size_t got = 0;
  DWORD n = 0;
  while (got < count &&
         ::ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(count - got), &n, nullptr) &&
         n > 0) {
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

std::vector<std::string> Win32FileSystem::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (!pattern.empty() && !pattern.ends_with('\\') && !pattern.ends_with('/')) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW data{};
  const FindHandle search(::FindFirstFileW(LongPath(pattern).c_str(), &data));
  if (!search) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(FromWide(name));
  } while (::FindNextFileW(search.get(), &data));
  return names;
}

std::string Win32FileSystem::FullPath(const std::string& path) {
  const std::optional<std::wstring> full = FullWidePath(ToWide(path));
  return full ? FromWide(*full) : path;
}

std::string Win32FileSystem::TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return ".";
  return FromWide(std::wstring(temp, length));
}

bool Win32FileSystem::MakeFolder(const std::string& path) {
  // The user's own folder for temporary files already keeps others out.
  return !path.empty() && ::CreateDirectoryW(LongPath(path).c_str(), nullptr);
}

bool Win32FileSystem::WriteFile(const std::string& path, std::string_view content) {
  const KernelHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  while (!content.empty()) {
    if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) ||
        written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() &&
         ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) !=
             0;
}

std::optional<FileIdentity> Win32FileSystem::IdentityOf(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // Its attributes only, which no other program's sharing forbids; a folder opens too, and a
  // link is followed to what it leads to.
  const KernelHandle file(::CreateFileW(
      LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
  return !path.empty() && ::RemoveDirectoryW(LongPath(path).c_str()) != 0;
}

std::string Win32ProgramSearch::SearchPath() {
  const DWORD length = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (length == 0) return {};
  std::wstring value(length, L'\0');
  const DWORD copied = ::GetEnvironmentVariableW(L"PATH", value.data(), length);
  value.resize(copied < length ? copied : 0);
  return FromWide(value);
}

bool Win32ProgramSearch::IsProgramFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::IsNormalFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string ProgramFolder() {
  std::wstring path = ProgramPath();
  const auto slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) path.resize(slash);
  return FromWide(path);
}

}  // namespace framora::win32

namespace framora {

std::unique_ptr<FileSystemPort> MakeFileSystem() {
  return std::make_unique<win32::Win32FileSystem>();
}

std::unique_ptr<ProgramSearchPort> MakeProgramSearch() {
  return std::make_unique<win32::Win32ProgramSearch>();
}

}  // namespace framora
