// The pane's text cut into rows no wider than the pane, as a console shows a line too long for
// its window: at blanks, or between two characters where a word is wider than a row. Blanks at
// the end of a row stay on it, past the edge if need be, so that no row starts with the blanks
// that ended the one before; control characters (the CR of a line break above all) take no room
// and never start a row. The front-end gives the widths from its font; the rows are worked out
// as the text arrives, measuring only what is new, and afresh for a new width or font.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <unordered_map>

#include "console/chunked_text.h"

namespace framora::console {

class PaneRows {
 public:
  // Width of one character in units of the caller's choosing (the Qt pane: 1/64 pixel).
  using Measure = std::function<std::int32_t(char32_t)>;
  static constexpr int kTabColumns = 8;  // a tab goes to the next multiple of eight blanks

  // What a new width lays out at once: the last 64 KiB or so, what a pane that follows the
  // output shows.
  static constexpr std::size_t kNear = 64 * 1024;

  // `text` must outlive the rows; between calls it may only grow at its end (then Append()),
  // lose a stretch (then Cut()), or be replaced (then Reset()). Another `near` is for tests,
  // which reach it with a few lines.
  explicit PaneRows(const ChunkedText& text, std::size_t near = kNear);

  // A new measure or width; the rows are worked out afresh. A width of 0 or less never wraps.
  void SetLayout(Measure measure, std::int64_t width);
  std::int64_t Width() const { return width_; }
  // A new width for the same measure, for a pane being resized: the rows of the last `near`
  // bytes or so are worked out at once; those before keep their old cuts until Settle() has
  // worked them out again, a slice at a time.
  void SetWidth(std::int64_t width);
  // Works out about `budget` more bytes of what SetWidth left; true once nothing is left.
  bool Settle(std::size_t budget);
  bool Settled() const { return !pending_; }

  // The text grew at its end: only the new part is measured.
  void Append();
  // The text was replaced whole.
  void Reset();
  // Bytes [keep, resume) of the text as the rows last saw it were cut out and `inserted` bytes
  // put in their place: only the row they were in and the inserted bytes are measured again.
  void Cut(std::size_t keep, std::size_t resume, std::size_t inserted);

  // How much of the text the rows cover: its size when Append() or Reset() last saw it.
  std::size_t Indexed() const { return indexed_ < text_.size() ? indexed_ : text_.size(); }
  std::size_t Count() const { return starts_.size(); }
  // Lines ended by LF so far, plus the one still open; counted when asked.
  std::size_t Lines() const;
  // Byte offsets into the text, at character boundaries.
  std::size_t Start(std::size_t row) const { return starts_[row]; }
  // Where the row's text ends: before its line break, or where the next row goes on.
  std::size_t End(std::size_t row) const;
  // The row that holds the byte at `position`; a position where a wrapped row goes on is in
  // the later row, and the end of the text in the last one.
  std::size_t RowOf(std::size_t position) const;

  // Distance from the row's start to `position` (cut to the row).
  std::int64_t X(std::size_t row, std::size_t position) const;
  // The character boundary in the row nearest to distance x from its start.
  std::size_t PositionAt(std::size_t row, std::int64_t x) const;
  // Calls f(from, to, x) for the pieces of the row's bytes [from, to) that are drawn as they
  // are, each starting at distance x: the row is cut at its tabs, which are not drawn.
  template <typename F>
  void ForEachRun(std::size_t row, std::size_t from, std::size_t to, F&& f) const;

 private:
  struct Character {
    std::size_t length = 1;  // bytes
    std::int32_t width = 0;  // or one of the kinds below
    bool complete = true;    // false: the text ends inside it
  };
  static constexpr std::int32_t kLineFeed = -1;
  static constexpr std::int32_t kBlank = -2;
  static constexpr std::int32_t kTab = -3;

  // A row being cut: it starts at rowStart and is measured up to pos; x is its width so far.
  // breakAt is where it may be cut after blanks (rowStart for nowhere), breakX the width
  // before that point, and blank says the last character was a blank.
  struct Wrap {
    std::size_t rowStart = 0;
    std::size_t pos = 0;
    std::int64_t x = 0;
    std::size_t breakAt = 0;
    std::int64_t breakX = 0;
    bool blank = false;
  };
  // A re-wrap for a new width that goes on a slice at a time: its rows so far, up to
  // wrap.pos. From `splice` on, starts_ has rows of the new width already: once the re-wrap
  // has got there (a line start, `exact`), or has cut a row where they do, it takes them over.
  struct Pending {
    std::deque<std::size_t> starts{0};
    Wrap wrap;
    std::size_t splice = 0;
    bool exact = false;
  };

  Character At(std::size_t i) const;
  std::int32_t WidthOf(char32_t c) const;
  std::int64_t Advance(const Character& c) const {
    return c.width >= 0 ? c.width : c.width == kBlank ? blankWidth_ : 0;
  }
  std::int64_t TabStop(std::int64_t x) const { return (x / tabWidth_ + 1) * tabWidth_; }
  // Where a line that starts at bytes[from] and cannot reach the edge ends (its LF), or
  // `from` when it might reach it or does not end before bytes[n].
  std::size_t SkipShortLine(const unsigned char* bytes, std::size_t from, std::size_t n,
                            std::int64_t width) const;
  // Cuts the text from w.pos up to `until` into rows, pushing each new row's start to
  // `starts`. False when it stopped short, at a character the text has not all of yet.
  bool Run(Wrap& w, std::size_t until, std::deque<std::size_t>& starts) const;

  const ChunkedText& text_;
  std::size_t near_;
  Measure measure_;
  std::int64_t width_ = 0;
  std::int64_t blankWidth_ = 0;
  std::int64_t widest_ = 0;  // of the ASCII characters
  std::int64_t tabWidth_ = 1;
  std::array<std::int32_t, 128> ascii_{};  // widths, or kLineFeed, kBlank, kTab
  mutable std::unordered_map<char32_t, std::int32_t> others_;
  // Where each row starts; a deque, so that a growing index never copies itself.
  std::deque<std::size_t> starts_{0};
  std::size_t indexed_ = 0;  // the text's size when it was last looked at
  Wrap open_;                // the last row, still open
  std::optional<Pending> pending_;
};

template <typename F>
void PaneRows::ForEachRun(std::size_t row, std::size_t from, std::size_t to, F&& f) const {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const std::size_t end = End(row);
  to = to < end ? to : end;
  std::size_t runStart = kNone;
  std::int64_t runX = 0;
  std::int64_t x = 0;
  for (std::size_t i = Start(row); i < to;) {
    const Character c = At(i);
    if (c.width == kTab) {
      if (runStart != kNone) f(runStart, i, runX);
      runStart = kNone;
      x = TabStop(x);
    } else {
      if (runStart == kNone && i >= from) {
        runStart = i;
        runX = x;
      }
      x += Advance(c);
    }
    i += c.length;
  }
  if (runStart != kNone) f(runStart, to, runX);
}

}  // namespace framora::console
