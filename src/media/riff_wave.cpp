#include "media/song_readers.h"

#include <algorithm>
#include "app/text.h"

namespace framora::media {

namespace {

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

}  // namespace

// RIFF chunks, each an ID, a 32-bit little-endian size and contents padded to an even length.
// RF64 keeps the sizes past 4 GB in its "ds64" chunk.
void ReadWav(ByteSource& source, SongFacts& facts) {
  const bool rf64 = source.Read(0, 4) == "RF64";
  std::uint64_t bigData = 0, format = 0, rate = 0, blockAlign = 0, samples = 0;
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
      if (size == 0 || size == 0xFFFFFFFF || size > (1ULL << 62) || !source.Has(body + size - 1))
        size = source.Size() > body ? source.Size() - body : 0;
      data = Span{body, size};
    }
    at = body + size + (size & 1);
  }
  facts.container = Container::Wave;
  if (!data || rate == 0) return;
  facts.rate = static_cast<int>(rate);
  // A compressed sound without a count of its samples has no exact length in its bytes.
  const bool pcm = format == 1 || format == 3 || format == 6 || format == 7 || format == 0xFFFE;
  if (pcm && blockAlign > 0) {
    facts.samples = data->size / blockAlign;
  } else if (samples > 0) {
    facts.samples = samples;
  }
}

}  // namespace framora::media
