#include "shell_words.h"

#include <algorithm>
#include <array>

namespace framora::fuzz {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// Unquoted, these make the shell do something: operators, expansions, globs, and the brace
// and history characters of bash.
bool Special(char c) {
  return std::string_view("|&;<>()$`*?[{}!\n").find(c) != std::string_view::npos;
}

bool ReservedWord(const std::string& word) {
  static const std::array<std::string_view, 21> kWords = {
      "!",  "{",  "}",    "case",  "do",    "done", "elif", "else", "esac",   "fi",      "for",
      "if", "in", "then", "until", "while", "[[",   "]]",   "time", "select", "function"};
  return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

}  // namespace

std::optional<std::vector<std::string>> ShellWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;          // some part of the current word was quoted or escaped
  bool unquotedEquals = false;  // an unquoted '=' in the current word
  auto finish = [&]() -> bool {
    if (words.empty() && !quoted && ReservedWord(word)) return false;
    if (words.empty() && unquotedEquals) return false;  // an assignment, not a command
    words.push_back(word);
    inWord = false;
    return true;
  };

  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (Blank(c)) {
      if (inWord && !finish()) return std::nullopt;
      ++i;
      continue;
    }
    if (!inWord) {
      // Only at the start of a word: a comment, or the home folder.
      if (c == '#' || c == '~') return std::nullopt;
      inWord = true;
      quoted = false;
      unquotedEquals = false;
      word.clear();
    }
    if (c == '\\') {
      if (i + 1 >= line.size()) return std::nullopt;
      if (line[i + 1] != '\n') word += line[i + 1];  // backslash-newline joins lines
      quoted = true;
      i += 2;
    } else if (c == '\'') {
      const std::size_t end = line.find('\'', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      word.append(line.substr(i + 1, end - i - 1));
      quoted = true;
      i = end + 1;
    } else if (c == '"') {
      quoted = true;
      for (++i;; ++i) {
        if (i >= line.size()) return std::nullopt;
        const char d = line[i];
        if (d == '"') break;
        if (d == '$' || d == '`') return std::nullopt;  // expanded even inside double quotes
        if (d == '\\' && i + 1 < line.size() &&
            std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos) {
          if (line[i + 1] != '\n') word += line[i + 1];
          ++i;
          continue;
        }
        word += d;
      }
      ++i;
    } else if (Special(c)) {
      return std::nullopt;
    } else {
      if (c == '=') unquotedEquals = true;
      word += c;
      ++i;
    }
  }
  if (inWord && !finish()) return std::nullopt;
  return words;
}

}  // namespace framora::fuzz
