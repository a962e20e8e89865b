// A file's bytes read through the file-system port, a block at a time: the walks below read
// many small headers close to one another, and each read through the port opens the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "app/ports.h"

namespace framora::media {

class ByteSource {
 public:
  ByteSource(FileSystemPort& files, std::string path) : files_(files), path_(std::move(path)) {}

  // At most `count` bytes from `offset` on: fewer at the end of the file, none past it.
  std::string Read(std::uint64_t offset, std::size_t count);

 private:
  static constexpr std::size_t kBlock = 128 * 1024;

  FileSystemPort& files_;
  std::string path_;
  std::uint64_t blockStart_ = 0;
  std::string block_;
};

// The unsigned big-endian number in the first `count` bytes (at most 8) of bytes.
std::uint64_t BigEndian(std::string_view bytes, std::size_t count);

}  // namespace framora::media
