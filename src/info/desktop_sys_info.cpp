#include "info/desktop_sys_info.h"

#include <algorithm>
#include <cctype>

#include "app/program_search.h"

namespace framora {

namespace {

struct DesktopTool {
  std::string_view name;
  std::string_view desktop;  // as XDG_CURRENT_DESKTOP names it; empty: belongs to none
};

// Their usual order when the current desktop has none of them.
constexpr DesktopTool kTools[] = {
    {"kinfocenter", "KDE"},
    {kGnomeSettings, "GNOME"},
    {"xfce4-about", "XFCE"},
    {"hardinfo", ""},
};

// The About page under the names it has had, newest first; then the System page, which holds
// it in versions that list no About page of its own.
constexpr std::string_view kGnomeAboutPanels[] = {"about", "info-overview", "info", "system"};

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::vector<std::string_view> SysInfoToolOrder(std::string_view currentDesktop) {
  std::vector<std::string_view> order;
  const auto add = [&order](std::string_view name) {
    if (std::ranges::find(order, name) == order.end()) order.push_back(name);
  };
  while (!currentDesktop.empty()) {
    const std::size_t colon = currentDesktop.find(':');
    const std::string_view desktop = currentDesktop.substr(0, colon);
    for (const DesktopTool& tool : kTools) {
      if (!tool.desktop.empty() && SameName(tool.desktop, desktop)) add(tool.name);
    }
    currentDesktop.remove_prefix(colon == std::string_view::npos ? currentDesktop.size()
                                                                 : colon + 1);
  }
  for (const DesktopTool& tool : kTools) add(tool.name);
  return order;
}

std::optional<std::string> GnomeAboutPanel(std::string_view panelList) {
  // One panel a line, indented, sometimes followed by its description; a heading line first.
  std::vector<std::string_view> listed;
  while (!panelList.empty()) {
    const std::size_t end = std::min(panelList.find('\n'), panelList.size());
    std::string_view line = panelList.substr(0, end);
    panelList.remove_prefix(std::min(end + 1, panelList.size()));
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    listed.push_back(line.substr(0, std::ranges::find_if(line, IsBlank) - line.begin()));
  }
  for (std::string_view panel : kGnomeAboutPanels) {
    if (std::ranges::find(listed, panel) != listed.end()) return std::string(panel);
  }
  return std::nullopt;
}

std::string JoinCommand(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    const bool plain = !word.empty() && std::ranges::none_of(word, [](char c) {
      return IsBlank(c) || c == '"' || c == '\\';
    });
    if (plain) {
      text += word;
      continue;
    }
    text += '"';
    for (char c : word) {
      if (c == '"' || c == '\\') text += '\\';
      text += c;
    }
    text += '"';
  }
  return text;
}

std::vector<std::string> SplitCommand(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;  // a pair of quotes alone is a word too: the empty one
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      word += text[++i];
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (IsBlank(c) && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::optional<std::string> FindDesktopSysInfo(ProgramSearchPort& programs,
                                              DesktopSessionPort& session) {
  for (std::string_view name : SysInfoToolOrder(session.CurrentDesktop())) {
    const std::optional<std::string> path =
        FindProgram(programs, ProgramSearch{std::string(name), ':', '/', ""});
    if (!path) continue;
    std::vector<std::string> command{*path};
    if (name == kGnomeSettings) {
      // Settings opened anywhere but at the About page is no system-information tool: when it
      // cannot tell us its panels, or has none we know, the next tool is tried.
      const std::optional<std::string> panels = session.ProgramOutput({*path, "--list"});
      std::optional<std::string> panel = panels ? GnomeAboutPanel(*panels) : std::nullopt;
      if (!panel) continue;
      command.push_back(std::move(*panel));
    }
    return JoinCommand(command);
  }
  return std::nullopt;
}

}  // namespace framora
