#include "media/mpeg_frame.h"

#include "media/song_readers.h"

namespace framora::media {

namespace {
// Frames in a row that make a stream, unless the file ends before.
constexpr int kFramesInARow = 4;
// How far after the tags the first frame may start.
constexpr std::uint64_t kJunk = 64 * 1024;

// Frames of one kind at offset: so many in a row, or fewer that end the file.
std::optional<MpegFrame> StreamAt(ByteSource& source, std::uint64_t offset, FrameParser frameAt) {
  std::optional<MpegFrame> first;
  for (int frames = 0; frames < kFramesInARow; ++frames) {
    const std::string header = source.Read(offset, 7);
    // The file may end right after the last whole frame.
    if (header.empty() && frames >= 2 && source.Read(offset - 1, 1).size() == 1) break;
    const std::optional<MpegFrame> frame = frameAt(header);
    if (!frame || (first && frame->kind != first->kind)) return std::nullopt;
    if (!first) first = frame;
    offset += frame->length;
  }
  return first;
}
}  // namespace

std::optional<MpegFrame> Mp3Frame(std::string_view h) {
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
  MpegFrame frame;
  // MP4 writers refuse MPEG-2.5's rates (8 to 12 kHz), which the MP4 standard leaves out.
  frame.facts = {.codec = SoundCodec::Mp3,
                 .sampleRate = sampleRate,
                 .channels = (bits >> 6 & 3) == 3 ? 1 : 2,
                 .copyable = version != 0};
  frame.kind = bits & 0xFFFE0C00;  // sync, version, layer, sample rate
  frame.length = (version == 3 ? 144 : 72) * 1000ULL * kbps / sampleRate + padding;
  frame.samples = version == 3 ? 1152 : 576;
  return frame;
}

std::optional<MpegFrame> AdtsFrame(std::string_view h) {
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
  MpegFrame frame;
  frame.facts = {.codec = SoundCodec::Aac,
                 .sampleRate = kAacRates[rate],
                 .channels = channels == 7 ? 8 : static_cast<int>(channels),
                 .copyable = profile == 1};
  // MPEG version, layer, checksum, profile, sample rate and channels; not the private bit
  frame.kind = static_cast<std::uint32_t>(bits >> 30 & 0x3FF7);
  frame.length = length;
  frame.samples = 1024 * static_cast<int>((bits & 3) + 1);  // its raw data blocks
  return frame;
}

std::optional<MpegStream> FindMpegStream(ByteSource& source, std::uint64_t offset) {
  for (std::uint64_t at = offset; at < offset + kJunk; ++at) {
    const std::string sync = source.Read(at, 2);
    if (sync.size() < 2) break;
    // Both kinds of frame begin with 11 bits set.
    if (static_cast<unsigned char>(sync[0]) != 0xFF ||
        (static_cast<unsigned char>(sync[1]) & 0xE0) != 0xE0)
      continue;
    for (FrameParser frameAt : {&Mp3Frame, &AdtsFrame}) {
      if (const std::optional<MpegFrame> first = StreamAt(source, at, frameAt))
        return MpegStream{.start = at, .first = *first, .parser = frameAt};
    }
  }
  return std::nullopt;
}

namespace {

// What an encoder may put in the first frame instead of sound: Xing's header (or "Info"), or
// VBRI, with the count of the frames after it; after Xing's, LAME's tag (or FFmpeg's own),
// with the samples of delay before the sound and of padding after it.
struct InfoFrame {
  std::optional<std::uint64_t> frames;
  std::optional<std::uint64_t> delay;
  std::optional<std::uint64_t> padding;
};

std::optional<InfoFrame> ReadInfoFrame(ByteSource& source, const MpegStream& stream) {
  const std::string frame = source.Read(stream.start, 256);
  const std::string_view f(frame);
  const bool mpeg1 = stream.first.samples == 1152;
  const bool mono = stream.first.facts.channels == 1;
  const std::size_t xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));  // the side info
  if (f.size() >= xing + 8 && (f.substr(xing, 4) == "Xing" || f.substr(xing, 4) == "Info")) {
    const std::uint64_t flags = BigEndian(f.substr(xing + 4), 4);
    InfoFrame info;
    std::size_t at = xing + 8;
    if (flags & 1) {
      if (f.size() >= at + 4) info.frames = BigEndian(f.substr(at), 4);
      at += 4;
    }
    at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    const std::string_view encoder = f.size() >= at + 24 ? f.substr(at, 4) : std::string_view();
    if (encoder == "LAME" || encoder == "Lavf" || encoder == "Lavc") {
      const std::uint64_t both = BigEndian(f.substr(at + 21), 3);
      info.delay = both >> 12;
      info.padding = both & 0xFFF;
    }
    return info;
  }
  if (f.size() >= 36 + 18 && f.substr(36, 4) == "VBRI")
    return InfoFrame{.frames = BigEndian(f.substr(36 + 14), 4), .delay = {}, .padding = {}};
  return std::nullopt;
}

// Whether the stream's walk ended where nothing but tags follow: otherwise FFmpeg would find
// more frames after what broke the walk, and the count would be short.
bool EndsThere(ByteSource& source, std::uint64_t at) {
  const std::string rest = source.Read(at, 8);
  return rest.empty() || rest.starts_with("TAG") || rest.starts_with("APETAGEX") ||
         rest.starts_with("LYRICS");
}

}  // namespace

void ReadMpegLength(ByteSource& source, const MpegStream& stream, SongFacts& facts) {
  const bool mp3 = stream.parser == &Mp3Frame;
  const std::optional<InfoFrame> info = mp3 ? ReadInfoFrame(source, stream) : std::nullopt;
  // Every frame to the end of the stream, the info frame (which holds no sound) aside; all of
  // one kind and one channel count, or the packets a copy takes would not all agree.
  std::uint64_t frames = 0;
  std::uint64_t at = stream.start;
  bool alike = true;
  for (;;) {
    const std::optional<MpegFrame> frame = stream.parser(source.Read(at, 7));
    if (!frame || frame->kind != stream.first.kind) break;
    alike = alike && frame->facts.channels == stream.first.facts.channels &&
            frame->samples == stream.first.samples;
    frames += 1;
    at += frame->length;
  }
  if (info && frames > 0) --frames;
  facts.container = mp3 ? Container::Mp3Frames : Container::AdtsFrames;
  facts.rate = stream.first.facts.sampleRate;
  if (frames == 0 || !EndsThere(source, at)) return;
  const std::uint64_t held = frames * static_cast<std::uint64_t>(stream.first.samples);
  if (alike) facts.frameSamples = held;
  // FFmpeg's decoder drops what LAME's tag says the encoder added: the delay, with its own
  // 529 samples of decoder delay, and the padding beyond those.
  std::uint64_t drop = 0;
  if (info && info->delay) {
    drop = *info->delay + 529 + (*info->padding > 529 ? *info->padding - 529 : 0);
  }
  if (held > drop) facts.samples = held - drop;
}

}  // namespace framora::media
