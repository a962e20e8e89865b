#include "console/console_pane.h"

#include <algorithm>

#include "app/text.h"

namespace framora::console {

void ConsolePane::Append(std::string_view piece) {
  text_.Append(piece);
  length_ += Utf8Length(piece);
  Changed();
}

void ConsolePane::Replace(std::string text) {
  text_.Assign(text);
  length_ = Utf8Length(text);
  replaced_ = true;
  seen_ = 0;
  Changed();
}

void ConsolePane::Select(std::size_t start, std::size_t length) {
  selStart_ = std::min(start, length_);
  selLength_ = std::min(length, length_ - selStart_);
}

ConsolePane::Delta ConsolePane::TakeDelta() {
  Delta delta{replaced_, replaced_ ? 0 : seen_};
  replaced_ = false;
  seen_ = text_.size();
  return delta;
}

void ConsolePane::Changed() {
  // The selection may now point past the end; keep it inside until the listener moves it.
  Select(selStart_, selLength_);
  if (onChange_) onChange_();
}

}  // namespace framora::console
