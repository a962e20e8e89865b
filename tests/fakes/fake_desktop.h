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

  std::vector<std::string> openedUrls;
  std::vector<Start> started;
  // What StartProgram answers.
  bool startResult = true;
};

}  // namespace framora::test
