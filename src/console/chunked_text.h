// Text kept in blocks of a fixed size, so that appending never moves what is already there:
// no copy of the whole text each time it outgrows its buffer, no pause while that happens, and
// never two copies of a long output in memory at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace framora::console {

class ChunkedText {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  void Append(std::string_view piece);
  void Assign(std::string_view text);

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char operator[](std::size_t i) const { return blocks_[i / kBlockSize][i % kBlockSize]; }

  // Calls f(std::string_view) for the pieces that make up bytes [from, from + count), in
  // order; the range is cut to the end of the text.
  template <typename F>
  void ForEachSpan(std::size_t from, std::size_t count, F&& f) const {
    if (from >= size_) return;
    std::size_t left = count < size_ - from ? count : size_ - from;
    while (left > 0) {
      const std::string& block = blocks_[from / kBlockSize];
      const std::size_t offset = from % kBlockSize;
      const std::size_t n = left < block.size() - offset ? left : block.size() - offset;
      f(std::string_view(block).substr(offset, n));
      from += n;
      left -= n;
    }
  }

  // The bytes from `from` to the end of the block that holds it; empty at or past the end.
  std::string_view SpanAt(std::size_t from) const {
    if (from >= size_) return {};
    return std::string_view(blocks_[from / kBlockSize]).substr(from % kBlockSize);
  }

  std::string Substr(std::size_t from, std::size_t count) const;
  std::string str() const { return Substr(0, size_); }

 private:
  std::vector<std::string> blocks_;  // every block but the last holds kBlockSize bytes
  std::size_t size_ = 0;
};

}  // namespace framora::console
