#include "support/temp_env.h"

#include <stdlib.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace framora::test {

namespace {
std::string g_root;

void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// A new folder "<pattern without XXXXXX><random>", created by us alone.
std::string MakeUniqueDir(std::string pattern) {
#ifdef _WIN32
  // No mkdtemp here: try random names until one can be created (creation fails if it exists).
  pattern.resize(pattern.size() - 6);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = pattern + std::to_string(random() % 1000000u);
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) return candidate;
  }
  throw std::runtime_error("cannot create a temporary folder");
#else
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
#endif
}
}  // namespace

std::string EnterTempEnvironment() {
  if (!g_root.empty()) return g_root;
  g_root = MakeUniqueDir((std::filesystem::temp_directory_path() / "framora-test-XXXXXX").string());
  const auto home = std::filesystem::path(g_root) / "home";
  const auto config = home / ".config";
  const auto work = std::filesystem::path(g_root) / "work";
  std::filesystem::create_directories(config);
  std::filesystem::create_directories(work);
  SetEnv("HOME", home.string());
  SetEnv("XDG_CONFIG_HOME", config.string());
  std::error_code ec;
  std::filesystem::current_path(work, ec);
  if (ec) throw std::runtime_error("chdir failed");
  return g_root;
}

std::string MakeTempDir(const std::string& prefix) {
  return MakeUniqueDir(
      (std::filesystem::path(EnterTempEnvironment()) / (prefix + "-XXXXXX")).string());
}

void LeaveTempEnvironment() {
  if (g_root.empty()) return;
  std::error_code ec;
  std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
  std::filesystem::remove_all(g_root, ec);
  g_root.clear();
}

}  // namespace framora::test
