#include "media/sound_probe.h"

#include <array>
#include <optional>
#include <string_view>

#include "media/byte_source.h"
#include "media/id3v2.h"
#include "media/mp4_box.h"

namespace framora {

namespace {

using media::BigEndian;
using media::ByteSource;
using media::Mp4Box;

// A frame of a raw MPEG audio stream (MP3 or ADTS AAC), from its header.
struct Frame {
  SoundFacts facts;
  std::uint32_t kind = 0;  // what every frame of one stream has in common
  std::uint64_t length = 0;
};

// Frames in a row that make a stream, unless the file ends before.
constexpr int kFramesInARow = 4;
// How far after the tags the first frame may start: encoders and taggers leave junk.
constexpr std::uint64_t kJunk = 64 * 1024;

// MPEG-1, 2 or 2.5 Layer III. Free format (bitrate 0) is left out: its frames have no length
// in their headers, and copying it is not worth the risk.
std::optional<Frame> Mp3Frame(std::string_view h) {
  if (h.size() < 4) return std::nullopt;
  const std::uint32_t bits = static_cast<std::uint32_t>(BigEndian(h, 4));
  const unsigned version = bits >> 19 & 3;  // 0: 2.5, 2: 2, 3: 1
  const unsigned layer = bits >> 17 & 3;    // 1: III
  const unsigned bitrate = bits >> 12 & 15;
  const unsigned rate = bits >> 10 & 3;
  if ((bits >> 21) != 0x7FF || version == 1 || layer != 1 || bitrate == 0 || bitrate == 15 ||
      rate == 3) {
    return std::nullopt;
  }
  static constexpr std::array<int, 15> kMpeg1 = {0,   32,  40,  48,  56,  64,  80, 96,
                                                 112, 128, 160, 192, 224, 256, 320};
  static constexpr std::array<int, 15> kMpeg2 = {0,  8,  16, 24,  32,  40,  48, 56,
                                                 64, 80, 96, 112, 128, 144, 160};
  static constexpr std::array<int, 3> kRates = {44100, 48000, 32000};
  const int sampleRate = kRates[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const int kbps = (version == 3 ? kMpeg1 : kMpeg2)[bitrate];
  const unsigned padding = bits >> 9 & 1;
  Frame frame;
  // MP4 writers refuse MPEG-2.5's rates (8 to 12 kHz), which the MP4 standard leaves out.
  frame.facts = {.codec = SoundCodec::Mp3,
                 .sampleRate = sampleRate,
                 .channels = (bits >> 6 & 3) == 3 ? 1 : 2,
                 .copyable = version != 0};
  frame.kind = bits & 0xFFFE0C00;  // sync, version, layer, sample rate
  frame.length = (version == 3 ? 144 : 72) * 1000ULL * kbps / sampleRate + padding;
  return frame;
}

// The sample rates of AAC by their index, in ADTS headers and in MP4 descriptions alike.
constexpr std::array<int, 13> kAacRates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                           22050, 16000, 12000, 11025, 8000,  7350};

// AAC in ADTS frames, as ".aac" files hold it.
std::optional<Frame> AdtsFrame(std::string_view h) {
  if (h.size() < 7) return std::nullopt;
  const std::uint64_t bits = BigEndian(h, 7);  // the 56 bits of the header
  const unsigned layer = bits >> 41 & 3;
  const unsigned profile = bits >> 38 & 3;  // 0: Main, 1: LC, 2: SSR, 3: LTP
  const unsigned rate = bits >> 34 & 15;
  const unsigned channels = bits >> 30 & 7;
  const std::uint64_t length = bits >> 13 & 0x1FFF;
  const std::uint64_t header = (bits >> 40 & 1) ? 7 : 9;  // without or with a checksum
  if ((bits >> 44) != 0xFFF || layer != 0 || rate >= kAacRates.size() || length < header)
    return std::nullopt;
  Frame frame;
  frame.facts = {.codec = SoundCodec::Aac,
                 .sampleRate = kAacRates[rate],
                 .channels = channels == 7 ? 8 : static_cast<int>(channels),
                 .copyable = profile == 1};
  // MPEG version, layer, checksum, profile, sample rate and channels; not the private bit
  frame.kind = static_cast<std::uint32_t>(bits >> 30 & 0x3FF7);
  frame.length = length;
  return frame;
}

// A stream of frames of one kind at offset: so many in a row, or fewer that end the file.
std::optional<SoundFacts> StreamAt(ByteSource& source, std::uint64_t offset,
                                   std::optional<Frame> (*frameAt)(std::string_view)) {
  std::optional<Frame> first;
  for (int frames = 0; frames < kFramesInARow; ++frames) {
    const std::string header = source.Read(offset, 7);
    // The file may end right after the last whole frame.
    if (header.empty() && frames >= 2 && source.Read(offset - 1, 1).size() == 1) break;
    const std::optional<Frame> frame = frameAt(header);
    if (!frame || (first && frame->kind != first->kind)) return std::nullopt;
    if (!first) first = frame;
    offset += frame->length;
  }
  return first->facts;
}

// Files that begin like these are containers of their own, whatever bytes follow.
bool OtherContainer(std::string_view head) {
  for (std::string_view magic : {"RIFF", "RF64", "fLaC", "OggS", "#!AMR", "FORM"})
    if (head.starts_with(magic)) return true;
  return false;
}

SoundFacts RawStream(ByteSource& source, std::uint64_t start) {
  for (std::uint64_t at = start; at < start + kJunk; ++at) {
    const std::string sync = source.Read(at, 2);
    if (sync.size() < 2) break;
    // Both kinds of frame begin with 11 bits set.
    if (static_cast<unsigned char>(sync[0]) != 0xFF ||
        (static_cast<unsigned char>(sync[1]) & 0xE0) != 0xE0)
      continue;
    for (auto frameAt : {&Mp3Frame, &AdtsFrame})
      if (const std::optional<SoundFacts> facts = StreamAt(source, at, frameAt)) return *facts;
  }
  return {};
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
  const std::vector<Mp4Box> entries = media::Mp4Boxes(source, stsd.body + 8, stsd.end);
  if (entries.empty() || entries[0].type != "mp4a") return {};  // ALAC, AC-3, encrypted...
  Mp4Box entry = entries[0];
  // Reserved bytes, the data reference, QuickTime's version, and the channels, the sample
  // size and the sample rate (16.16); versions 1 and 2 add fields before the boxes inside.
  const std::string fields = source.Read(entry.body, 28);
  if (fields.size() < 28) return {};
  const std::uint64_t version = BigEndian(std::string_view(fields).substr(8), 2);
  if (version > 2) return {};
  entry.body += 28 + (version == 0 ? 0 : version == 1 ? 16 : 36);
  const std::optional<Mp4Box> esds = media::Mp4Child(source, entry, "esds");
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
  const Mp4Box file{.type = {}, .start = 0, .body = 0, .end = media::kToTheEnd};
  const std::optional<Mp4Box> moov = media::Mp4Child(source, file, "moov");
  if (!moov) return {};
  for (const Mp4Box& trak : media::Mp4Boxes(source, moov->body, moov->end)) {
    std::optional<Mp4Box> mdia;
    if (trak.type == "trak") mdia = media::Mp4Child(source, trak, "mdia");
    const std::optional<Mp4Box> hdlr = mdia ? media::Mp4Child(source, *mdia, "hdlr") : mdia;
    // The handler's version and flags, a reserved word, then its type.
    if (!hdlr || source.Read(hdlr->body + 8, 4) != "soun") continue;
    std::optional<Mp4Box> box = media::Mp4Child(source, *mdia, "minf");
    for (const char* type : {"stbl", "stsd"})
      if (box) box = media::Mp4Child(source, *box, type);
    return box ? SampleEntry(source, *box) : SoundFacts{};
  }
  return {};
}

}  // namespace

SoundFacts ProbeSound(FileSystemPort& files, const std::string& path) {
  ByteSource source(files, path);
  const std::string head = source.Read(0, 8);
  if (head.size() == 8 && head.compare(4, 4, "ftyp") == 0) return Mp4Sound(source);
  const std::uint64_t start = media::SkipId3v2Tags(source, 0);
  if (start == 0 && OtherContainer(head)) return {};
  return RawStream(source, start);
}

}  // namespace framora
