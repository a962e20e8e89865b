// Records the message boxes a window would show instead of showing them; an optional hook
// runs while the "box is up", which is where a modal box lets other events happen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeMessageBox : public MessageBoxPort {
 public:
  struct Message {
    std::string prompt;
    MessageIcon icon;
    std::string title;
  };

  void ShowMessage(const std::string& prompt, MessageIcon icon, const std::string& title) override {
    shown.push_back({prompt, icon, title});
    if (whileShown) whileShown(shown.back());
  }

  std::vector<Message> shown;
  std::function<void(const Message&)> whileShown;
};

}  // namespace framora::test
