// A file's bytes read through the file-system port, a block at a time: the walks below read
// many small headers close to one another, and each read through the port opens the file.
#pragma once

#include <cstdint>
#include <optional>
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
  // Whether the file has a byte at offset; asked of the port itself, as a block read there
  // would fetch far more than one byte.
  bool Has(std::uint64_t offset);
  // The file's size, which the port does not tell: found by halving the range between a byte
  // that is there and one that is not.
  std::uint64_t Size();

 private:
  static constexpr std::size_t kBlock = 128 * 1024;

  FileSystemPort& files_;
  std::string path_;
  std::uint64_t blockStart_ = 0;
  std::string block_;
  std::optional<std::uint64_t> size_;
};

// The unsigned number in the first `count` bytes (at most 8) of bytes.
std::uint64_t BigEndian(std::string_view bytes, std::size_t count);
std::uint64_t LittleEndian(std::string_view bytes, std::size_t count);

}  // namespace framora::media
