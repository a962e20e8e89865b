// A file dialog that answers from a queue: a path (OK, with the filter entry `filterIndex`
// selected), several paths separated by '\n' (OK in a dialog that takes several) or nothing
// (Cancel). Each request is kept so a test can see what the dialog was
// asked to show.
#pragma once

#include <algorithm>
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
    FileDialogChoice choice{*answer, filterIndex, {}};
    for (std::size_t from = 0; from <= answer->size();) {
      const std::size_t end = std::min(answer->find('\n', from), answer->size());
      choice.fileNames.push_back(answer->substr(from, end - from));
      from = end + 1;
    }
    choice.fileName = choice.fileNames.front();
    return choice;
  }

  std::deque<std::optional<std::string>> answers;
  int filterIndex = 1;
  std::vector<FileDialogRequest> requests;
};

}  // namespace framora::test
