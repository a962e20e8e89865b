#include "media/song_facts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "media/byte_source.h"
#include "media/id3v2.h"
#include "media/mp4_box.h"
#include "media/mpeg_frame.h"

namespace framora {

namespace {

using media::BigEndian;
using media::ByteSource;
using media::Mp4Box;

// The most of one tag value that is read: a longer title is no title.
constexpr std::size_t kMaxText = 4096;
// How much of a picture's frame or block is read to learn its type and format.
constexpr std::size_t kPictureHead = 512;
// Chunks, blocks, frames and pages walked in one file: more is a broken file.
constexpr int kMaxChunks = 4096;
constexpr std::uint64_t kMaxComments = 4096;

// The file being read: its bytes block by block, and, only when needed, whether it has a byte
// at some offset and its size (which the port does not tell).
class SongFile {
 public:
  SongFile(FileSystemPort& files, const std::string& path)
      : source(files, path), files_(files), path_(path) {}

  // Asked of the port itself: a block read there would fetch far more than one byte.
  bool Has(std::uint64_t offset) { return !files_.ReadBytes(path_, offset, 1).empty(); }

  // Halving the range between a byte that is there and one that is not.
  std::uint64_t Size() {
    if (size_) return *size_;
    std::uint64_t there = 0;
    std::uint64_t gone = 1;
    if (!Has(0)) return *(size_ = 0);
    while (Has(gone) && gone < (1ULL << 62)) there = std::exchange(gone, gone * 2);
    while (gone - there > 1) {
      const std::uint64_t middle = there + (gone - there) / 2;
      (Has(middle) ? there : gone) = middle;
    }
    return *(size_ = there + 1);
  }

  ByteSource source;

