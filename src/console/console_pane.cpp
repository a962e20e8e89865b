#include "console/console_pane.h"

#include <algorithm>
#include <cstring>

#include "app/text.h"
#include "console/pane_text.h"

namespace framora::console {

namespace {
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

ConsolePane::ConsolePane(Bound bound) : bound_(bound), text_(bound.blockSize) {}

void ConsolePane::SetBound(Bound bound) {
  bound_ = bound;
  text_.SetBlockSize(bound.blockSize);
  Replace({});
}

void ConsolePane::Append(std::string_view piece) {
  text_.Append(piece);
  length_ += Utf8Length(piece);
  Bind();
  Changed();
}

void ConsolePane::Replace(std::string text) {
  text_.Assign(text);
  length_ = Utf8Length(text);
  replaced_ = true;
  cut_ = false;
  seen_ = 0;
  head_ = headChars_ = resumeAt_ = 0;
  bytesNotShown_ = linesNotShown_ = 0;
  Bind();
  Changed();
}

void ConsolePane::Bind() {
  // The first block, then blocks of the newest text: once there is one more of those than the
  // bound keeps (besides the one being filled), the oldest go.
  const std::size_t blocks = text_.BlockCount();
  if (blocks < bound_.tailBlocks + 3) return;
  const std::size_t size = text_.size();
  const bool first = resumeAt_ == 0;
  if (first) {
    // The start that stays: up to its last line break, or cut between two characters (and
    // never between CR and LF) where it has none.
    const std::size_t limit = std::min(bound_.head, text_.BlockStart(1));
    head_ = limit;
    while (head_ > 0 && text_[head_ - 1] != '\n') --head_;
    if (head_ == 0) {
      head_ = limit;
      while (head_ > 0 && IsContinuation(text_[head_])) --head_;
      if (head_ > 0 && text_[head_ - 1] == '\r' && text_[head_] == '\n') --head_;
    }
    headChars_ = Utf8Length(text_.Substr(0, head_));
  }

  // The newest text stays from the start of a block on, from its first whole line where the
  // block has a line break; else from its first whole character.
  std::size_t from = text_.BlockStart(blocks - 1 - bound_.tailBlocks);
  const std::string_view block = text_.SpanAt(from);
  if (const void* lf = std::memchr(block.data(), '\n', block.size())) {
    from += static_cast<std::size_t>(static_cast<const char*>(lf) - block.data()) + 1;
  } else {
    while (from < size && IsContinuation(text_[from])) ++from;
  }

  // What goes: the line that said what was left out (ASCII), and output.
  const std::size_t output = first ? head_ : resumeAt_;
  std::size_t outputChars = 0;
  text_.ForEachSpan(output, from - output, [&](std::string_view span) {
    for (const char c : span) {
      outputChars += IsContinuation(c) ? 0 : 1;
      linesNotShown_ += c == '\n' ? 1 : 0;
    }
  });
  bytesNotShown_ += from - output;
  const std::size_t removedChars = (resumeAt_ - std::min(resumeAt_, head_)) + outputChars;

  std::string line;
  if (head_ > 0 && text_[head_ - 1] != '\n') line += kCrLf;
  line += NotShownLine(bytesNotShown_, linesNotShown_);
  line += kCrLf;

  // The display's view of the same cut: where what it has of the newest text resumes.
  if (seen_ > head_) {
    const std::size_t resume = cut_ ? seenResume_ + (from - resumeAt_) : from;
    seenResume_ = std::min(seen_, resume);
    cut_ = true;
  }
  const auto shift = [&](std::size_t chars) {
    if (chars <= headChars_) return chars;
    if (chars < headChars_ + removedChars) return headChars_;
    return chars - removedChars + line.size();
  };
  const std::size_t selEnd = shift(selStart_ + selLength_);
  selStart_ = shift(selStart_);
  selLength_ = selEnd - selStart_;

  text_.Cut(head_, line, from);
  length_ = length_ - removedChars + line.size();
  resumeAt_ = head_ + line.size();
}

void ConsolePane::Select(std::size_t start, std::size_t length) {
  selStart_ = std::min(start, length_);
  selLength_ = std::min(length, length_ - selStart_);
}

ConsolePane::Delta ConsolePane::TakeDelta() {
  Delta delta;
  if (replaced_) {
    delta.replaced = true;
  } else if (cut_) {
    delta.cut = true;
    delta.keep = head_;
    delta.resume = seenResume_;
    delta.inserted = resumeAt_ - head_;
    delta.from = resumeAt_ + (seen_ - seenResume_);
  } else {
    delta.from = seen_;
  }
  replaced_ = false;
  cut_ = false;
  seen_ = text_.size();
  return delta;
}

void ConsolePane::Changed() {
  // The selection may now point past the end; keep it inside until the listener moves it.
  Select(selStart_, selLength_);
  if (onChange_) onChange_();
}

}  // namespace framora::console
