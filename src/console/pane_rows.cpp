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

PaneRows::PaneRows(const ChunkedText& text, std::size_t near)
    : text_(text), near_(std::max<std::size_t>(1, near)) {
  SetLayout(nullptr, 0);
}

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
  pending_.reset();
  starts_.assign(1, 0);
  indexed_ = 0;
  open_ = Wrap{};
  Append();
}

void PaneRows::Append() {
  const std::size_t size = text_.size();
  if (size < indexed_) {  // not an append after all
    Reset();
    return;
  }
  indexed_ = size;
  Run(open_, size, starts_);
}

bool PaneRows::Run(Wrap& w, std::size_t until, std::deque<std::size_t>& starts) const {
  until = std::min(until, text_.size());
  const std::int64_t width = width_ > 0 ? width_ : std::numeric_limits<std::int64_t>::max() / 2;

  // The row's state in locals, so that the loop keeps it in registers.
  std::size_t rowStart = w.rowStart;
  std::size_t pos = w.pos;
  std::int64_t x = w.x;
  std::size_t breakAt = w.breakAt;
  std::int64_t breakX = w.breakX;
  bool blank = w.blank;

  bool waiting = false;  // for the rest of a character that has not arrived yet
  while (pos < until && !waiting) {
    std::string_view span = text_.SpanAt(pos);
    if (span.size() > until - pos) span = span.substr(0, until - pos);
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
            starts.push_back(rowStart);
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
          starts.push_back(rowStart);
          x -= breakX;
        }
        if (x + w > width && at > rowStart) {  // a word wider than a row is cut
          rowStart = at;
          starts.push_back(rowStart);
          x = 0;
        }
        breakAt = rowStart;
      }
      x += w;
      i += length;
    }
    if (!waiting) pos = base + i;
  }

  w = Wrap{rowStart, pos, x, breakAt, breakX, blank};
  return !waiting;
}

void PaneRows::SetWidth(std::int64_t width) {
  width_ = width;
  // Near the end a line start, so that the rows from it on are the final ones at once; or,
  // within a line too long for that, a character start, where the rows soon fall in step.
  const std::size_t size = Indexed();
  if (size <= 2 * near_) {
    Reset();
    return;
  }
  std::size_t splice = size - near_;
  while (splice > size - 2 * near_ && text_[splice - 1] != '\n') --splice;
  const bool exact = text_[splice - 1] == '\n';
  if (!exact) {
    splice = size - near_;
    while (splice < size && IsContinuation(static_cast<unsigned char>(text_[splice]))) ++splice;
  }
  starts_.erase(std::lower_bound(starts_.begin(), starts_.end(), splice), starts_.end());
  starts_.push_back(splice);
  open_ = Wrap{splice, splice, 0, splice, 0, false};
  Run(open_, indexed_, starts_);
  pending_.emplace(Pending{{0}, Wrap{}, splice, exact});
}

bool PaneRows::Settle(std::size_t budget) {
  if (!pending_) return true;
  Pending& p = *pending_;
  const std::size_t size = Indexed();
  std::size_t until = std::min(size, p.wrap.pos + budget);
  if (p.exact) until = std::min(until, p.splice);
  const std::size_t before = p.starts.size();
  const bool whole = Run(p.wrap, until, p.starts);

  // Where the rows before meet those already worked out: from there on they are the same.
  auto meet = starts_.end();
  std::size_t mine = p.starts.size();
  if (p.exact && p.wrap.pos >= p.splice) {
    meet = std::lower_bound(starts_.begin(), starts_.end(), p.splice);
    mine = static_cast<std::size_t>(std::lower_bound(p.starts.begin(), p.starts.end(), p.splice) -
                                    p.starts.begin());
  } else if (!p.exact) {
    for (std::size_t i = before; i < p.starts.size() && meet == starts_.end(); ++i) {
      if (p.starts[i] < p.splice) continue;
      const auto same = std::lower_bound(starts_.begin(), starts_.end(), p.starts[i]);
      if (same != starts_.end() && *same == p.starts[i]) {
        meet = same;
        mine = i;
      }
    }
  }
  if (meet != starts_.end()) {
    p.starts.resize(mine);
    p.starts.insert(p.starts.end(), meet, starts_.end());
    starts_.swap(p.starts);
    pending_.reset();
    return true;
  }
  if (p.wrap.pos >= size || !whole) {  // all of the text, worked out again
    starts_.swap(p.starts);
    open_ = p.wrap;
    pending_.reset();
    return true;
  }
  return false;
}

void PaneRows::Cut(std::size_t keep, std::size_t resume, std::size_t inserted) {
  const std::size_t end = keep + inserted;
  const auto shifted = [&](std::size_t at) { return at - resume + end; };
  if (pending_) {
    Pending& p = *pending_;
    if (p.wrap.pos > keep) {
      p.starts.assign(1, 0);
      p.wrap = Wrap{};
    }
    if (p.splice >= resume) {
      p.splice = shifted(p.splice);
    } else if (p.splice > keep) {
      p.splice = end;  // just after the inserted line, a line start
      p.exact = true;
    }
  }

  // Rows are cut the same from the same start, and where a row starts was decided at most at
  // the start of the row after it: so the rows up to the one before the row that holds the
  // last byte kept stay; from there on they are cut again, through the inserted bytes and on
  // until a row starts where one started before (at once where `resume` started a line;
  // within a long line, where the rows fall in step again). From there the rows stay as they
  // were, moved. The rows before are few (the start the pane keeps), so the deque moves those
  // when the rows between go and the new ones come.
  auto holder = std::lower_bound(starts_.begin(), starts_.end(), keep);
  holder -= std::min<std::ptrdiff_t>(2, holder - starts_.begin());
  const std::size_t from = *holder;
  const auto after = std::lower_bound(holder + 1, starts_.end(), resume);
  for (auto it = after; it != starts_.end(); ++it) *it = shifted(*it);
  const std::size_t index = static_cast<std::size_t>(holder - starts_.begin());
  starts_.erase(holder + 1, after);
  indexed_ = shifted(indexed_);
  const std::size_t limit = std::min(indexed_, text_.size());

  constexpr std::size_t kStep = 4096;
  std::deque<std::size_t> cut;
  Wrap w{from, from, 0, from, 0, false};
  auto old = starts_.begin() + static_cast<std::ptrdiff_t>(index + 1);
  std::size_t compared = 0;
  bool met = false;
  for (std::size_t until = end; !met;) {
    const bool whole = Run(w, until, cut);
    for (; compared < cut.size() && !met; ++compared) {
      while (old != starts_.end() && *old < cut[compared]) ++old;
      met = old != starts_.end() && *old == cut[compared];
    }
    if (!whole || w.pos >= limit) break;
    until = std::min(limit, std::max(until, w.pos) + kStep);
  }
  if (met) cut.resize(compared - 1);  // the rest are the rows that were there, from `old` on
  const auto first = starts_.begin() + static_cast<std::ptrdiff_t>(index + 1);
  const auto kept = starts_.erase(first, met ? old : starts_.end());
  starts_.insert(kept, cut.begin(), cut.end());
  if (met) {
    open_.rowStart = shifted(open_.rowStart);
    open_.pos = shifted(open_.pos);
    open_.breakAt = shifted(open_.breakAt);
  } else {
    open_ = w;  // the last row, cut again to the end
  }
}

std::size_t PaneRows::Lines() const {
  std::size_t lines = 1;
  for (std::size_t row = 1; row < starts_.size(); ++row) {
    if (text_[starts_[row] - 1] == '\n') ++lines;
  }
  return lines;
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
