#include "media/byte_source.h"

#include <algorithm>

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

std::uint64_t BigEndian(std::string_view bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count && i < bytes.size(); ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace framora::media
