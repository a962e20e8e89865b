// The console's output pane as data: one string with CR LF line breaks, the selection and the
// colour of the text. Every update either appends to the end or replaces the whole string.
// The display only shows it; its model (PaneModel) asks for what changed since it last
// looked, so a flood of small appends costs one repaint per frame instead of one per piece.
//
// The pane keeps a bounded amount of text, so that a command that writes for ever costs the
// same memory after an hour as after a minute. It keeps the start of the output (the banner,
// the command and FFmpeg's header all lie in its first 64 KiB) and the newest 128 KiB or more;
// in between, one line says how much is not shown. Old text goes whole blocks of the text at
// a time: nothing that is kept is copied but that start.
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
  struct Bound {
    // Bytes of the start of the text that are kept, up to the last line break in them.
    std::size_t head = 64 * 1024;
    // Whole blocks of the newest text kept besides the one being filled: 128 to 192 KiB, some
    // two thousand lines, more than a console window keeps. Not more: the Windows pane is a
    // RichEdit, and Wine's takes some 120 bytes of memory for each character it holds and
    // time for each character cut out times each one after the cut (cutting 1 MB out of 2 MB
    // took it over a minute).
    std::size_t tailBlocks = 2;
    std::size_t blockSize = 64 * 1024;
  };

  ConsolePane() : ConsolePane(Bound{}) {}
  explicit ConsolePane(Bound bound);
  // Another bound, for tests that reach it with a few lines; the text is emptied.
  void SetBound(Bound bound);

  // The whole text, copied out; the display reads Chars() piece by piece instead.
  std::string Text() const { return text_.str(); }
  const ChunkedText& Chars() const { return text_; }
  // Where the blocks of a long text come from (see ChunkedText).
  void SetBlockMemory(ChunkedText::BlockMemory memory) { text_.SetBlockMemory(memory); }
  // Length in characters; kept up to date piece by piece, never recounted.
  std::size_t Length() const { return length_; }
  bool Empty() const { return text_.empty(); }

  // Both raise the change notification afterwards. An append that takes the text past its
  // bound cuts the oldest text out (see Bound) before that.
  void Append(std::string_view piece);
  void Replace(std::string text);

  // What the pane has left out so far: bytes and lines of output no longer in it.
  std::uint64_t BytesNotShown() const { return bytesNotShown_; }
  std::uint64_t LinesNotShown() const { return linesNotShown_; }

  // Called after every change of the text, whoever made it.
  void SetChangeListener(std::function<void()> listener) { onChange_ = std::move(listener); }

  // Selection in characters; a position or a length beyond the end means the end.
  void Select(std::size_t start, std::size_t length);
  std::size_t SelStart() const { return selStart_; }
  std::size_t SelLength() const { return selLength_; }
  void SetSelColor(std::uint32_t color) { selColor_ = color; }
  std::uint32_t SelColor() const { return selColor_; }

  // What the display has not seen yet, in bytes: either the whole text was replaced, or bytes
  // [keep, resume) of what the display has were cut out and `inserted` bytes stand in their
  // place (the line that says what is not shown), what it has from `resume` on now lying
  // `inserted` bytes after `keep`; and the bytes from `from` on are new at the end. Taking it
  // marks everything as seen.
  struct Delta {
    bool replaced = false;
    bool cut = false;
    std::size_t keep = 0;
    std::size_t resume = 0;
    std::size_t inserted = 0;
    std::size_t from = 0;
  };
  bool HasUnseenChange() const { return replaced_ || cut_ || seen_ != text_.size(); }
  Delta TakeDelta();

 private:
  void Changed();
  // Cuts the oldest blocks out once the text has grown past its bound.
  void Bind();

  Bound bound_;
  ChunkedText text_;
  std::size_t length_ = 0;
  std::size_t selStart_ = 0;
  std::size_t selLength_ = 0;
  std::uint32_t selColor_ = 0;
  // Bytes and characters of the start that is kept, once the text was first cut; then how far
  // the line after it reaches (where the newest text resumes).
  std::size_t head_ = 0;
  std::size_t headChars_ = 0;
  std::size_t resumeAt_ = 0;
  std::uint64_t bytesNotShown_ = 0;
  std::uint64_t linesNotShown_ = 0;
  // The display's view: it has seen `seen_` bytes, and of those [head_, seenResume_) were cut
  // out when cut_ is set.
  std::size_t seen_ = 0;
  bool replaced_ = false;
  bool cut_ = false;
  std::size_t seenResume_ = 0;
  std::function<void()> onChange_;
};

}  // namespace framora::console
