#include "media/mp4_box.h"

namespace framora::media {

namespace {
constexpr std::size_t kMaxBoxes = 4096;  // more is no file worth reading on
}

std::vector<Mp4Box> Mp4Boxes(ByteSource& source, std::uint64_t begin, std::uint64_t end) {
  std::vector<Mp4Box> boxes;
  std::uint64_t at = begin;
  while (boxes.size() < kMaxBoxes && at <= end && end - at >= 8) {
    const std::string h = source.Read(at, 16);
    if (h.size() < 8) break;
    Mp4Box box{.type = h.substr(4, 4), .start = at, .body = at + 8};
    std::uint64_t size = BigEndian(h, 4);
    if (size == 1) {  // the size follows the type, in 64 bits
      if (h.size() < 16) break;
      size = BigEndian(std::string_view(h).substr(8), 8);
      box.body = at + 16;
    } else if (size == 0) {  // the last box, up to the end of its parent
      size = end - at;
    }
    if (size < box.body - at || size > end - at) break;
    box.end = at + size;
    at = box.end;
    boxes.push_back(std::move(box));
  }
  return boxes;
}

std::optional<Mp4Box> Mp4Child(ByteSource& source, const Mp4Box& parent, std::string_view type) {
  for (Mp4Box& box : Mp4Boxes(source, parent.body, parent.end))
    if (box.type == type) return std::move(box);
  return std::nullopt;
}

}  // namespace framora::media
