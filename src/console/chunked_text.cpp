#include "console/chunked_text.h"

#include <algorithm>
#include <cstring>

namespace framora::console {

ChunkedText::BlockMemory ChunkedText::PlainMemory() {
  return {[] { return new char[kBlockSize]; }, [](char* block) { delete[] block; }};
}

namespace {
void GiveBack(char* data, void (*give)(char*)) {
  if (give != nullptr) {
    give(data);
  } else {
    delete[] data;
  }
}
}  // namespace

void ChunkedText::Clear() {
  for (const Block& block : blocks_) GiveBack(block.data, block.give);
  blocks_.clear();
  front_ = kNoFront;
  skip_ = 0;
  size_ = 0;
}

void ChunkedText::Grow() {
  // Most panes hold a few lines: the first block starts small and doubles up to full size.
  // Full-size blocks after it come from the block memory.
  if (blocks_.size() == 1 && blocks_[0].capacity < blockSize_) {
    Block& first = blocks_[0];
    const std::size_t capacity =
        std::min(blockSize_, std::max<std::size_t>(256, first.capacity * 2));
    char* data = new char[capacity];
    std::memcpy(data, first.data, size_);
    GiveBack(first.data, first.give);
    first = {data, capacity, nullptr};
  } else if (blocks_.empty()) {
    blocks_.push_back({new char[std::min<std::size_t>(256, blockSize_)],
                       std::min<std::size_t>(256, blockSize_), nullptr});
  } else {
    if (blocks_.size() == 1) front_ = size_;
    if (blockSize_ == kBlockSize) {
      blocks_.push_back({memory_.take(), kBlockSize, memory_.give});
    } else {
      blocks_.push_back({new char[blockSize_], blockSize_, nullptr});
    }
  }
}

void ChunkedText::Append(std::string_view piece) {
  while (!piece.empty()) {
    const std::size_t used =
        blocks_.size() <= 1 ? size_ : (size_ - front_ + skip_) - (blocks_.size() - 2) * blockSize_;
    if (blocks_.empty() || used == blocks_.back().capacity) {
      Grow();
      continue;
    }
    Block& last = blocks_.back();
    const std::size_t n = std::min(piece.size(), last.capacity - used);
    std::memcpy(last.data + used, piece.data(), n);
    size_ += n;
    piece.remove_prefix(n);
  }
}

void ChunkedText::Assign(std::string_view text) {
  Clear();
  Append(text);
}

void ChunkedText::Cut(std::size_t keep, std::string_view insert, std::size_t from) {
  if (blocks_.size() < 2 || from < front_ || keep > front_) return;  // not a cut of this text
  std::string start = Substr(0, keep);
  start += insert;
  // The block that holds `from` stays, less what lies before `from`; the ones before it go.
  std::size_t first = blocks_.size();
  std::size_t skip = 0;
  if (from < size_) {
    const std::size_t at = from - front_ + skip_;
    first = 1 + at / blockSize_;
    skip = at % blockSize_;
  }
  for (std::size_t b = 0; b < first; ++b) GiveBack(blocks_[b].data, blocks_[b].give);
  Block head{new char[std::max<std::size_t>(1, start.size())],
             std::max<std::size_t>(1, start.size()), nullptr};
  std::memcpy(head.data, start.data(), start.size());
  blocks_.erase(blocks_.begin() + 1, blocks_.begin() + static_cast<std::ptrdiff_t>(first));
  blocks_[0] = head;
  size_ = start.size() + (size_ - std::min(from, size_));
  if (blocks_.size() == 1) {
    // Nothing was kept after the start: it is the one block there is, and grows as usual.
    front_ = kNoFront;
    skip_ = 0;
    blocks_[0].capacity = start.size();
  } else {
    front_ = start.size();
    skip_ = skip;
  }
}

std::string ChunkedText::Substr(std::size_t from, std::size_t count) const {
  std::string out;
  ForEachSpan(from, count, [&out](std::string_view span) { out.append(span); });
  return out;
}

}  // namespace framora::console
