#include "console/chunked_text.h"

namespace framora::console {

void ChunkedText::Append(std::string_view piece) {
  while (!piece.empty()) {
    if (blocks_.empty() || blocks_.back().size() == kBlockSize) blocks_.emplace_back();
    std::string& last = blocks_.back();
    const std::size_t room = kBlockSize - last.size();
    const std::size_t n = piece.size() < room ? piece.size() : room;
    // Blocks after the first are filled by long outputs: give them their full size at once.
    if (blocks_.size() > 1 && last.capacity() < kBlockSize) last.reserve(kBlockSize);
    last.append(piece.data(), n);
    size_ += n;
    piece.remove_prefix(n);
  }
}

void ChunkedText::Assign(std::string_view text) {
  blocks_.clear();
  size_ = 0;
  Append(text);
}

std::string ChunkedText::Substr(std::size_t from, std::size_t count) const {
  std::string out;
  ForEachSpan(from, count, [&out](std::string_view span) { out.append(span); });
  return out;
}

}  // namespace framora::console
