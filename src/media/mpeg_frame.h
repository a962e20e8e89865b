// The frames of a raw MPEG audio stream, MP3 or ADTS AAC: each begins with a header that tells
// its length, so a stream is found, and walked, header by header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "media/byte_source.h"
#include "media/sound_probe.h"

namespace framora::media {

struct MpegFrame {
  SoundFacts facts;
  std::uint32_t kind = 0;  // what every frame of one stream has in common
  std::uint64_t length = 0;
  int samples = 0;  // per channel
};

// An MPEG-1, 2 or 2.5 Layer III frame from its first 4 bytes. Free format (bitrate 0) is left
// out: its frames have no length in their headers.
std::optional<MpegFrame> Mp3Frame(std::string_view header);

// An ADTS frame of AAC, as ".aac" files hold it, from its first 7 bytes.
std::optional<MpegFrame> AdtsFrame(std::string_view header);

using FrameParser = std::optional<MpegFrame> (*)(std::string_view);

struct MpegStream {
  std::uint64_t start = 0;  // its first frame
  MpegFrame first;
  FrameParser parser = nullptr;
};

// The first stream of MP3 or ADTS frames from offset on, after at most a little junk (which
// encoders and taggers leave): a few frames of one kind in a row, or fewer that end the file.
std::optional<MpegStream> FindMpegStream(ByteSource& source, std::uint64_t offset);

// The sample rates of AAC by their index, in ADTS headers and in MP4 descriptions alike.
inline constexpr std::array<int, 13> kAacRates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                                  22050, 16000, 12000, 11025, 8000,  7350};

}  // namespace framora::media
