// The readers behind ReadSongFacts, one a format, and what they share. Each reads what its
// format tells of the song into SongFacts; a broken or cut file tells less, never more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "media/byte_source.h"
#include "media/mpeg_frame.h"
#include "media/song_facts.h"

namespace framora::media {

// The most of one tag value that is read: a longer title is no title.
inline constexpr std::size_t kMaxText = 4096;
// How much of a picture's frame or block is read to learn its type and format.
inline constexpr std::size_t kPictureHead = 512;
// Chunks, blocks, frames and pages walked in one file: more is a broken file.
inline constexpr int kMaxChunks = 4096;
inline constexpr std::uint64_t kMaxComments = 4096;

// Where a piece of a file lies.
struct Span {
  std::uint64_t at = 0;
  std::uint64_t size = 0;
};

// Text up to its first NUL.
std::string CutAtNul(std::string_view text);
// The tag a Vorbis comment or an INFO chunk names in lower case, if it is one that is read.
std::string* TagNamed(std::string_view name, SongFacts& facts);
// The picture formats FFmpeg makes a stream of, by MIME type (ID3v2.2 by a file type).
bool KnownPictureFormat(std::string_view format, bool anyCase);
// Picture types past "publisher logo" (20) are read as "other".
int PictureType(std::uint64_t type);
// A FLAC PICTURE block, from its first bytes.
void AddFlacPicture(std::string_view block, SongFacts& facts);
std::string FromBase64(std::string_view text);

// ID3v2 tags from offset on (MP3, and the "id3 " chunk of a WAV); the offset just past them.
std::uint64_t ReadId3Tags(ByteSource& source, std::uint64_t offset, SongFacts& facts);
// An MP3 or ADTS stream's length, its frames counted.
void ReadMpegLength(ByteSource& source, const MpegStream& stream, SongFacts& facts);
void ReadMp4(ByteSource& source, SongFacts& facts);
// Vorbis comments (FLAC, Ogg Vorbis, Opus), read through `read` up to `end`.
using ReadAt = std::function<std::string(std::uint64_t offset, std::size_t count)>;
void ReadVorbisComments(const ReadAt& read, std::uint64_t end, SongFacts& facts);
// FLAC's metadata blocks from `at`, just past "fLaC".
void ReadFlac(ByteSource& source, std::uint64_t at, SongFacts& facts);
void ReadOgg(ByteSource& source, SongFacts& facts);
void ReadAmr(ByteSource& source, bool wide, SongFacts& facts);
void ReadWav(ByteSource& source, SongFacts& facts);

}  // namespace framora::media
