#include "console/pane_rows.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace framora::console {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes that a character starting with `lead` should have; bytes that start no UTF-8
// character stand for one replacement character.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF8 || lead < 0xC0) return 1;
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

char32_t LeadBits(unsigned char lead, std::size_t length) {
  return length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
}

}  // namespace

PaneRows::PaneRows(const ChunkedText& text) : text_(text) { SetLayout(nullptr, 0); }

void PaneRows::SetLayout(Measure measure, std::int64_t width) {
  measure_ = std::move(measure);
  width_ = width;
  others_.clear();
  for (char32_t c = 0; c < ascii_.size(); ++c) {
    const bool control = c < 0x20 || c == 0x7F;  // CR above all: half of a line break
    ascii_[c] = control ? 0 : measure_ ? std::max<std::int32_t>(0, measure_(c)) : 1;
  }
  blankWidth_ = ascii_[' '];
  widest_ = *std::max_element(ascii_.begin(), ascii_.end());
  tabWidth_ = std::max<std::int64_t>(1, kTabColumns * blankWidth_);
  ascii_['\n'] = kLineFeed;
  ascii_[' '] = kBlank;
  ascii_['\t'] = kTab;
  Reset();
}

std::int32_t PaneRows::WidthOf(char32_t c) const {
  if (c < ascii_.size()) {
    const std::int32_t w = ascii_[c];
    return w >= 0 ? w : w == kBlank ? static_cast<std::int32_t>(blankWidth_) : 0;
  }
  const auto known = others_.find(c);
  if (known != others_.end()) return known->second;
  const std::int32_t w = measure_ ? std::max<std::int32_t>(0, measure_(c)) : 1;
  others_.emplace(c, w);
  return w;
}

PaneRows::Character PaneRows::At(std::size_t i) const {
  const std::size_t size = text_.size();
  const auto lead = static_cast<unsigned char>(text_[i]);
  Character c;
  if (lead < 0x80) {
    c.width = ascii_[lead];
  } else {
    const std::size_t want = SequenceLength(lead);
    char32_t code = LeadBits(lead, want);
    std::size_t n = 1;
    for (; n < want && i + n < size; ++n) {
      const auto next = static_cast<unsigned char>(text_[i + n]);
      if (!IsContinuation(next)) break;
      code = code << 6 | (next & 0x3Fu);
    }
    c.complete = n == want || i + n < size;
    c.width = WidthOf(n == want && want > 1 ? code : kReplacement);
    c.length = n;
  }
  // Stray continuation bytes belong to the character before them.
  while (i + c.length < size && IsContinuation(static_cast<unsigned char>(text_[i + c.length]))) {
    ++c.length;
  }
  return c;
}

std::size_t PaneRows::SkipShortLine(const unsigned char* bytes, std::size_t from, std::size_t n,
                                    std::int64_t width) const {
  // Most lines are much narrower than the pane: one that cannot reach its edge even if all its
  // characters were the widest needs no measuring. Only plain ASCII, where no byte is wider
  // than the widest character, and no tab.
  const void* found = std::memchr(bytes + from, '\n', n - from);
  if (found == nullptr) return from;
  const auto end = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes);
  if (static_cast<std::int64_t>(end - from) * widest_ > width) return from;
  constexpr std::uint64_t kTops = 0x8080808080808080u;
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  std::size_t i = from;
  for (; i + 8 <= end; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + i, 8);
    const std::uint64_t tabs = word ^ (kOnes * '\t');
    if ((word & kTops) != 0 || ((tabs - kOnes) & ~tabs & kTops) != 0) return from;
  }
  for (; i < end; ++i) {
    if (bytes[i] >= 0x80 || bytes[i] == '\t') return from;
  }
  return end;
}

void PaneRows::Reset() {
  starts_.assign(1, 0);
  lines_ = 1;
  indexed_ = 0;
  done_ = 0;
  x_ = 0;
  breakAt_ = 0;
  breakX_ = 0;
  blank_ = false;
  Append();
}

