// ReadSongFacts over a file of whatever bytes the fuzzer makes: it must never read past what it
// was given (ASan watches), must end, must never ask the port for a huge read (a real port
// allocates what it is asked for), and its facts must hold together: a length that is a number
// of seconds, picture types that exist, and the sound that ProbeSound finds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fakes/fake_file_system.h"
#include "fuzz_check.h"
#include "media/song_facts.h"

namespace {

struct WatchedFiles : framora::test::FakeFileSystem {
  std::string ReadBytes(const std::string& path, std::uint64_t offset, std::size_t count) override {
    largest = std::max(largest, count);
    return FakeFileSystem::ReadBytes(path, offset, count);
  }
  std::size_t largest = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WatchedFiles files;
  files.contents["song"] = std::string(reinterpret_cast<const char*>(data), size);
  const framora::media::SongFacts facts = framora::media::ReadSongFacts(files, "song");
  const std::string shown = framora::fuzz::Visible(files.contents["song"].substr(0, 64));
  using framora::fuzz::Check;
  const std::optional<double> seconds = facts.Seconds();
  Check(!seconds || (std::isfinite(*seconds) && *seconds >= 0),
        "a length that is no number of seconds, from " + shown);
  Check(!facts.samples || facts.rate > 0, "a count of samples without their rate, from " + shown);
  for (const framora::media::EmbeddedPicture& picture : facts.pictures)
    Check(picture.type >= 0 && picture.type <= 20,
          "a picture type that does not exist, from " + shown);
  Check(files.largest <= 256 * 1024,
        "a read of " + std::to_string(files.largest) + " bytes, from " + shown);
  Check(facts.sound == framora::media::ProbeSound(files, "song"),
        "another sound than the probe's, from " + shown);
  return 0;
}