 private:
  FileSystemPort& files_;
  const std::string& path_;
  std::optional<std::uint64_t> size_;
};

std::uint64_t LittleEndian(std::string_view bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = std::min(count, bytes.size()); i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

void AppendUtf8(std::string& out, char32_t c) {
  const auto put = [&out](unsigned value) { out += static_cast<char>(value); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | c >> 6);
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

std::string FromLatin1(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, text.find('\0')))
    AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string FromUtf16(std::string_view text, bool bigEndian) {
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    return bigEndian ? a << 8 | b : b << 8 | a;
  };
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    char32_t c = unit(i);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xE000) {  // half of a pair, which must be the high one, then the low
      const char32_t low = i + 3 < text.size() ? unit(i + 2) : 0;
      if (c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        c = 0xFFFD;
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i++]);
    std::size_t more = 0;  // bytes that must follow
    if (c >= 0xC2 && c < 0xE0) {
      more = 1;
    } else if (c >= 0xE0 && c < 0xF0) {
      more = 2;
    } else if (c >= 0xF0 && c < 0xF5) {
      more = 3;
    } else if (c >= 0x80) {
      return false;
    }
    for (; more > 0; --more, ++i)
      if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

std::string* TagNamed(std::string_view name, SongFacts& facts) {
  if (name == "title") return &facts.title;
  if (name == "artist") return &facts.artist;
  if (name == "album") return &facts.album;
  return nullptr;
}

// The picture formats FFmpeg makes a stream of, by MIME type (ID3v2.2 by a file type).
bool KnownPictureFormat(std::string_view format, bool anyCase) {
  static constexpr std::array<std::string_view, 8> kFormats = {
      "image/gif", "image/jpeg", "image/jpg", "image/png", "image/tiff", "image/bmp", "JPG", "PNG"};
  const auto same = [anyCase](char a, char b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return anyCase ? lower(a) == lower(b) : a == b;
  };
  return std::any_of(kFormats.begin(), kFormats.end(), [&](std::string_view known) {
    return std::equal(known.begin(), known.end(), format.begin(), format.end(), same);
  });
}

// Picture types past "publisher logo" (20) are read as "other".
int PictureType(std::uint64_t type) { return type > 20 ? 0 : static_cast<int>(type); }

// A FLAC PICTURE block, from its first bytes: its type, then the length of its MIME type.
void AddFlacPicture(std::string_view block, SongFacts& facts) {
  if (block.size() < 8) return;
  const std::uint64_t length = BigEndian(block.substr(4), 4);
  if (length == 0 || block.size() - 8 < length) return;
  if (KnownPictureFormat(block.substr(8, length), false))
    facts.pictures.push_back({.type = PictureType(BigEndian(block, 4))});
}

// Ogg streams carry a FLAC PICTURE block in a comment, in base 64.
std::string FromBase64(std::string_view text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (const char c : text) {
    const int value = c >= 'A' && c <= 'Z'   ? c - 'A'
                      : c >= 'a' && c <= 'z' ? c - 'a' + 26
                      : c >= '0' && c <= '9' ? c - '0' + 52
                      : c == '+'             ? 62
                      : c == '/'             ? 63
                                             : -1;
    if (value < 0) break;
    bits = (bits << 6 | static_cast<unsigned>(value)) & 0xFFFFFF;
    if ((count += 6) >= 8) out += static_cast<char>(bits >> (count -= 8) & 0xFF);
  }
  return out;
}

// ---- ID3v2 ----

std::uint64_t Syncsafe(std::uint64_t raw) {
  return (raw & 0x7F) | (raw >> 8 & 0x7F) << 7 | (raw >> 16 & 0x7F) << 14 |
         (raw >> 24 & 0x7F) << 21;
}

// Unsynchronisation put a 0 after every 0xFF that could be mistaken for a frame sync.
std::string Resync(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += bytes[i];
    if (bytes[i] == '\xFF' && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
  }
  return out;
}

// A text frame: its encoding, then the text; of several strings (version 4) the first.
std::string Id3Text(std::string_view frame) {
  if (frame.empty()) return {};
  const std::string_view text = frame.substr(1);
  switch (frame[0]) {
    case 0:
      return FromLatin1(text);
    case 1:  // UTF-16 after a byte-order mark; without one FFmpeg drops the frame
      if (text.starts_with("\xFF\xFE")) return FromUtf16(text.substr(2), false);
      if (text.starts_with("\xFE\xFF")) return FromUtf16(text.substr(2), true);
      return {};
    case 2:
      return FromUtf16(text, true);
    case 3:
      return CutAtNul(text);
    default:
      return {};
  }
}

// An attached picture: encoding, MIME type (version 2: a file type of 3 letters), picture type,
// description, picture. FFmpeg makes a stream of it only when it knows the format and the
// picture is not empty. `head` is the frame's start, or all of it when `whole`.
void AddId3Picture(std::string_view head, int version, bool whole, SongFacts& facts) {
  if (head.empty() || static_cast<unsigned char>(head[0]) > 3) return;
  const std::size_t formatEnd = version == 2 ? 4 : head.find('\0', 1);
  const std::size_t typeAt = version == 2 ? 4 : formatEnd + 1;
  if (formatEnd == std::string_view::npos || typeAt >= head.size() ||
      !KnownPictureFormat(head.substr(1, formatEnd - 1), true))
    return;
  const int type = PictureType(static_cast<unsigned char>(head[typeAt]));
  // The description ends with a NUL, of two bytes in UTF-16.
  const std::size_t width = head[0] == 1 || head[0] == 2 ? 2 : 1;
  std::size_t end = typeAt + 1;
  while (end + width <= head.size() && head.substr(end, width) != std::string(width, '\0'))
    end += width;
  if (whole && end + width >= head.size()) return;
  facts.pictures.push_back({.type = type});
}

// Whether a frame can start at offset: a frame ID, padding, or the end of the tag.
bool FrameStartsAt(ByteSource& source, std::uint64_t at, std::uint64_t end) {
  if (at == end) return true;
  if (at > end) return false;
  const std::string id = source.Read(at, 4);
  return id.size() == 4 &&
         (id == std::string(4, '\0') || std::all_of(id.begin(), id.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
          }));
}

std::string* Id3TextFrame(std::string_view id, SongFacts& facts) {
  if (id == "TIT2" || id == "TT2") return &facts.title;
  if (id == "TPE1" || id == "TP1") return &facts.artist;
  if (id == "TALB" || id == "TAL") return &facts.album;
  return nullptr;
}

// The frames of one tag. Frame sizes count the bytes as stored, unsynchronised or not (as
// FFmpeg steps over them); only the bytes of a frame that is read are resynchronised.
void ReadId3Frames(ByteSource& source, const media::Id3v2Tag& tag, SongFacts& facts) {
  const bool v2 = tag.version == 2;
  const std::uint64_t header = v2 ? 6 : 10;
  const std::uint64_t end = tag.end - (tag.version == 4 && (tag.flags & 0x10) ? 10 : 0);
  std::uint64_t at = tag.body;
  if (tag.flags & 0x40) {  // an extended header; in version 2 the flag meant compression
    const std::uint64_t size = Syncsafe(BigEndian(source.Read(at, 4), 4));
    if (v2 || (tag.version == 4 && size < 6)) return;
    at += tag.version == 4 ? size : size + 4;
  }
  for (int frames = 0; frames < kMaxChunks && at < end && end - at >= header; ++frames) {
    const std::string h = source.Read(at, header);
    if (h.size() < header || h[0] == '\0') break;  // padding
    const std::string_view id = std::string_view(h).substr(0, v2 ? 3 : 4);
    std::uint64_t size = BigEndian(std::string_view(h).substr(id.size()), v2 ? 3 : 4);
    const std::uint64_t body = at + header;
    if (tag.version == 4 && size > 0x7F) {
      // Some writers give version 4 frames plain sizes: the reading after which a frame
      // follows wins.
      if (size >= end - body || FrameStartsAt(source, body + Syncsafe(size), end)) {
        size = Syncsafe(size);
      } else if (!FrameStartsAt(source, body + size, end)) {
        break;
      }
    }
    if (size > end - body) break;
    at = body + size;
    const bool picture = id == (v2 ? "PIC" : "APIC");
    std::string* text = Id3TextFrame(id, facts);
    if (!picture && (!text || !text->empty())) continue;
    const auto flags = static_cast<unsigned>(v2 ? 0 : BigEndian(std::string_view(h).substr(8), 2));
    bool unsync = tag.flags & 0x80;
    std::uint64_t skip = 0;  // a group byte, a data length
    if (tag.version == 3) {
      if (flags & 0xC0) continue;  // compressed or encrypted
      skip = flags & 0x20 ? 1 : 0;
    } else if (tag.version == 4) {
      if (flags & 0x0C) continue;
      skip = (flags & 0x40 ? 1 : 0) + (flags & 0x01 ? 4 : 0);
      unsync = unsync || (flags & 0x02);
    }
    if (skip > size) continue;
    const std::uint64_t length = size - skip;
    const std::size_t window = picture ? kPictureHead : kMaxText;
    std::string bytes =
        source.Read(body + skip, static_cast<std::size_t>(std::min<std::uint64_t>(length, window)));
    if (unsync) bytes = Resync(bytes);
    if (picture) {
      AddId3Picture(bytes, tag.version, length <= window, facts);
    } else {
      *text = Id3Text(bytes);
    }
  }
}

// Reads the tags that follow one another from offset on; returns the offset just past them.
std::uint64_t ReadId3Tags(ByteSource& source, std::uint64_t offset, SongFacts& facts) {
  for (int i = 0; i < 16; ++i) {
    const std::optional<media::Id3v2Tag> tag = media::ReadId3v2Tag(source, offset);
    if (!tag) break;
    ReadId3Frames(source, *tag, facts);
    offset = tag->end;
  }
  return offset;
}

// ---- MP3 and ADTS ----

// The header an encoder may put in the first frame instead of sound, Xing's (or "Info") or
// VBRI: the count of the frames after it.
std::optional<std::uint64_t> HeaderFrames(ByteSource& source, const media::MpegStream& stream) {
  const std::string frame = source.Read(stream.start, 64);
  const std::string_view f(frame);
  const bool mpeg1 = stream.first.samples == 1152;
  const bool mono = stream.first.facts.channels == 1;
  const std::size_t xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));  // the side info
  if (f.size() >= xing + 12 && (f.substr(xing, 4) == "Xing" || f.substr(xing, 4) == "Info") &&
      (BigEndian(f.substr(xing + 4), 4) & 1))
    return BigEndian(f.substr(xing + 8), 4);
  if (f.size() >= 36 + 18 && f.substr(36, 4) == "VBRI") return BigEndian(f.substr(36 + 14), 4);
  return std::nullopt;
}

