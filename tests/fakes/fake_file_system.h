// A file system made of what the test says: answers for FindFirstFile by exact pattern, and a
// set of paths that are normal files. Every call is recorded.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeFileSystem : public FileSystemPort {
 public:
  void AddMatch(const std::string& pattern, const std::string& found) { matches[pattern] = found; }
  void AddNormalFile(const std::string& path) { normalFiles.insert(path); }

  std::optional<std::string> FindFirstFile(const std::string& pattern) override {
    findCalls.push_back(pattern);
    auto it = matches.find(pattern);
    if (it == matches.end()) return std::nullopt;
    return it->second;
  }

  bool IsNormalFile(const std::string& path) override {
    normalFileCalls.push_back(path);
    return normalFiles.count(path) > 0;
  }

  bool IsFolder(const std::string& path) override { return folders.count(path) > 0; }

  std::set<std::string> folders;
  std::map<std::string, std::string> matches;
  std::set<std::string> normalFiles;
  std::vector<std::string> findCalls;
  std::vector<std::string> normalFileCalls;
};

// A PATH and the program files that exist.
class FakeProgramSearch : public ProgramSearchPort {
 public:
  std::string SearchPath() override { return path; }
  bool IsProgramFile(const std::string& file) override {
    looked.push_back(file);
    return programs.count(file) > 0;
  }

  std::string path;
  std::set<std::string> programs;
  std::vector<std::string> looked;
};

}  // namespace framora::test
