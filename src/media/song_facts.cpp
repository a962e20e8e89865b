#include "media/song_facts.h"

#include <algorithm>
#include <array>
#include <utility>

#include "media/song_readers.h"

namespace framora::media {

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

std::string* TagNamed(std::string_view name, SongFacts& facts) {
  if (name == "title") return &facts.title;
  if (name == "artist") return &facts.artist;
  if (name == "album") return &facts.album;
  return nullptr;
}

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

namespace {

// A count of samples is a length only at a known rate: a header that says 0 Hz tells none.
SongFacts Checked(SongFacts facts) {
  if (facts.rate <= 0) facts.samples.reset();
  return facts;
}

}  // namespace

SongFacts ReadSongFacts(FileSystemPort& files, const std::string& path) {
  SongFacts facts;
  facts.sound = ProbeSound(files, path);
  ByteSource source(files, path);
  const std::string head = source.Read(0, 12);
  const std::string_view h(head);
  if (h.size() >= 8 && h.substr(4, 4) == "ftyp") {
    ReadMp4(source, facts);
  } else if ((h.starts_with("RIFF") || h.starts_with("RF64")) && h.size() == 12 &&
             h.substr(8) == "WAVE") {
    ReadWav(source, facts);
  } else if (h.starts_with("OggS")) {
    ReadOgg(source, facts);
  } else if (h.starts_with("#!AMR\n") || h.starts_with("#!AMR-WB\n")) {
    ReadAmr(source, h[5] == '-', facts);
  } else {
    SongFacts tags;
    const std::uint64_t start = ReadId3Tags(source, 0, tags);
    if (source.Read(start, 4) == "fLaC") {
      ReadFlac(source, start + 4, facts);
      return Checked(std::move(facts));
    }
    facts.title = std::move(tags.title);
    facts.artist = std::move(tags.artist);
    facts.album = std::move(tags.album);
    facts.pictures = std::move(tags.pictures);
    // Other containers' bytes can look like MPEG frames.
    for (std::string_view magic : {"RIFF", "RF64", "FORM", "OggS", "#!AMR"})
      if (start == 0 && h.starts_with(magic)) return Checked(std::move(facts));
    if (const std::optional<MpegStream> stream = FindMpegStream(source, start))
      ReadMpegLength(source, *stream, facts);
  }
  return Checked(std::move(facts));
}

}  // namespace framora::media
