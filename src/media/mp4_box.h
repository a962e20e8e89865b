// The boxes of an MP4 (ISO base media) file: each a size, a four-character type and contents,
// which are, for the container types, more boxes.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media/byte_source.h"

namespace framora::media {

struct Mp4Box {
  std::string type;
  std::uint64_t start = 0;  // its header
  std::uint64_t body = 0;   // its contents
  std::uint64_t end = 0;    // just past it
};

// Everything from the start of the file to wherever it ends.
inline constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

// The boxes one after another in [begin, end): to the end, or up to the first one that does
// not fit (a broken or cut file).
std::vector<Mp4Box> Mp4Boxes(ByteSource& source, std::uint64_t begin, std::uint64_t end);

// The first box of that type directly inside parent.
std::optional<Mp4Box> Mp4Child(ByteSource& source, const Mp4Box& parent, std::string_view type);

}  // namespace framora::media
