#include "media/sound_probe.h"

#include <array>
#include <optional>
#include <string_view>

#include "media/byte_source.h"
#include "media/id3v2.h"
#include "media/mp4_box.h"
#include "media/mpeg_frame.h"

namespace framora::media {

namespace {

// Files that begin like these are containers of their own, whatever bytes follow.
bool OtherContainer(std::string_view head) {
  for (std::string_view magic : {"RIFF", "RF64", "fLaC", "OggS", "#!AMR", "FORM"})
    if (head.starts_with(magic)) return true;
  return false;
}

// The AAC described by an elementary stream descriptor ('esds', after its version and flags):
// descriptors of a tag byte, a length of up to four 7-bit bytes, and contents.
SoundFacts EsdsFacts(std::string_view d) {
  std::size_t at = 0;
  const auto byte = [&d](std::size_t i) -> unsigned {
    return i < d.size() ? static_cast<unsigned char>(d[i]) : 0;
  };
  const auto enter = [&](unsigned tag) {  // into the contents of the descriptor at `at`
    if (byte(at) != tag) return false;
    ++at;
    for (int i = 0; i < 4 && (byte(at++) & 0x80); ++i) {
    }
    return at < d.size();
  };
  if (!enter(0x03)) return {};  // the elementary stream: its id, flags, and what they announce
  const unsigned flags = byte(at + 2);
  at += 3 + ((flags & 0x80) ? 2 : 0);
  if (flags & 0x40) at += 1 + byte(at);
  if (flags & 0x20) at += 2;
  if (!enter(0x04)) return {};  // the decoder: its object type first
  const unsigned objectType = byte(at);
  at += 13;
  SoundFacts facts{.codec = SoundCodec::Aac};
  if (objectType == 0x67) {  // MPEG-2 AAC LC
    facts.copyable = true;
  } else if (objectType == 0x40 && enter(0x05)) {
    // MPEG-4 audio: its object type, sample rate and channels, bit by bit
    std::size_t bit = at * 8;
    const auto bits = [&](int count) {
      unsigned value = 0;
      for (int i = 0; i < count; ++i, ++bit)
        value = value << 1 | (byte(bit / 8) >> (7 - bit % 8) & 1);
      return value;
    };
    unsigned audioObject = bits(5);
    if (audioObject == 31) audioObject = 32 + bits(6);
    if (audioObject > 5 && audioObject != 29) return {};  // ALS, USAC and the like
    facts.copyable = audioObject == 2 || audioObject == 5 || audioObject == 29;  // LC, HE, HEv2
    const unsigned rate = bits(4);
    facts.sampleRate = rate == 15                ? static_cast<int>(bits(24))
                       : rate < kAacRates.size() ? kAacRates[rate]
                                                 : 0;
    const unsigned channels = bits(4);
    facts.channels = channels == 7 ? 8 : channels < 7 ? static_cast<int>(channels) : 0;
  } else if (objectType != 0x66 && objectType != 0x68) {  // neither MPEG-2 AAC Main nor SSR
    return {};
  }
  return facts;
}

// The first sample description of a sound track: AAC when it is 'mp4a' with an AAC 'esds'.
SoundFacts SampleEntry(ByteSource& source, const Mp4Box& stsd) {
  const std::vector<Mp4Box> entries = Mp4Boxes(source, stsd.body + 8, stsd.end);
  if (entries.empty() || entries[0].type != "mp4a") return {};  // ALAC, AC-3, encrypted...
  Mp4Box entry = entries[0];
  // Reserved bytes, the data reference, QuickTime's version, and the channels, the sample
  // size and the sample rate (16.16); versions 1 and 2 add fields before the boxes inside.
  const std::string fields = source.Read(entry.body, 28);
  if (fields.size() < 28) return {};
  const std::uint64_t version = BigEndian(std::string_view(fields).substr(8), 2);
  if (version > 2) return {};
  entry.body += 28 + (version == 0 ? 0 : version == 1 ? 16 : 36);
  const std::optional<Mp4Box> esds = Mp4Child(source, entry, "esds");
  if (!esds) return {};
  SoundFacts facts = EsdsFacts(source.Read(esds->body + 4, 64));
  // MPEG-2 AAC has no description of its own: the sample entry's fields tell.
  if (facts.codec == SoundCodec::Aac && facts.channels == 0)
    facts.channels = static_cast<int>(BigEndian(std::string_view(fields).substr(16), 2));
  if (facts.codec == SoundCodec::Aac && facts.sampleRate == 0)
    facts.sampleRate = static_cast<int>(BigEndian(std::string_view(fields).substr(24), 4) >> 16);
  return facts;
}

// The first sound track, the one FFmpeg's "1:a:0" names: moov/trak/mdia with the 'soun'
// handler, and its minf/stbl/stsd.
SoundFacts Mp4Sound(ByteSource& source) {
  const Mp4Box file{.type = {}, .start = 0, .body = 0, .end = kToTheEnd};
  const std::optional<Mp4Box> moov = Mp4Child(source, file, "moov");
  if (!moov) return {};
  for (const Mp4Box& trak : Mp4Boxes(source, moov->body, moov->end)) {
    std::optional<Mp4Box> mdia;
    if (trak.type == "trak") mdia = Mp4Child(source, trak, "mdia");
    const std::optional<Mp4Box> hdlr = mdia ? Mp4Child(source, *mdia, "hdlr") : mdia;
    // The handler's version and flags, a reserved word, then its type.
    if (!hdlr || source.Read(hdlr->body + 8, 4) != "soun") continue;
    std::optional<Mp4Box> box = Mp4Child(source, *mdia, "minf");
    for (const char* type : {"stbl", "stsd"})
      if (box) box = Mp4Child(source, *box, type);
    return box ? SampleEntry(source, *box) : SoundFacts{};
  }
  return {};
}

}  // namespace

SoundFacts ProbeSound(FileSystemPort& files, const std::string& path) {
  ByteSource source(files, path);
  const std::string head = source.Read(0, 8);
  if (head.size() == 8 && head.compare(4, 4, "ftyp") == 0) return Mp4Sound(source);
  const std::uint64_t start = SkipId3v2Tags(source, 0);
  if (start == 0 && OtherContainer(head)) return {};
  const std::optional<MpegStream> stream = FindMpegStream(source, start);
  return stream ? stream->first.facts : SoundFacts{};
}

}  // namespace framora::media
