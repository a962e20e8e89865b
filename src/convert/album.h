// One video of a whole album: the songs' sound joined end to end under one picture, a chapter
// per song in an MP4, and a track list for the video's description. Each song's chapter starts
// where its sound does, by construction: copied packets are placed by the lengths the program
// counted, and encoded songs are cut or padded to exactly those lengths. FFmpeg reads the songs
// from files the command names, so that the command line stays short however many songs and
// however long their paths (cmd.exe takes at most 8,191 characters).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "convert/picture.h"
#include "convert/track_list.h"
#include "media/song_facts.h"

namespace framora::convert {

struct AlbumSong {
  std::string path;  // from the system's root: FFmpeg reads it from a file elsewhere
  media::SongFacts facts;
};

// Whether joining the songs' packets as they are gives exactly the songs one after another:
// every song a stream of MP3 frames (at 16 kHz or more, which an MP4 holds), or every song one
// of ADTS frames, all alike (one rate, one channel count) and counted to the last frame, and no
// line break in a name, which FFmpeg's list of files cannot hold. An AVI copies MP3 only.
bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4);

struct AlbumRequest {
  PictureSource picture;
  std::vector<AlbumSong> songs;  // every song's length known (samples)
  std::string output;            // the video's name, which tells its kind
  std::string writeTo;           // where FFmpeg writes it: a temporary name beside it
  std::string folder;            // a temporary folder of its own, for the files FFmpeg reads
  std::string segment;           // an MP4's picture, made before by SegmentArguments
};

// Everything an album video is made of, worked out once: where each song starts, the track list
// as its file holds it, and the command with the files it reads.
struct AlbumPlan {
  std::vector<Track> tracks;
  double seconds = 0;
  std::string trackList;
  std::string command;
  // What the command reads, to write before it runs: path and content.
  std::vector<std::pair<std::string, std::string>> files;
};

// The sound is copied when that is exact; otherwise it is encoded once: AAC in an MP4, PCM in
// an AVI (which holds it as it holds a WAV's sound, without a second lossy coding, and is small
// beside the AVI's Motion JPEG frames).
AlbumPlan PlanAlbum(const std::string& ffmpeg, const AlbumRequest& request, ShellKind shell);

}  // namespace framora::convert
