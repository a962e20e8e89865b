#include "media/song_readers.h"

#include <array>

namespace framora::media {

namespace {

struct OggPage {
  bool first = false;  // it begins a stream
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
  OggPage page{.first = (header[5] & 2) != 0,
               .granule = LittleEndian(header.substr(6), 8),
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

// Hands each page of the stream to `take`, in order, until it says it has what it needs.
template <typename Take>
void EachPageOf(ByteSource& source, std::uint32_t serial, Take take) {
  std::uint64_t at = 0;
  for (int pages = 0; pages < kMaxChunks; ++pages) {
    const std::optional<OggPage> page = OggPageAt(source, at);
    if (!page) return;
    at = page->end;
    if (page->serial == serial && take(*page)) return;
  }
}

// The index-th packet of the stream (0: its identification, 1: its comments).
std::vector<Span> OggPacket(ByteSource& source, std::uint32_t serial, int index) {
  std::vector<Span> spans;
  int packet = 0;
  EachPageOf(source, serial, [&](const OggPage& page) {
    std::uint64_t offset = page.body;
    for (const char c : page.lacing) {
      const auto lace = static_cast<unsigned char>(c);
      if (packet == index) {
        if (!spans.empty() && spans.back().at + spans.back().size == offset) {
          spans.back().size += lace;
        } else {
          spans.push_back({offset, lace});
        }
      }
      offset += lace;
      if (lace < 255 && packet++ == index) return true;  // a short segment ends a packet
    }
    return false;
  });
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

// The last whole page of the file tells how many samples come before its end, if it is of the
// song's stream: a file of several streams one after another (chained) has no one length in its
// bytes. Pages are at most 65307 bytes: the last one lies in that much of the file's tail.
std::optional<std::uint64_t> LastGranule(ByteSource& source, std::uint32_t serial) {
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
    if (page && page->end <= rest.size() &&
        OggChecksum(rest.substr(0, page->end)) == LittleEndian(rest.substr(22), 4)) {
      if (page->serial != serial || page->granule >= (1ULL << 62)) return std::nullopt;
      return page->granule;
    }
  }
  return std::nullopt;
}

// Whether the file holds nothing but the one stream, page after page to its end: a file of
// several streams one after another (chained) has no one length in its bytes, nor one whose
// pages break off.
bool OneStream(ByteSource& source) {
  std::uint64_t at = 0;
  for (std::uint64_t pages = 0; pages < (1ULL << 22); ++pages) {
    const std::optional<OggPage> page = OggPageAt(source, at);
    if (!page) return !source.Has(at);
    if (pages > 0 && page->first) return false;
    at = page->end;
  }
  return false;
}

// The first page of the stream that completes a packet of sound (after `headers` packets of
// headers): its granule position, and where each such packet it completes begins.
struct FirstSound {
  std::uint64_t granule = 0;
  std::vector<std::uint64_t> packets;
};

std::optional<FirstSound> FirstSoundPage(ByteSource& source, std::uint32_t serial, int headers) {
  int packet = 0;
  std::uint64_t packetStart = 0;
  bool inPacket = false;
  std::optional<FirstSound> found;
  EachPageOf(source, serial, [&](const OggPage& page) {
    FirstSound sound{.granule = page.granule, .packets = {}};
    std::uint64_t offset = page.body;
    for (const char c : page.lacing) {
      if (!inPacket) packetStart = offset;
      inPacket = static_cast<unsigned char>(c) == 255;  // a short segment ends a packet
      offset += static_cast<unsigned char>(c);
      if (!inPacket && packet++ >= headers) sound.packets.push_back(packetStart);
    }
    if (!sound.packets.empty()) found = std::move(sound);
    return found.has_value();
  });
  return found;
}

// The samples (at 48 kHz) of an Opus packet, from its first two bytes: the frame size its
// configuration gives, times its count of frames.
std::uint64_t OpusPacketSamples(std::string_view head) {
  if (head.empty()) return 0;
  const unsigned config = static_cast<unsigned char>(head[0]) >> 3;
  static constexpr std::array<std::uint64_t, 4> kSilk = {480, 960, 1920, 2880};
  static constexpr std::array<std::uint64_t, 4> kCelt = {120, 240, 480, 960};
  const std::uint64_t frame = config < 12   ? kSilk[config % 4]
                              : config < 16 ? (config % 2 == 0 ? 480 : 960)
                                            : kCelt[config % 4];
  const unsigned code = static_cast<unsigned char>(head[0]) & 3;
  const std::uint64_t frames = code == 0         ? 1
                               : code < 3        ? 2
                               : head.size() > 1 ? static_cast<unsigned char>(head[1]) & 0x3F
                                                 : 0;
  return frame * frames;
}

}  // namespace

// Vorbis and Opus: the first packet names the codec (and Vorbis its rate; Opus always counts
// at 48 kHz), the second holds the comments.
void ReadOgg(ByteSource& source, SongFacts& facts) {
  const std::optional<OggPage> first = OggPageAt(source, 0);
  if (!first) return;
  const std::string id = ReadSpans(source, OggPacket(source, first->serial, 0), 0, 30);
  const bool vorbis = id.size() >= 30 && id.starts_with("\x01vorbis");
  const bool opus = id.size() >= 12 && id.starts_with("OpusHead");
  if (!vorbis && !opus) return;
  facts.container = Container::Ogg;
  facts.rate = vorbis ? static_cast<int>(LittleEndian(std::string_view(id).substr(12), 4)) : 48000;
  if (facts.rate <= 0) return;
  const std::string_view magic = vorbis ? "\x03vorbis" : "OpusTags";
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
  // A stream may start after 0 (cut from a longer one): its length counts from its start, which
  // the first page of sound tells. Opus's packets say their own lengths; of a Vorbis packet
  // only the most it can give is known (half its long block), and the first gives none.
  const std::optional<std::uint64_t> last = LastGranule(source, first->serial);
  const std::optional<FirstSound> sound = FirstSoundPage(source, first->serial, vorbis ? 3 : 2);
  if (!last || !sound || !OneStream(source)) return;
  if (opus) {
    std::uint64_t before = 0;
    for (const std::uint64_t packet : sound->packets)
      before += OpusPacketSamples(source.Read(packet, 2));
    const std::uint64_t start = sound->granule > before ? sound->granule - before : 0;
    const std::uint64_t preSkip = LittleEndian(std::string_view(id).substr(10), 2);
    if (*last > start + preSkip) facts.samples = *last - start - preSkip;
  } else {
    const std::uint64_t longBlock = 1ULL << (static_cast<unsigned char>(id[28]) >> 4);
    if (sound->granule <= (sound->packets.size() - 1) * longBlock / 2) facts.samples = *last;
  }
}

}  // namespace framora::media
