// ProbeSound over a file of whatever bytes the fuzzer makes: it must never read past what it
// was given (ASan watches), must end, and its facts must hold together: a sound that may be
// copied is MP3 at 16 kHz or more, or AAC.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fakes/fake_file_system.h"
#include "fuzz_check.h"
#include "media/sound_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  framora::test::FakeFileSystem files;
  files.contents["song"] = std::string(reinterpret_cast<const char*>(data), size);
  const framora::media::SoundFacts facts = framora::media::ProbeSound(files, "song");
  const std::string shown = framora::fuzz::Visible(files.contents["song"].substr(0, 64));
  using framora::media::SoundCodec;
  framora::fuzz::Check(!facts.copyable || facts.codec == SoundCodec::Aac ||
                           (facts.codec == SoundCodec::Mp3 && facts.sampleRate >= 16000),
                       "a sound to copy that an MP4 cannot hold, from " + shown);
  framora::fuzz::Check(facts.codec != SoundCodec::Other || facts == framora::media::SoundFacts{},
                       "facts of a sound that is no MP3 or AAC, from " + shown);
  return 0;
}
