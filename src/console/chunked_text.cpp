#include "console/chunked_text.h"

#include <algorithm>
#include <cstring>

namespace framora::console {

ChunkedText::BlockMemory ChunkedText::PlainMemory() {
  return {[] { return new char[kBlockSize]; }, [](char* block) { delete[] block; }};
}

void ChunkedText::Clear() {
  for (const Block& block : blocks_) {
    if (block.give != nullptr) {
      block.give(block.data);
    } else {
      delete[] block.data;
    }
  }
  blocks_.clear();
  size_ = 0;
}

void ChunkedText::Grow() {
  // Most panes hold a few lines: the first block starts small and doubles up to full size.
  // Full-size blocks after it come from the block memory.
  if (blocks_.size() == 1 && blocks_[0].capacity < kBlockSize) {
    Block& first = blocks_[0];
    const std::size_t capacity = std::min(kBlockSize, first.capacity * 2);
    char* data = new char[capacity];
    std::memcpy(data, first.data, size_);
    delete[] first.data;
    first = {data, capacity, nullptr};
  } else if (blocks_.empty()) {
    blocks_.push_back({new char[256], 256, nullptr});
  } else {
    blocks_.push_back({memory_.take(), kBlockSize, memory_.give});
  }
}

void ChunkedText::Append(std::string_view piece) {
  while (!piece.empty()) {
    const std::size_t used = size_ - (blocks_.empty() ? 0 : (blocks_.size() - 1) * kBlockSize);
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

std::string ChunkedText::Substr(std::size_t from, std::size_t count) const {
  std::string out;
  ForEachSpan(from, count, [&out](std::string_view span) { out.append(span); });
  return out;
}

}  // namespace framora::console
