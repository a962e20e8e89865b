// One video of a whole album: the songs' sound joined end to end under one picture, a chapter
// per song in an MP4, and a track list for the video's description. FFmpeg reads the songs
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

// Whether the sound can be joined by copying: every song MP3, or every song AAC, that the video
// holds as it is, all at one sample rate and channel count. An AVI copies MP3 only.
bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4);

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

// The plan that makes `output` of the songs (every song's length known) and the picture, the
// command reading the rest from files in `folder` (a temporary folder of its own). The sound is
// copied when it can be; otherwise it is encoded once: AAC in an MP4, PCM in an AVI (which holds
// it as it holds a WAV's sound, without a second lossy coding, and is small beside the AVI's
// Motion JPEG frames).
AlbumPlan PlanAlbum(const std::string& ffmpeg, const PictureSource& picture,
                    const std::vector<AlbumSong>& songs, const std::string& output,
                    const std::string& folder, ShellKind shell);

}  // namespace framora::convert
