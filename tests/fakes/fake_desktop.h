// Records the addresses opened and the programs started instead of doing either; never opens
// a browser.
#pragma once

#include <string>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeDesktop : public DesktopPort {
 public:
  struct Start {
    std::string path;
    int showState;
  };

  void OpenUrl(const std::string& url) override { openedUrls.push_back(url); }

  bool StartProgram(const std::string& path, int showState) override {
    started.push_back({path, showState});
    return startResult;
  }

  bool ShowFolder(const std::string& folder, const std::string& selected) override {
    shownFolders.push_back({folder, selected});
    return showFolderResult;
  }

  std::vector<std::string> openedUrls;
  std::vector<Start> started;
  std::vector<std::pair<std::string, std::string>> shownFolders;  // folder, selected
  bool showFolderResult = true;
  // What StartProgram answers.
  bool startResult = true;
};

}  // namespace framora::test
