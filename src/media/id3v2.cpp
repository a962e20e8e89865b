#include "media/id3v2.h"

#include <algorithm>
#include "app/text.h"
#include "media/song_readers.h"

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

namespace {

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
void ReadId3Frames(ByteSource& source, const Id3v2Tag& tag, SongFacts& facts) {
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

}  // namespace

// Reads the tags that follow one another from offset on; returns the offset just past them.
std::uint64_t ReadId3Tags(ByteSource& source, std::uint64_t offset, SongFacts& facts) {
  for (int i = 0; i < 16; ++i) {
    const std::optional<Id3v2Tag> tag = ReadId3v2Tag(source, offset);
    if (!tag) break;
    ReadId3Frames(source, *tag, facts);
    offset = tag->end;
  }
  return offset;
}

}  // namespace framora::media
