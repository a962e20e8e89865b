// A file system made of what the test says: answers for FindFirstFile by exact pattern, a set
// of paths that are normal files, what else stands where, and the files' contents. Every call
// that asks about a path is recorded.
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

  PathKind KindAt(const std::string& path) override {
    if (const auto it = kinds.find(path); it != kinds.end()) return it->second;
    if (normalFiles.count(path) > 0 || contents.count(path) > 0) return PathKind::File;
    return folders.count(path) > 0 ? PathKind::Folder : PathKind::None;
  }

  bool RemoveFile(const std::string& path) override {
    removed.push_back(path);
    if (KindAt(path) == PathKind::None || KindAt(path) == PathKind::Folder) return false;
    normalFiles.erase(path);
    kinds.erase(path);
    contents.erase(path);
    std::erase_if(matches, [&](const auto& match) { return match.second == path; });
    return true;
  }

  std::string ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) override {
    const auto it = contents.find(path);
    if (it == contents.end() || offset >= it->second.size()) return {};
    return it->second.substr(static_cast<std::size_t>(offset), count);
  }

  std::vector<std::string> ListFolder(const std::string& folder) override {
    const auto it = entries.find(folder);
    return it == entries.end() ? std::vector<std::string>{} : it->second;
  }

  std::string FullPath(const std::string& path) override {
    return path.starts_with('/') || path.find(':') == 1 ? path : "/cwd/" + path;
  }
  std::string TempFolder() override { return "/tmp"; }
  bool MakeFolder(const std::string& path) override {
    ++tempFolders;
    return folders.insert(path).second;
  }
  bool WriteFile(const std::string& path, std::string_view content) override {
    contents[path] = std::string(content);
    return true;
  }
  bool RemoveFolder(const std::string& path) override {
    removedFolders.push_back(path);
    return folders.erase(path) > 0;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    renamed.emplace_back(from, to);
    if (KindAt(from) != PathKind::File) return false;
    const bool normal = normalFiles.erase(from) > 0;
    const auto content = contents.find(from);
    contents.erase(to);
    normalFiles.erase(to);
    if (content != contents.end()) {
      contents[to] = content->second;
      contents.erase(content);
    }
    if (normal) normalFiles.insert(to);
    kinds.erase(from);
    return true;
  }
  // Two names of one file: `sameFile` maps a name to the one it stands for.
  std::optional<FileIdentity> IdentityOf(const std::string& path) override {
    const auto same = sameFile.find(path);
    const std::string& name = same != sameFile.end() ? same->second : path;
    if (KindAt(name) == PathKind::None) return std::nullopt;
    return FileIdentity{1, std::hash<std::string>{}(name)};
  }

  int tempFolders = 0;
  std::vector<std::pair<std::string, std::string>> renamed;
  std::map<std::string, std::string> sameFile;
  std::vector<std::string> removedFolders;
  std::set<std::string> folders;
  std::map<std::string, PathKind> kinds;                    // besides normal files and folders
  std::map<std::string, std::string> contents;              // files with content (normal files too)
  std::map<std::string, std::vector<std::string>> entries;  // ListFolder's answers
  std::vector<std::string> removed;
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