void PaneRows::Append() {
  const std::size_t size = text_.size();
  if (size < indexed_) {  // not an append after all
    Reset();
    return;
  }
  indexed_ = size;
  const std::int64_t width = width_ > 0 ? width_ : std::numeric_limits<std::int64_t>::max() / 2;

  // The open row's state in locals, so that the loop keeps it in registers.
  std::size_t rowStart = starts_.back();
  std::size_t pos = done_;
  std::int64_t x = x_;
  std::size_t breakAt = breakAt_;
  std::int64_t breakX = breakX_;
  bool blank = blank_;

  bool waiting = false;  // for the rest of a character that has not arrived yet
  while (pos < size && !waiting) {
    const std::string_view span = text_.SpanAt(pos);
    const auto* bytes = reinterpret_cast<const unsigned char*>(span.data());
    const std::size_t base = pos;
    const std::size_t n = span.size();
    std::size_t i = base == rowStart && x == 0 ? SkipShortLine(bytes, 0, n, width) : 0;
    while (i < n) {
      const unsigned char c = bytes[i];
      std::int32_t w = 0;
      std::size_t length = 1;
      if (c < 0x80) {
        w = ascii_[c];
        if (w < 0) {
          if (w == kLineFeed) {
            rowStart = base + i + 1;
            starts_.push_back(rowStart);
            ++lines_;
            x = 0;
            breakAt = rowStart;
            blank = false;
            i = SkipShortLine(bytes, i + 1, n, width);
            continue;
          } else {
            x = w == kBlank ? x + blankWidth_ : TabStop(x);
            blank = true;
          }
          ++i;
          continue;
        }
      } else if (IsContinuation(c)) {
        ++i;  // part of the character before, and no wider for it
        continue;
      } else {
        const Character character = At(base + i);
        if (!character.complete) {
          waiting = true;
          pos = base + i;
          break;
        }
        w = character.width;
        length = character.length;
      }

      // A character that shows: it goes on the row if it fits, or if nothing else is on it.
      const std::size_t at = base + i;
      if (blank) {
        breakAt = at;
        breakX = x;
        blank = false;
      }
      // What takes no room never wraps: a CR after blanks past the edge stays on their row.
      if (w > 0 && x + w > width && at > rowStart) {
        if (breakAt > rowStart) {  // the word goes to a new row
          rowStart = breakAt;
          starts_.push_back(rowStart);
          x -= breakX;
        }
        if (x + w > width && at > rowStart) {  // a word wider than a row is cut
          rowStart = at;
          starts_.push_back(rowStart);
          x = 0;
        }
        breakAt = rowStart;
      }
      x += w;
      i += length;
    }
    if (!waiting) pos = base + i;
  }

  done_ = pos;
  x_ = x;
  breakAt_ = breakAt;
  breakX_ = breakX;
  blank_ = blank;
}

std::size_t PaneRows::End(std::size_t row) const {
  const std::size_t size = std::min(indexed_, text_.size());
  const std::size_t start = std::min(starts_[row], size);
  std::size_t end = size;
  if (row + 1 < starts_.size()) {
    end = std::min(starts_[row + 1], size);
    if (end == start || text_[end - 1] != '\n') return end;  // wrapped: the next row goes on
    --end;
  }
  if (end > start && text_[end - 1] == '\r') --end;
  return end;
}

std::size_t PaneRows::RowOf(std::size_t position) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::int64_t PaneRows::X(std::size_t row, std::size_t position) const {
  std::int64_t x = 0;
  const std::size_t end = std::min(position, End(row));
  for (std::size_t i = Start(row); i < end;) {
    const Character c = At(i);
    x = c.width == kTab ? TabStop(x) : x + Advance(c);
    i += c.length;
  }
  return x;
}

std::size_t PaneRows::PositionAt(std::size_t row, std::int64_t x) const {
  const std::size_t end = End(row);
  std::int64_t left = 0;
  for (std::size_t i = Start(row); i < end;) {
    const Character c = At(i);
    const std::int64_t right = c.width == kTab ? TabStop(left) : left + Advance(c);
    if (2 * x < left + right) return i;
    left = right;
    i += c.length;
  }
  return end;
}

}  // namespace framora::console
