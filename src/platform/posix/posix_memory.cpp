#include "platform/posix/posix_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace framora::posix {

console::ChunkedText::BlockMemory HugePageBlocks() {
  using console::ChunkedText;
  return {[] {
            void* block = std::aligned_alloc(ChunkedText::kBlockSize, ChunkedText::kBlockSize);
            if (block == nullptr) throw std::bad_alloc();
            ::madvise(block, ChunkedText::kBlockSize, MADV_HUGEPAGE);  // advice, may be declined
            return static_cast<char*>(block);
          },
          [](char* block) { std::free(block); }};
}

}  // namespace framora::posix

namespace framora::console {

ChunkedText::BlockMemory ChunkedText::SystemMemory() { return posix::HugePageBlocks(); }

}  // namespace framora::console
