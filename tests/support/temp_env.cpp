#include "support/temp_env.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace framora::test {

namespace {
std::string g_root;
}

std::string EnterTempEnvironment() {
  if (!g_root.empty()) return g_root;
  std::string pattern = (std::filesystem::temp_directory_path() / "framora-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  g_root = pattern;
  const auto home = std::filesystem::path(g_root) / "home";
  const auto config = home / ".config";
  const auto work = std::filesystem::path(g_root) / "work";
  std::filesystem::create_directories(config);
  std::filesystem::create_directories(work);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  if (chdir(work.c_str()) != 0) throw std::runtime_error("chdir failed");
  return g_root;
}

std::string MakeTempDir(const std::string& prefix) {
  std::string pattern =
      (std::filesystem::path(EnterTempEnvironment()) / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void LeaveTempEnvironment() {
  if (g_root.empty()) return;
  std::error_code ec;
  std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
  std::filesystem::remove_all(g_root, ec);
  g_root.clear();
}

}  // namespace framora::test
