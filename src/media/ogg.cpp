#include "media/song_readers.h"

#include <array>

namespace framora::media {

namespace {

struct OggPage {
  std::uint64_t granule = 0;
  std::uint32_t serial = 0;
  std::string lacing;  // the length of each segment of the body
  std::uint64_t body = 0;
  std::uint64_t end = 0;
};

// A page: "OggS", version 0, flags, granule position, serial, sequence, checksum, segment
// count and lengths, body. `header` is at least its first 27 bytes, at offset.
std::optional<OggPage> ParseOggPage(std::string_view header, std::string lacing, std::uint64_t at) {
  if (header.size() < 27 || !header.starts_with("OggS") || header[4] != 0) return std::nullopt;
  if (lacing.size() < static_cast<unsigned char>(header[26])) return std::nullopt;
  OggPage page{.granule = LittleEndian(header.substr(6), 8),
               .serial = static_cast<std::uint32_t>(LittleEndian(header.substr(14), 4)),
               .lacing = std::move(lacing),
               .body = at + 27 + static_cast<unsigned char>(header[26])};
  page.end = page.body;
  for (const char lace : page.lacing) page.end += static_cast<unsigned char>(lace);
  return page;
}

std::optional<OggPage> OggPageAt(ByteSource& source, std::uint64_t at) {
  const std::string h = source.Read(at, 27);
  if (h.size() < 27) return std::nullopt;
  return ParseOggPage(h, source.Read(at + 27, static_cast<unsigned char>(h[26])), at);
}

// The index-th packet of the stream (0: its identification, 1: its comments).
std::vector<Span> OggPacket(ByteSource& source, std::uint32_t serial, int index) {
  std::vector<Span> spans;
  int packet = 0;
  std::uint64_t at = 0;
  for (int pages = 0; pages < kMaxChunks; ++pages) {
    const std::optional<OggPage> page = OggPageAt(source, at);
    if (!page) break;
    at = page->end;
    if (page->serial != serial) continue;
    std::uint64_t offset = page->body;
    for (const char c : page->lacing) {
      const auto lace = static_cast<unsigned char>(c);
      if (packet == index) {
        if (!spans.empty() && spans.back().at + spans.back().size == offset) {
          spans.back().size += lace;
        } else {
          spans.push_back({offset, lace});
        }
      }
      offset += lace;
      if (lace < 255 && packet++ == index) return spans;  // a short segment ends a packet
    }
  }
  return spans;
}

std::string ReadSpans(ByteSource& source, const std::vector<Span>& spans, std::uint64_t offset,
                      std::size_t count) {
  std::string out;
  for (const Span& span : spans) {
    if (out.size() >= count) break;
    if (offset >= span.size) {
      offset -= span.size;
      continue;
    }
    const std::uint64_t take = std::min<std::uint64_t>(span.size - offset, count - out.size());
    const std::string bytes = source.Read(span.at + offset, static_cast<std::size_t>(take));
    out += bytes;
    if (bytes.size() < take) break;
    offset = 0;
  }
  return out;
}

// CRC-32 of polynomial 0x04C11DB7, unreflected, over the page with its checksum field as 0.
std::uint32_t OggChecksum(std::string_view page) {
  static constexpr std::array<std::uint32_t, 256> kTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t crc = i << 24;
      for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000 ? crc << 1 ^ 0x04C11DB7 : crc << 1;
      table[i] = crc;
    }
    return table;
  }();
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const auto byte = i >= 22 && i < 26 ? 0U : static_cast<unsigned char>(page[i]);
    crc = crc << 8 ^ kTable[(crc >> 24 ^ byte) & 0xFF];
  }
  return crc;
}

// The last whole page of the stream that ends a packet tells how many samples come before its
// end. Pages are at most 65307 bytes: the last one lies in that much of the file's tail.
std::optional<double> OggSeconds(ByteSource& source, std::uint32_t serial, double rate) {
  constexpr std::uint64_t kLargestPage = 27 + 255 + 255 * 255;
  const std::uint64_t size = source.Size();
  const std::uint64_t from = size > kLargestPage ? size - kLargestPage : 0;
  const std::string tail = source.Read(from, static_cast<std::size_t>(size - from));
  const std::string_view t(tail);
  // From the end back: the first page that holds is the last.
  for (std::size_t at = t.rfind("OggS"); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : t.rfind("OggS", at - 1)) {
    const std::string_view rest = t.substr(at);
    const std::optional<OggPage> page =
        rest.size() < 27
            ? std::nullopt
            : ParseOggPage(rest, std::string(rest.substr(27, static_cast<unsigned char>(rest[26]))),
                           0);
    if (page && page->end <= rest.size() && page->serial == serial &&
        page->granule < (1ULL << 62) &&
        OggChecksum(rest.substr(0, page->end)) == LittleEndian(rest.substr(22), 4))
      return static_cast<double>(page->granule) / rate;
  }
  return std::nullopt;
}

}  // namespace

// Vorbis and Opus: the first packet names the codec (and Vorbis its rate; Opus always counts
// at 48 kHz), the second holds the comments.
void ReadOgg(ByteSource& source, SongFacts& facts) {
  const std::optional<OggPage> first = OggPageAt(source, 0);
  if (!first) return;
  const std::string id = ReadSpans(source, OggPacket(source, first->serial, 0), 0, 16);
  double rate = 0;
  std::string_view magic;
  if (id.size() >= 16 && id.starts_with("\x01vorbis")) {
    rate = static_cast<double>(LittleEndian(std::string_view(id).substr(12), 4));
    magic = "\x03vorbis";
  } else if (id.starts_with("OpusHead")) {
    rate = 48000;
    magic = "OpusTags";
  }
  if (rate <= 0) return;
  const std::vector<Span> comments = OggPacket(source, first->serial, 1);
  std::uint64_t length = 0;
  for (const Span& span : comments) length += span.size;
  if (ReadSpans(source, comments, 0, magic.size()) == magic) {
    ReadVorbisComments(
        [&](std::uint64_t offset, std::size_t count) {
          return ReadSpans(source, comments, magic.size() + offset, count);
        },
        length - magic.size(), facts);
  }
  facts.seconds = OggSeconds(source, first->serial, rate);
}

}  // namespace framora::media
