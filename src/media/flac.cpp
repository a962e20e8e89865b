#include "media/song_readers.h"

#include <algorithm>

namespace framora::media {

namespace {

using ReadAt = std::function<std::string(std::uint64_t offset, std::size_t count)>;

}  // namespace

// An encoder's name, a count, and the comments, each a length and "NAME=value".
void ReadVorbisComments(const ReadAt& read, std::uint64_t end, SongFacts& facts) {
  std::uint64_t at = 4 + LittleEndian(read(0, 4), 4);
  const std::uint64_t count = at <= end && end - at >= 4 ? LittleEndian(read(at, 4), 4) : 0;
  at += 4;
  for (std::uint64_t i = 0; i < count && i < kMaxComments && at <= end && end - at >= 4; ++i) {
    const std::uint64_t length = LittleEndian(read(at, 4), 4);
    at += 4;
    if (length > end - at) return;
    const std::string comment =
        read(at, static_cast<std::size_t>(std::min<std::uint64_t>(length, kMaxText)));
    at += length;
    const std::size_t equals = comment.find('=');
    if (equals == std::string::npos) continue;
    std::string name = comment.substr(0, equals);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    const std::string_view value = std::string_view(comment).substr(equals + 1);
    if (std::string* text = TagNamed(name, facts)) {
      if (text->empty()) *text = CutAtNul(value);
    } else if (name == "metadata_block_picture") {
      AddFlacPicture(FromBase64(value), facts);
    }
  }
}

// Metadata blocks, each a byte of "last" flag and type, a 24-bit length and contents:
// STREAMINFO (0) tells the rate and the count of samples, 4 holds the comments, 6 a picture.
void ReadFlac(ByteSource& source, std::uint64_t at, SongFacts& facts) {
  facts.container = Container::Flac;
  for (int i = 0; i < kMaxChunks; ++i) {
    const std::string h = source.Read(at, 4);
    if (h.size() < 4) return;
    const unsigned type = static_cast<unsigned char>(h[0]) & 0x7F;
    const std::uint64_t size = BigEndian(std::string_view(h).substr(1), 3);
    const std::uint64_t body = at + 4;
    if (type == 0) {
      const std::string info = source.Read(body + 10, 8);
      const std::uint64_t bits = BigEndian(info, 8);  // rate 20, channels 3, depth 5, samples 36
      const std::uint64_t rate = bits >> 44;
      const std::uint64_t samples = bits & ((1ULL << 36) - 1);
      facts.rate = static_cast<int>(rate);
      // 0: the encoder did not know the count (a stream), which only decoding tells.
      if (info.size() == 8 && rate > 0 && samples > 0) facts.samples = samples;
    } else if (type == 4) {
      ReadVorbisComments(
          [&](std::uint64_t offset, std::size_t count) {
            return offset < size
                       ? source.Read(body + offset, std::min<std::size_t>(count, size - offset))
                       : std::string();
          },
          size, facts);
    } else if (type == 6) {
      AddFlacPicture(
          source.Read(body, static_cast<std::size_t>(std::min<std::uint64_t>(size, kPictureHead))),
          facts);
    }
    if (h[0] & 0x80) return;
    at = body + size;
  }
}

}  // namespace framora::media
