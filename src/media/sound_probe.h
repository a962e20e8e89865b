// What a song's file holds, read from its first bytes rather than guessed from its name: an
// MP3 named ".wav" is still MP3, and a WAV named ".mp3" is not.
#pragma once

#include <string>

#include "app/ports.h"

namespace framora::media {

enum class SoundCodec { Other, Mp3, Aac };

struct SoundFacts {
  SoundCodec codec = SoundCodec::Other;
  int sampleRate = 0;  // Hz; 0 when not known
  int channels = 0;    // 0 when not known
  // An MP4 can hold the sound as it is and the sharing sites take it: MP3, and AAC of the
  // profiles every player decodes (LC, and HE built on it).
  bool copyable = false;

  bool operator==(const SoundFacts&) const = default;
};

// Recognises MP3 (after any ID3v2 tags and a little junk), ADTS AAC and MP4/M4A files with AAC
// inside; everything else, a file that cannot be read included, is Other.
SoundFacts ProbeSound(FileSystemPort& files, const std::string& path);

}  // namespace framora::media
