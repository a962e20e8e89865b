// What the program knows of a song from its bytes: its sound, its length, its tags and the
// pictures it carries. Read in the core, never guessed from the file's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.h"
#include "media/sound_probe.h"

namespace framora::media {

// A picture a song carries (an ID3 APIC frame, an MP4 "covr" item, a FLAC PICTURE block).
struct EmbeddedPicture {
  int type = 0;  // ID3/FLAC picture type: 3 is the front cover; "covr" counts as one
};

// How the sound is stored: what decides whether songs can be joined by copying their packets.
enum class Container { Other, Mp3Frames, AdtsFrames, Mp4, Wave, Flac, Ogg, Amr };

struct SongFacts {
  SoundFacts sound;
  Container container = Container::Other;
  // The sound's length as FFmpeg's decoder gives it, in samples at `rate` (an MP3's encoder
  // delay and padding taken off where its LAME tag tells them, an M4A's priming where its edit
  // list does); nothing when the bytes do not tell it exactly.
  std::optional<std::uint64_t> samples;
  int rate = 0;
  // A stream of MP3 or ADTS frames that all agree (rate, channel count): the samples its frames
  // hold, which is how long a copy of them lasts in a video. Nothing for anything else.
  std::optional<std::uint64_t> frameSamples;
  // The length in seconds, from `samples`.
  std::optional<double> Seconds() const {
    if (!samples || rate <= 0) return std::nullopt;
    return static_cast<double>(*samples) / rate;
  }
  // Tags, UTF-8; empty when the song has none.
  std::string title;
  std::string artist;
  std::string album;
  // In the order in which FFmpeg numbers them as the file's video streams.
  std::vector<EmbeddedPicture> pictures;

  // The picture to show, as the index of the song's video stream: its first front cover, else
  // its first picture; nothing without pictures.
  std::optional<std::size_t> Cover() const {
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      if (pictures[i].type == 3) return i;
    }
    if (pictures.empty()) return std::nullopt;
    return 0;
  }
};

// Reads what the song's file tells of itself; a file that cannot be read tells nothing.
SongFacts ReadSongFacts(FileSystemPort& files, const std::string& path);

}  // namespace framora::media
