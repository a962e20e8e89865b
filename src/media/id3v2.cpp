#include "media/id3v2.h"

namespace framora::media {

namespace {
constexpr std::uint8_t kFooter = 0x10;  // version 4: a copy of the header follows the tag
constexpr int kMaxTags = 16;            // a file of nothing but tags is no sound anyway
}  // namespace

std::optional<Id3v2Tag> ReadId3v2Tag(ByteSource& source, std::uint64_t offset) {
  const std::string h = source.Read(offset, 10);
  if (h.size() < 10 || h.compare(0, 3, "ID3") != 0) return std::nullopt;
  const auto byte = [&h](std::size_t i) { return static_cast<std::uint8_t>(h[i]); };
  if (byte(3) < 2 || byte(3) > 4 || byte(4) == 0xFF) return std::nullopt;
  // The size is "synchsafe": 7 bits in each of 4 bytes, so no byte looks like a frame sync.
  std::uint64_t size = 0;
  for (std::size_t i = 6; i < 10; ++i) {
    if (byte(i) & 0x80) return std::nullopt;
    size = size << 7 | byte(i);
  }
  Id3v2Tag tag{.version = byte(3), .flags = byte(5), .start = offset, .body = offset + 10};
  tag.end = tag.body + size + (tag.version == 4 && (tag.flags & kFooter) ? 10 : 0);
  return tag;
}

std::uint64_t SkipId3v2Tags(ByteSource& source, std::uint64_t offset) {
  for (int i = 0; i < kMaxTags; ++i) {
    const std::optional<Id3v2Tag> tag = ReadId3v2Tag(source, offset);
    if (!tag) break;
    offset = tag->end;
  }
  return offset;
}

}  // namespace framora::media