std::optional<double> MpegSeconds(ByteSource& source, const media::MpegStream& stream) {
  const double rate = stream.first.facts.sampleRate;
  if (stream.parser == &media::Mp3Frame) {
    const std::optional<std::uint64_t> frames = HeaderFrames(source, stream);
    if (frames && *frames > 0) return static_cast<double>(*frames * stream.first.samples) / rate;
  }
  // Every frame to the end of the stream; a tag after it (ID3v1, APE) is no frame.
  std::uint64_t samples = 0;
  for (std::uint64_t at = stream.start;;) {
    const std::optional<media::MpegFrame> frame = stream.parser(source.Read(at, 7));
    if (!frame || frame->kind != stream.first.kind) break;
    samples += static_cast<std::uint64_t>(frame->samples);
    at += frame->length;
  }
  return static_cast<double>(samples) / rate;
}

// ---- MP4 ----

// A movie or media header's length: version 0 has 32-bit times, version 1 64-bit ones.
std::optional<double> Mp4HeaderSeconds(ByteSource& source, const Mp4Box& box) {
  const std::string header = source.Read(box.body, 32);
  const std::string_view h(header);
  const bool v1 = !h.empty() && h[0] == 1;
  const std::size_t at = v1 ? 20 : 12;
  const std::size_t width = v1 ? 8 : 4;
  if (h.size() < at + 4 + width) return std::nullopt;
  const std::uint64_t scale = BigEndian(h.substr(at), 4);
  const std::uint64_t duration = BigEndian(h.substr(at + 4), width);
  const std::uint64_t unknown = v1 ? ~0ULL : 0xFFFFFFFFULL;
  if (scale == 0 || duration == 0 || duration == unknown) return std::nullopt;
  return static_cast<double>(duration) / static_cast<double>(scale);
}

