#include "app/program_search.h"

#include <string_view>
#include <vector>

namespace framora {

namespace {

bool IsAbsolute(std::string_view folder, char separator) {
  if (separator == '/') return folder.starts_with('/');
  const bool drive =
      folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
  return drive || folder.starts_with("\\\\");
}

std::vector<std::string> Folders(const ProgramSearch& how, std::string_view path) {
  std::vector<std::string> folders;
  if (!how.firstFolder.empty()) folders.push_back(how.firstFolder);
  // cmd.exe takes a quoted entry whole, separators in it included, and drops its quotes.
  const bool quotes = how.folderSeparator == '\\';
  std::string entry;
  bool quoted = false;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || (path[i] == how.listSeparator && !quoted)) {
      if (IsAbsolute(entry, how.folderSeparator)) folders.push_back(entry);
      entry.clear();
    } else if (quotes && path[i] == '"') {
      quoted = !quoted;
    } else {
      entry += path[i];
    }
  }
  return folders;
}

}  // namespace

ProgramSearch PosixFfmpegSearch() { return {"ffmpeg", ':', '/', ""}; }

ProgramSearch WindowsFfmpegSearch(const std::string& programFolder) {
  return {"ffmpeg.exe", ';', '\\', programFolder};
}

std::optional<std::string> FindProgram(ProgramSearchPort& system, const ProgramSearch& how) {
  for (const std::string& folder : Folders(how, system.SearchPath())) {
    const bool joined = folder.back() == how.folderSeparator || folder.back() == '/';
    const std::string candidate =
        joined ? folder + how.name : folder + how.folderSeparator + how.name;
    if (system.IsProgramFile(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace framora
