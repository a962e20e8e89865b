#include "convert/command_text.h"

#include <cstdio>
#include <string_view>

namespace framora::convert {

namespace {

bool PosixSafe(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x80) return true;  // bytes of non-ASCII letters mean nothing to sh
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("_@%+:,./-").find(c) != std::string_view::npos;
}

bool CmdSafe(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x21) return false;  // blanks and control characters split the line
  return std::string_view("&|<>^()%!\",;=").find(c) == std::string_view::npos;
}

// Words that sh reads as its own grammar when they stand first on the line.
bool PosixReservedWord(const std::string& word) {
  static constexpr std::string_view kWords[] = {
      "!",  "{",  "}",    "case",  "do",    "done", "elif", "else",     "esac",   "fi",  "for",
      "if", "in", "then", "until", "while", "[[",   "]]",   "function", "select", "time"};
  for (std::string_view w : kWords)
    if (word == w) return true;
  return false;
}

// cmd expands %NAME% everywhere, between quotes too, and no escape stops it on a command line.
// What it leaves alone is a name that is not set, and no variable's name starts with a quote:
// so each '%' stands outside the quotes, between a closing and an opening one. The program
// that gets the pieces joins them again into one argument; for it, backslashes right before a
// quote escape it unless they are doubled (cmd itself takes backslashes as they are).
std::string CmdQuote(const std::string& path) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : path) {
    if (c == '%') {
      quoted.append(backslashes, '\\');
      quoted += "\"%\"";
    } else {
      quoted += c;
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  quoted.append(backslashes, '\\');
  return quoted + "\"";
}

// The program's own name is read by a simpler rule: a name that starts with a quote ends at the
// next quote, one that does not ends at the first blank. A name without blanks can therefore
// start unquoted and still use the pieces above.
std::string CmdQuoteProgram(const std::string& path) {
  const bool blank = path.find_first_of(" \t") != std::string::npos;
  if (path.find('%') == std::string::npos || blank || !CmdSafe(path[0]) || path[0] == '%') {
    return CmdQuote(path);
  }
  return path[0] + CmdQuote(path.substr(1));
}

bool NeedsQuotes(const std::string& path, ShellKind shell) {
  bool safe = true;
  for (char c : path) safe = safe && (shell == ShellKind::Posix ? PosixSafe(c) : CmdSafe(c));
  if (shell == ShellKind::Posix && PosixReservedWord(path)) safe = false;
  return !safe;
}

bool PlainPathByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '/' || c == '.' || c == '_' || c == '-';
}

std::string BackslashEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (!PlainPathByte(c)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::string QuoteForShell(const std::string& path, ShellKind shell) {
  if (!NeedsQuotes(path, shell)) return path;
  if (shell == ShellKind::Cmd) return CmdQuote(path);
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string AsPath(const std::string& path, ShellKind shell) {
  if (!path.starts_with('-')) return path;
  return (shell == ShellKind::Cmd ? ".\\" : "./") + path;
}

std::string FfmpegCommand(const std::string& ffmpeg, const std::vector<std::string>& arguments,
                          ShellKind shell) {
  std::string command = shell == ShellKind::Cmd && NeedsQuotes(ffmpeg, shell)
                            ? CmdQuoteProgram(ffmpeg)
                            : QuoteForShell(ffmpeg, shell);
  for (const std::string& argument : arguments) {
    command += ' ';
    command += QuoteForShell(argument, shell);
  }
  return command;
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return text;
}

std::string ConcatListQuote(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string FilterOptionValue(const std::string& value) {
  // Read twice: once as the option's value, once as a filter's part of the graph.
  return BackslashEscape(BackslashEscape(value));
}

std::string MetadataEscape(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace framora::convert
