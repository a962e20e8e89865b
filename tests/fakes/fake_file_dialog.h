// A file dialog that answers from a queue: a path (OK, with the filter entry `filterIndex`
// selected) or nothing (Cancel). Each request is kept so a test can see what the dialog was
// asked to show.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeFileDialog : public FileDialogPort {
 public:
  std::optional<FileDialogChoice> Run(const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    if (!answer) return std::nullopt;
    return FileDialogChoice{*answer, filterIndex};
  }

  std::deque<std::optional<std::string>> answers;
  int filterIndex = 1;
  std::vector<FileDialogRequest> requests;
};

}  // namespace framora::test
