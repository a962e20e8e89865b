#include "app/paths.h"

#include "app/text.h"

namespace framora {

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// <0, 0, >0 as a file manager orders the two names.
int CompareNames(std::string_view a, std::string_view b) {
  const std::string x = FoldCase(a);
  const std::string y = FoldCase(b);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < x.size() && j < y.size()) {
    if (Digit(x[i]) && Digit(y[j])) {
      // Numbers by their value: leading zeros aside, the longer is the larger.
      std::size_t i0 = i;
      std::size_t j0 = j;
      while (i0 < x.size() && x[i0] == '0') ++i0;
      while (j0 < y.size() && y[j0] == '0') ++j0;
      std::size_t i1 = i0;
      std::size_t j1 = j0;
      while (i1 < x.size() && Digit(x[i1])) ++i1;
      while (j1 < y.size() && Digit(y[j1])) ++j1;
      if (i1 - i0 != j1 - j0) return i1 - i0 < j1 - j0 ? -1 : 1;
      if (const int c = x.compare(i0, i1 - i0, y, j0, j1 - j0); c != 0) return c;
      i = i1;
      j = j1;
      continue;
    }
    if (x[i] != y[j])
      return static_cast<unsigned char>(x[i]) < static_cast<unsigned char>(y[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  return (x.size() - i) == (y.size() - j) ? 0 : (x.size() - i < y.size() - j ? -1 : 1);
}

// Where the name after the last separator starts.
std::size_t NameStart(std::string_view path, ShellKind shell) {
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1], shell)) --start;
  return start;
}

}  // namespace

bool IsSeparator(char c, ShellKind shell) {
  return c == '/' || (shell == ShellKind::Cmd && (c == '\\' || c == ':'));
}

std::string FolderOf(std::string_view path, ShellKind shell) {
  std::size_t end = NameStart(path, shell);
  // "C:\" and "/" are folders whose separator is part of them.
  if (end > 1 && path[end - 1] != ':' && !(end == 3 && path[1] == ':')) --end;
  return std::string(path.substr(0, end));
}

std::string NameOf(std::string_view path, ShellKind shell) {
  return std::string(path.substr(NameStart(path, shell)));
}

std::string StemOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

std::string JoinPath(std::string_view folder, std::string_view name, ShellKind shell) {
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back(), shell))
    path += shell == ShellKind::Cmd ? '\\' : '/';
  return path += name;
}

std::string PathKey(std::string_view path, ShellKind shell) {
  const bool windows = shell == ShellKind::Cmd;
  std::string key;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = windows && path[i] == '\\' ? '/' : path[i];
    const bool atStart = key.empty() || key.back() == '/';
    if (c == '/' && !key.empty() && key.back() == '/') continue;
    if (c == '.' && atStart && i + 1 < path.size() &&
        (path[i + 1] == '/' || (windows && path[i + 1] == '\\'))) {
      ++i;
      continue;
    }
    key += c;
  }
  return windows ? FoldCase(key) : key;
}

bool InFileNameOrder(std::string_view a, std::string_view b, ShellKind shell) {
  const int names = CompareNames(NameOf(a, shell), NameOf(b, shell));
  return names != 0 ? names < 0 : a < b;
}

}  // namespace framora
