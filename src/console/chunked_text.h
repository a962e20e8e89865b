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
  // Two megabytes: one huge page, where the system has them.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 21;

  // Where the full-size blocks of a long text come from. The platform may give memory that it
  // backs with huge pages: a flood of output then costs one page fault per block instead of
  // hundreds. Each block goes back to the functions that gave it.
  struct BlockMemory {
    char* (*take)();  // kBlockSize bytes
    void (*give)(char* block);
  };
  static BlockMemory PlainMemory();

  ChunkedText() = default;
  ChunkedText(const ChunkedText&) = delete;
  ChunkedText& operator=(const ChunkedText&) = delete;
  ~ChunkedText() { Clear(); }

  // For the blocks taken from now on.
  void SetBlockMemory(BlockMemory memory) { memory_ = memory; }

  void Append(std::string_view piece);
  void Assign(std::string_view text);

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char operator[](std::size_t i) const { return blocks_[i / kBlockSize].data[i % kBlockSize]; }

  // The bytes from `from` to the end of the block that holds it; empty at or past the end.
  std::string_view SpanAt(std::size_t from) const {
    if (from >= size_) return {};
    const std::size_t offset = from % kBlockSize;
    const std::size_t filled = size_ - (from - offset);
    return {blocks_[from / kBlockSize].data + offset,
            (filled < kBlockSize ? filled : kBlockSize) - offset};
  }

  // Calls f(std::string_view) for the pieces that make up bytes [from, from + count), in
  // order; the range is cut to the end of the text.
  template <typename F>
  void ForEachSpan(std::size_t from, std::size_t count, F&& f) const {
    if (from >= size_) return;
    const std::size_t end = count < size_ - from ? from + count : size_;
    while (from < end) {
      std::string_view span = SpanAt(from);
      if (span.size() > end - from) span = span.substr(0, end - from);
      f(span);
      from += span.size();
    }
  }

  std::string Substr(std::size_t from, std::size_t count) const;
  std::string str() const { return Substr(0, size_); }

 private:
  struct Block {
    char* data;
    std::size_t capacity;
    void (*give)(char*);  // null: allocated here, while it is the short first block
  };
  void Clear();
  // Room for at least one more byte at the end.
  void Grow();

  std::vector<Block> blocks_;  // every block but the last holds kBlockSize bytes
  std::size_t size_ = 0;
  BlockMemory memory_ = PlainMemory();
};

}  // namespace framora::console
