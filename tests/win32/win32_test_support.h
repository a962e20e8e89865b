// What the Win32 tests share: the helper programs beside the test, a test-owned registry key,
// environment variables set for one test, and waits for a condition with a generous bound
// that only guards against hanging.
#pragma once

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <shlwapi.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace framora::test {

// The folder that holds the running test program, with a trailing backslash.
inline std::string ProgramFolder() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

inline std::string HelperPath() { return ProgramFolder() + "framora_win_helper.exe"; }

// Sets an environment variable for the life of the object, then restores the old value.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    char buffer[4096];
    const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) old_ = std::string(buffer, length);
    ::SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnv() { ::SetEnvironmentVariableA(name_.c_str(), old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A key below HKEY_CURRENT_USER that belongs to one test program and is deleted with it.
class ScopedTestKey {
 public:
  explicit ScopedTestKey(std::string path) : path_(std::move(path)) {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }
  ~ScopedTestKey() { ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }
  ScopedTestKey(const ScopedTestKey&) = delete;
  ScopedTestKey& operator=(const ScopedTestKey&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Waits until the condition holds. The bound is only there so that a broken program fails the
// test instead of hanging it; nothing depends on how long the wait takes.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::seconds bound = std::chrono::seconds(60)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

inline std::string TestId() { return std::to_string(::GetCurrentProcessId()); }

}  // namespace framora::test
