#include "media/mp4_box.h"

#include <algorithm>
#include <utility>
#include "media/song_readers.h"

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

namespace {

// A media header's time scale and length in it (0 when it tells none): version 0 has 32-bit
// times, version 1 64-bit ones.
struct MediaTime {
  std::uint64_t scale = 0;
  std::uint64_t duration = 0;
};

MediaTime MediaLength(ByteSource& source, const Mp4Box& mdhd) {
  const std::string header = source.Read(mdhd.body, 32);
  const std::string_view h(header);
  const bool v1 = !h.empty() && h[0] == 1;
  const std::size_t at = v1 ? 20 : 12;
  const std::size_t width = v1 ? 8 : 4;
  if (h.size() < at + 4 + width) return {};
  const std::uint64_t scale = BigEndian(h.substr(at), 4);
  const std::uint64_t duration = BigEndian(h.substr(at + 4), width);
  const std::uint64_t unknown = v1 ? ~0ULL : 0xFFFFFFFFULL;
  if (scale == 0 || duration == 0 || duration == unknown) return {};
  return MediaTime{scale, duration};
}

// Where the edit list starts the media, in its time scale: the priming an AAC encoder put
// before the sound, which the decoder drops. Leading empty edits delay it, which is no
// priming; none, or a list of another shape, counts as 0.
std::uint64_t MediaStart(ByteSource& source, const Mp4Box& trak) {
  const std::optional<Mp4Box> edts = Mp4Child(source, trak, "edts");
  const std::optional<Mp4Box> elst = edts ? Mp4Child(source, *edts, "elst") : std::nullopt;
  if (!elst) return 0;
  const std::string head = source.Read(elst->body, 8);
  const bool v1 = !head.empty() && head[0] == 1;
  const std::size_t entry = v1 ? 20 : 12;
  const std::uint64_t count = BigEndian(std::string_view(head).substr(4), 4);
  for (std::uint64_t i = 0; i < count && i < 16; ++i) {
    const std::string e = source.Read(elst->body + 8 + i * entry, entry);
    if (e.size() < entry) return 0;
    const std::uint64_t time = BigEndian(std::string_view(e).substr(v1 ? 8 : 4), v1 ? 8 : 4);
    const std::uint64_t empty = v1 ? ~0ULL : 0xFFFFFFFFULL;  // -1
    if (time != empty) return time;
  }
  return 0;
}

// The tags of an iTunes-style item list: items of "data" boxes, each a type (1: UTF-8), a
// locale and the value. Each picture in "covr" that FFmpeg knows (JPEG 13, PNG 14, BMP 27)
// becomes a video stream.
void ReadItemList(ByteSource& source, const Mp4Box& meta, SongFacts& facts) {
  Mp4Box boxes = meta;
  // The ISO meta box has a version and flags before its boxes; QuickTime's has not.
  if (source.Read(meta.body + 4, 4) != "hdlr") boxes.body += 4;
  const std::optional<Mp4Box> ilst = Mp4Child(source, boxes, "ilst");
  if (!ilst) return;
  for (const Mp4Box& item : Mp4Boxes(source, ilst->body, ilst->end)) {
    const bool cover = item.type == "covr";
    std::string* text = item.type == "\xA9nam" ? &facts.title
                        : item.type ==
                                "\xA9"
                                "ART"
                            ? &facts.artist
                        : item.type ==
                                "\xA9"
                                "alb"
                            ? &facts.album
                            : nullptr;
    if (!cover && (!text || !text->empty())) continue;
    for (const Mp4Box& data : Mp4Boxes(source, item.body, item.end)) {
      if (data.type != "data" || data.end - data.body < 8) break;
      const std::uint64_t kind = BigEndian(source.Read(data.body, 4), 4) & 0xFFFFFF;
      if (cover) {
        if (kind == 13 || kind == 14 || kind == 27) facts.pictures.push_back({.type = 3});
        continue;
      }
      const std::uint64_t length = std::min<std::uint64_t>(data.end - data.body - 8, kMaxText);
      *text = CutAtNul(source.Read(data.body + 8, static_cast<std::size_t>(length)));
      break;
    }
  }
}

}  // namespace

void ReadMp4(ByteSource& source, SongFacts& facts) {
  const Mp4Box file{.type = {}, .start = 0, .body = 0, .end = kToTheEnd};
  const std::optional<Mp4Box> moov = Mp4Child(source, file, "moov");
  if (!moov) return;
  facts.container = Container::Mp4;
  bool film = false;
  for (const Mp4Box& box : Mp4Boxes(source, moov->body, moov->end)) {
    if (box.type == "udta") {
      if (const std::optional<Mp4Box> meta = Mp4Child(source, box, "meta"))
        ReadItemList(source, *meta, facts);
    } else if (box.type == "meta") {
      ReadItemList(source, box, facts);
    } else if (const std::optional<Mp4Box> mdia =
                   box.type == "trak" ? Mp4Child(source, box, "mdia") : std::nullopt) {
      const std::optional<Mp4Box> hdlr = Mp4Child(source, *mdia, "hdlr");
      const std::string handler = hdlr ? source.Read(hdlr->body + 8, 4) : std::string();
      film = film || handler == "vide";
      const std::optional<Mp4Box> mdhd = Mp4Child(source, *mdia, "mdhd");
      const MediaTime length = mdhd ? MediaLength(source, *mdhd) : MediaTime{};
      if (handler == "soun" && length.scale > 0 && !facts.samples) {
        const std::uint64_t start = MediaStart(source, box);
        facts.rate = static_cast<int>(length.scale);
        if (length.duration > start) facts.samples = length.duration - start;
      }
    }
  }
  // A film's own video streams come before or among the covers: rather no cover than the
  // wrong stream.
  if (film) facts.pictures.clear();
}

}  // namespace framora::media