// The tags of an iTunes-style item list: items of "data" boxes, each a type (1: UTF-8), a
// locale and the value. Each picture in "covr" that FFmpeg knows (JPEG 13, PNG 14, BMP 27)
// becomes a video stream.
void ReadItemList(ByteSource& source, const Mp4Box& meta, SongFacts& facts) {
  Mp4Box boxes = meta;
  // The ISO meta box has a version and flags before its boxes; QuickTime's has not.
  if (source.Read(meta.body + 4, 4) != "hdlr") boxes.body += 4;
  const std::optional<Mp4Box> ilst = media::Mp4Child(source, boxes, "ilst");
  if (!ilst) return;
  for (const Mp4Box& item : media::Mp4Boxes(source, ilst->body, ilst->end)) {
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
    for (const Mp4Box& data : media::Mp4Boxes(source, item.body, item.end)) {
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

void ReadMp4(ByteSource& source, SongFacts& facts) {
  const Mp4Box file{.type = {}, .start = 0, .body = 0, .end = media::kToTheEnd};
  const std::optional<Mp4Box> moov = media::Mp4Child(source, file, "moov");
  if (!moov) return;
  if (const std::optional<Mp4Box> mvhd = media::Mp4Child(source, *moov, "mvhd"))
    facts.seconds = Mp4HeaderSeconds(source, *mvhd);
  bool film = false;
  for (const Mp4Box& box : media::Mp4Boxes(source, moov->body, moov->end)) {
    if (box.type == "udta") {
      if (const std::optional<Mp4Box> meta = media::Mp4Child(source, box, "meta"))
        ReadItemList(source, *meta, facts);
    } else if (box.type == "meta") {
      ReadItemList(source, box, facts);
    } else if (const std::optional<Mp4Box> mdia =
                   box.type == "trak" ? media::Mp4Child(source, box, "mdia") : std::nullopt) {
      const std::optional<Mp4Box> hdlr = media::Mp4Child(source, *mdia, "hdlr");
      const std::string handler = hdlr ? source.Read(hdlr->body + 8, 4) : std::string();
      film = film || handler == "vide";
      const std::optional<Mp4Box> mdhd = media::Mp4Child(source, *mdia, "mdhd");
      if (handler == "soun" && mdhd && !facts.seconds)
        facts.seconds = Mp4HeaderSeconds(source, *mdhd);
    }
  }
  // A film's own video streams come before or among the covers: rather no cover than the
  // wrong stream.
  if (film) facts.pictures.clear();
}

// ---- Vorbis comments (FLAC, Ogg Vorbis, Opus) ----

using ReadAt = std::function<std::string(std::uint64_t offset, std::size_t count)>;

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

// ---- FLAC ----

// Metadata blocks, each a byte of "last" flag and type, a 24-bit length and contents:
// STREAMINFO (0) tells the rate and the count of samples, 4 holds the comments, 6 a picture.
void ReadFlac(ByteSource& source, std::uint64_t at, SongFacts& facts) {
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
      if (info.size() == 8 && rate > 0 && samples > 0)
        facts.seconds = static_cast<double>(samples) / static_cast<double>(rate);
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

// ---- Ogg ----

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

// Where a packet lies: in pieces, between the page headers.
struct Span {
  std::uint64_t at = 0;
  std::uint64_t size = 0;
};

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
std::optional<double> OggSeconds(SongFile& file, std::uint32_t serial, double rate) {
  constexpr std::uint64_t kLargestPage = 27 + 255 + 255 * 255;
  const std::uint64_t size = file.Size();
  const std::uint64_t from = size > kLargestPage ? size - kLargestPage : 0;
  const std::string tail = file.source.Read(from, static_cast<std::size_t>(size - from));
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

// Vorbis and Opus: the first packet names the codec (and Vorbis its rate; Opus always counts
// at 48 kHz), the second holds the comments.
void ReadOgg(SongFile& file, SongFacts& facts) {
  ByteSource& source = file.source;
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
  facts.seconds = OggSeconds(file, first->serial, rate);
}

// ---- AMR ----

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
  if (frames > 0) facts.seconds = static_cast<double>(frames) * 0.02;
}

// ---- WAV ----

// The INFO list: chunks of NUL-ended text.
void ReadInfo(ByteSource& source, std::uint64_t at, std::uint64_t end, SongFacts& facts) {
  for (int i = 0; i < kMaxChunks && at < end && end - at >= 8; ++i) {
    const std::string h = source.Read(at, 8);
    if (h.size() < 8) return;
    const std::uint64_t size = LittleEndian(std::string_view(h).substr(4), 4);
    const std::string_view id = std::string_view(h).substr(0, 4);
    std::string* text = TagNamed(id == "INAM"   ? "title"
                                 : id == "IART" ? "artist"
                                 : id == "IPRD" ? "album"
                                                : "",
                                 facts);
    if (text && text->empty()) {
      const std::string value = CutAtNul(
          source.Read(at + 8, static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxText))));
      *text = IsUtf8(value) ? value : FromLatin1(value);
    }
    at += 8 + size + (size & 1);
  }
}

// RIFF chunks, each an ID, a 32-bit little-endian size and contents padded to an even length.
// RF64 keeps the sizes past 4 GB in its "ds64" chunk.
void ReadWav(SongFile& file, SongFacts& facts) {
  ByteSource& source = file.source;
  const bool rf64 = source.Read(0, 4) == "RF64";
  std::uint64_t bigData = 0, format = 0, rate = 0, byteRate = 0, blockAlign = 0, samples = 0;
  std::optional<Span> data;
  std::uint64_t at = 12;
  for (int i = 0; i < kMaxChunks; ++i) {
    const std::string h = source.Read(at, 8);
    if (h.size() < 8) break;
    const std::string_view id = std::string_view(h).substr(0, 4);
    std::uint64_t size = LittleEndian(std::string_view(h).substr(4), 4);
    const std::uint64_t body = at + 8;
    if (id == "ds64") {
      bigData = LittleEndian(source.Read(body + 8, 8), 8);
    } else if (id == "fmt ") {
      const std::string fmt = source.Read(body, 16);
      const std::string_view f(fmt);
      if (f.size() == 16) {
        format = LittleEndian(f, 2);
        rate = LittleEndian(f.substr(4), 4);
        byteRate = LittleEndian(f.substr(8), 4);
        blockAlign = LittleEndian(f.substr(12), 2);
      }
    } else if (id == "fact") {
      samples = LittleEndian(source.Read(body, 4), 4);
    } else if (id == "LIST" && source.Read(body, 4) == "INFO") {
      ReadInfo(source, body + 4, body + size, facts);
    } else if (id == "id3 " || id == "ID3 ") {
      ReadId3Tags(source, body, facts);
    } else if (id == "data") {
      if (rf64 && size == 0xFFFFFFFF) size = bigData;
      // A stream written before its length was known: the data runs to the end of the file.
      if (size == 0 || size == 0xFFFFFFFF || size > (1ULL << 62) || !file.Has(body + size - 1))
        size = file.Size() > body ? file.Size() - body : 0;
      data = Span{body, size};
    }
    at = body + size + (size & 1);
  }
  if (!data || rate == 0) return;
  const bool pcm = format == 1 || format == 3 || format == 6 || format == 7 || format == 0xFFFE;
  if (pcm && blockAlign > 0) {
    facts.seconds = static_cast<double>(data->size / blockAlign) / static_cast<double>(rate);
  } else if (samples > 0) {
    facts.seconds = static_cast<double>(samples) / static_cast<double>(rate);
  } else if (byteRate > 0) {
    facts.seconds = static_cast<double>(data->size) / static_cast<double>(byteRate);
  }
}

}  // namespace

SongFacts ReadSongFacts(FileSystemPort& files, const std::string& path) {
  SongFacts facts;
  facts.sound = ProbeSound(files, path);
  SongFile file(files, path);
  ByteSource& source = file.source;
  const std::string head = source.Read(0, 12);
  const std::string_view h(head);
  if (h.size() >= 8 && h.substr(4, 4) == "ftyp") {
    ReadMp4(source, facts);
  } else if ((h.starts_with("RIFF") || h.starts_with("RF64")) && h.size() == 12 &&
             h.substr(8) == "WAVE") {
    ReadWav(file, facts);
  } else if (h.starts_with("OggS")) {
    ReadOgg(file, facts);
  } else if (h.starts_with("#!AMR\n") || h.starts_with("#!AMR-WB\n")) {
    ReadAmr(source, h[5] == '-', facts);
  } else {
    SongFacts tags;
    const std::uint64_t start = ReadId3Tags(source, 0, tags);
    if (source.Read(start, 4) == "fLaC") {
      ReadFlac(source, start + 4, facts);
      return facts;
    }
    facts.title = std::move(tags.title);
    facts.artist = std::move(tags.artist);
    facts.album = std::move(tags.album);
    facts.pictures = std::move(tags.pictures);
    // Other containers' bytes can look like MPEG frames.
    for (std::string_view magic : {"RIFF", "RF64", "FORM", "OggS", "#!AMR"})
      if (start == 0 && h.starts_with(magic)) return facts;
    if (const std::optional<media::MpegStream> stream = media::FindMpegStream(source, start))
      facts.seconds = MpegSeconds(source, *stream);
  }
  return facts;
}

}  // namespace framora
