#include "platform/win32/win32_files.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {
constexpr DWORD kNotNormal =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
}  // namespace

std::optional<std::string> Win32FileSystem::FindFirstFile(const std::string& pattern) {
  WIN32_FIND_DATAA data{};
  FindHandle search(::FindFirstFileA(ToNarrow(pattern).c_str(), &data));
  if (!search) return std::nullopt;
  do {
    if ((data.dwFileAttributes & kNotNormal) == 0) return FromNarrow(data.cFileName);
  } while (::FindNextFileA(search.get(), &data));
  return std::nullopt;
}

bool Win32FileSystem::IsFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::IsNormalFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesA(ToNarrow(path).c_str());
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
