#include "media/song_readers.h"

#include <array>

namespace framora::media {

// Frames of 20 ms, each a byte whose bits 3 to 6 give the mode, and the mode's bits.
void ReadAmr(ByteSource& source, bool wide, SongFacts& facts) {
  static constexpr std::array<std::uint8_t, 16> kNarrow = {13, 14, 16, 18, 20, 21, 27, 32,
                                                           6,  1,  1,  1,  1,  1,  1,  1};
  static constexpr std::array<std::uint8_t, 16> kWide = {18, 24, 33, 37, 41, 47, 51, 59,
                                                         61, 6,  1,  1,  1,  1,  1,  1};
  std::uint64_t frames = 0;
  for (std::uint64_t at = wide ? 9 : 6;; ++frames) {
    const std::string mode = source.Read(at, 1);
    if (mode.empty()) break;
    const std::uint64_t size =
        (wide ? kWide : kNarrow)[static_cast<unsigned char>(mode[0]) >> 3 & 15];
    if (source.Read(at + size - 1, 1).empty()) break;  // cut short
    at += size;
  }
  facts.container = Container::Amr;
  facts.rate = wide ? 16000 : 8000;
  if (frames > 0) facts.samples = frames * (wide ? 320 : 160);
}

}  // namespace framora::media
