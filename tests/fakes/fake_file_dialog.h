// A file dialog that answers from a queue: a path (OK) or nothing (Cancel). Each request is
// kept so a test can see what the dialog was asked to show.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeFileDialog : public FileDialogPort {
 public:
  std::optional<std::string> Run(const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
};

}  // namespace framora::test
