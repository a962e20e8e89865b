// Text kept in blocks of a fixed size, so that appending never moves what is already there:
// no copy of the whole text each time it outgrows its buffer, no pause while that happens, and
// never two copies of a long output in memory at once. Old text goes the same way, whole blocks
// at a time (see Cut): a bounded text costs no copy of what it keeps either.
#pragma once

#include <cstddef>
#include <limits>
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
  // What suits the pane on the system the program is built for (the platform adapters define
  // it): on Linux, blocks the kernel may back with huge pages.
  static BlockMemory SystemMemory();

  // Another block size is for tests, which reach block boundaries sooner with small ones; its
  // blocks come from the heap.
  explicit ChunkedText(std::size_t blockSize = kBlockSize) : blockSize_(blockSize) {}
  ChunkedText(const ChunkedText&) = delete;
  ChunkedText& operator=(const ChunkedText&) = delete;
  ~ChunkedText() { Clear(); }

  // For the blocks taken from now on.
  void SetBlockMemory(BlockMemory memory) { memory_ = memory; }
  // Another size empties the text.
  void SetBlockSize(std::size_t blockSize) {
    Clear();
    blockSize_ = blockSize;
  }

  void Append(std::string_view piece);
  void Assign(std::string_view text);
  // Keeps bytes [0, keep), puts `insert` after them, and keeps the text from `from` on, which
  // lies past the first block; the blocks before the one that holds `from` go back whole. Only
  // the kept start and `insert` are copied (into a small first block of their own), so `keep`
  // must be small; the rest stays where it is.
  void Cut(std::size_t keep, std::string_view insert, std::size_t from);

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t BlockSize() const { return blockSize_; }
  // Where the block after the first starts, then each later one: the places a Cut may keep
  // from (and the bytes up to the end of that block).
  std::size_t BlockCount() const { return blocks_.size(); }
  std::size_t BlockStart(std::size_t block) const {
    return block == 0 ? 0 : front_ + (block - 1) * blockSize_ - (block == 1 ? 0 : skip_);
  }

  char operator[](std::size_t i) const {
    if (i < front_) return blocks_[0].data[i];
    const std::size_t at = i - front_ + skip_;
    return blocks_[1 + at / blockSize_].data[at % blockSize_];
  }

  // The bytes from `from` to the end of the block that holds it; empty at or past the end.
  std::string_view SpanAt(std::size_t from) const {
    if (from >= size_) return {};
    if (from < front_) return {blocks_[0].data + from, (size_ < front_ ? size_ : front_) - from};
    const std::size_t at = from - front_ + skip_;
    const std::size_t offset = at % blockSize_;
    const std::size_t left = size_ - from;
    return {blocks_[1 + at / blockSize_].data + offset,
            left < blockSize_ - offset ? left : blockSize_ - offset};
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
  static constexpr std::size_t kNoFront = std::numeric_limits<std::size_t>::max();
  struct Block {
    char* data;
    std::size_t capacity;
    void (*give)(char*);  // null: allocated here with new[]
  };
  void Clear();
  // Room for at least one more byte at the end.
  void Grow();

  std::size_t blockSize_;
  // The first block holds bytes [0, front_); every later one blockSize_ bytes but the last, the
  // one after the first without its first skip_ bytes (text cut out in front of them). With
  // one block only, front_ is kNoFront.
  std::vector<Block> blocks_;
  std::size_t front_ = kNoFront;
  std::size_t skip_ = 0;
  std::size_t size_ = 0;
  BlockMemory memory_ = PlainMemory();
};

}  // namespace framora::console
