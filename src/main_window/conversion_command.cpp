#include "main_window/conversion_command.h"

#include <string_view>

namespace framora {

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

}  // namespace

std::string QuoteForShell(const std::string& path, ShellKind shell) {
  bool safe = true;
  for (char c : path) safe = safe && (shell == ShellKind::Posix ? PosixSafe(c) : CmdSafe(c));
  if (shell == ShellKind::Posix && PosixReservedWord(path)) safe = false;
  if (safe) return path;
  if (shell == ShellKind::Cmd) return "\"" + path + "\"";
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string BuildConversionCommand(const std::string& ffmpeg, const std::string& image,
                                   const std::string& audio, const std::string& output,
                                   ShellKind shell) {
  return QuoteForShell(ffmpeg, shell) + " -loop 1 -y -i " + QuoteForShell(image, shell) + " -i " +
         QuoteForShell(audio, shell) + " -shortest -acodec copy -vcodec mjpeg " +
         QuoteForShell(output, shell);
}

}  // namespace framora
