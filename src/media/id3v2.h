// ID3v2 tags, which MP3 files (and some AAC files) carry before their sound: a 10-byte header
// whose size counts the frames and padding after it, and in version 4 perhaps a footer.
#pragma once

#include <cstdint>
#include <optional>

#include "media/byte_source.h"

namespace framora::media {

struct Id3v2Tag {
  int version = 0;  // 2, 3 or 4
  std::uint8_t flags = 0;
  std::uint64_t start = 0;  // its header
  std::uint64_t body =
      0;  // after the header: the frames (an extended header first, if flags has 0x40)
  std::uint64_t end = 0;  // just past its padding and footer
};

// The tag whose header is at offset, if one is.
std::optional<Id3v2Tag> ReadId3v2Tag(ByteSource& source, std::uint64_t offset);

// Just past the tags that follow one another from offset on; offset itself when none is there.
// A tag can be megabytes long (an embedded picture): it is stepped over by its size, unread.
std::uint64_t SkipId3v2Tags(ByteSource& source, std::uint64_t offset);

}  // namespace framora::media
