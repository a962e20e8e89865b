#include "media/byte_source.h"

#include <algorithm>
#include <utility>

namespace framora::media {

std::string ByteSource::Read(std::uint64_t offset, std::size_t count) {
  const bool inBlock = offset >= blockStart_ && offset - blockStart_ + count <= block_.size();
  if (!inBlock) {
    blockStart_ = offset;
    block_ = files_.ReadBytes(path_, offset, std::max(count, kBlock));
  }
  const std::uint64_t from = offset - blockStart_;
  if (from >= block_.size()) return {};
  return block_.substr(static_cast<std::size_t>(from), count);
}

bool ByteSource::Has(std::uint64_t offset) { return !files_.ReadBytes(path_, offset, 1).empty(); }

std::uint64_t ByteSource::Size() {
  if (size_) return *size_;
  std::uint64_t there = 0;
  std::uint64_t gone = 1;
  if (!Has(0)) return *(size_ = 0);
  while (Has(gone) && gone < (1ULL << 62)) there = std::exchange(gone, gone * 2);
  while (gone - there > 1) {
    const std::uint64_t middle = there + (gone - there) / 2;
    (Has(middle) ? there : gone) = middle;
  }
  return *(size_ = there + 1);
}

std::uint64_t BigEndian(std::string_view bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count && i < bytes.size(); ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::uint64_t LittleEndian(std::string_view bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = std::min(count, bytes.size()); i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace framora::media
