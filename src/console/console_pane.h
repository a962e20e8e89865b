// The console's output pane as data: one string with CR LF line breaks, the selection and the
// colour of the text. Every update either appends to the end or replaces the whole string.
// The front-end only displays it; it asks for what changed since it last looked, so a flood of
// small appends costs one repaint per frame instead of one per piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "console/chunked_text.h"

namespace framora::console {

class ConsolePane {
 public:
  // The whole text, copied out; the display reads Chars() piece by piece instead.
  std::string Text() const { return text_.str(); }
  const ChunkedText& Chars() const { return text_; }
  // Where the blocks of a long text come from (see ChunkedText).
  void SetBlockMemory(ChunkedText::BlockMemory memory) { text_.SetBlockMemory(memory); }
  // Length in characters; kept up to date piece by piece, never recounted.
  std::size_t Length() const { return length_; }
  bool Empty() const { return text_.empty(); }

  // Both raise the change notification afterwards.
  void Append(std::string_view piece);
  void Replace(std::string text);

  // Called after every change of the text, whoever made it.
  void SetChangeListener(std::function<void()> listener) { onChange_ = std::move(listener); }

  // Selection in characters; a position or a length beyond the end means the end.
  void Select(std::size_t start, std::size_t length);
  std::size_t SelStart() const { return selStart_; }
  std::size_t SelLength() const { return selLength_; }
  void SetSelColor(std::uint32_t color) { selColor_ = color; }
  std::uint32_t SelColor() const { return selColor_; }

  // What the display has not seen yet: either the whole text was replaced, or the bytes from
  // `from` on were appended. Taking it marks everything as seen.
  struct Delta {
    bool replaced = false;
    std::size_t from = 0;
  };
  bool HasUnseenChange() const { return replaced_ || seen_ != text_.size(); }
  bool HasPendingReplace() const { return replaced_; }
  Delta TakeDelta();

 private:
  void Changed();

  ChunkedText text_;
  std::size_t length_ = 0;
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
  std::uint32_t selColor_ = 0;
  std::size_t seen_ = 0;
  bool replaced_ = false;
  std::function<void()> onChange_;
};

}  // namespace framora::console
