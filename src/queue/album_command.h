// One video of a whole album: the songs' sound joined end to end under one picture, a chapter
// per song in an MP4, and a track list for the video's description. FFmpeg reads the songs
// from files the command names, so that the command line stays short however many songs and
// however long their paths (cmd.exe takes at most 8,191 characters).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "main_window/conversion_command.h"
#include "media/song_facts.h"

namespace framora {

struct AlbumSong {
  std::string path;  // from the system's root: FFmpeg reads it from a file elsewhere
  SongFacts facts;
};

struct Track {
  double start = 0;  // seconds from the album's start
  std::string title;
};

// Where each song starts, titled by its title tag, or else by its file name without the
// extension; a line break in a title becomes a blank. Every song's length must be known.
std::vector<Track> AlbumTracks(const std::vector<AlbumSong>& songs, ShellKind shell);
double AlbumSeconds(const std::vector<AlbumSong>& songs);

// One line per song, its start and its title: "m:ss", or "h:mm:ss" when the album lasts an hour
// or more, as sharing sites read a video's description. Lines end as the system's text files do.
std::string TrackList(const std::vector<Track>& tracks, double albumSeconds, ShellKind shell);

// Whether the sound can be joined by copying: every song MP3, or every song AAC, that the video
// holds as it is, all at one sample rate and channel count. An AVI copies MP3 only.
bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4);

struct AlbumCommand {
  std::string command;
  // What the command reads, to write before it runs: path and content.
  std::vector<std::pair<std::string, std::string>> files;
};

// The command that makes `output` of the songs and the picture, reading the rest from files in
// `folder` (a temporary folder of its own). The sound is copied when it can be; otherwise it is
// encoded once: AAC in an MP4, PCM in an AVI (which holds it as it holds a WAV's sound, without
// a second lossy coding, and is small beside the AVI's Motion JPEG frames).
AlbumCommand BuildAlbumCommand(const std::string& ffmpeg, const PictureSource& picture,
                               const std::vector<AlbumSong>& songs, const std::string& output,
                               const std::string& folder, ShellKind shell);

// Quotings of the files the command reads: a path in FFmpeg's concat list, a value of a
// filter's option in a filter graph, and a value in FFmpeg's metadata file.
std::string ConcatListQuote(const std::string& path);
std::string FilterOptionValue(const std::string& value);
std::string MetadataEscape(const std::string& value);

}  // namespace framora
