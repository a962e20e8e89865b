// Songs into videos, the one engine below the console's queue and the command line's batch:
// the video each song becomes, songs that would share one, what is skipped, what a failed or
// stopped run leaves behind, and the sums at the end. It decides; the caller runs FFmpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.h"
#include "main_window/conversion_command.h"
#include "media/song_facts.h"

namespace framora::queue {

enum class Outcome { Waiting, Converted, Skipped, Failed, Stopped };

struct Song {
  std::string path;    // as the user named it; an album's first song
  std::string output;  // the video it becomes
  // The songs of one album video, in their order; empty for one song's video.
  std::vector<std::string> album;
  std::string trackList;  // an album's list of where each song starts, beside its video
  Outcome outcome = Outcome::Waiting;
  // What became of it, in a few words naming its video, once it is decided: "converted:
  // <video>", "skipped: File <video> allready exists ...", "failed to make <video>: <why>",
  // "stopped: <video> not made".
  std::string result;
  std::string why;                       // of a failure, in a few words
  std::optional<std::int32_t> exitCode;  // FFmpeg's, once it has run to its end
  bool outputStood = false;              // something stood at the output when its run started
  bool removed = false;                  // what its run left at the output was removed
};

struct Rules {
  std::string ffmpeg;
  // None: each song's own picture, and an album's first one found in its songs.
  std::string image;
  // Also how names compare: on Windows (cmd) letter case does not tell two files apart.
  ShellKind shell = ShellKind::Posix;
  // A video that exists is replaced (when it is a file), not skipped.
  bool overwrite = false;
  // A stopped run keeps what FFmpeg finished of its video (the window's single song, as Cancel
  // always did); otherwise it goes, so that a retry makes it anew instead of skipping it.
  bool keepStopped = false;
};

// Where each song's video goes: into `folder` (none: beside the song), named after the song with
// `extension`.
struct Naming {
  std::optional<std::string> folder;
  std::string extension = ".avi";
};

// How a run ended.
struct RunEnd {
  bool stopped = false;
  // The command goes on without us (the program ends and leaves it running): what it writes is
  // its own.
  bool leftRunning = false;
  std::optional<std::int32_t> exitCode;  // none: not known
  std::optional<std::string> error;      // the runner could not run it
};

struct Counts {
  std::size_t converted = 0;
  std::size_t skipped = 0;
  std::size_t failed = 0;
  std::size_t notConverted = 0;  // stopped, or never started
};

// The name of an album's track list: its video's, with ".txt".
std::string TrackListPathFor(const std::string& video, ShellKind shell);

// DIR/<name without its extension><extension>; DIR is the song's own folder without a folder.
std::string VideoPathFor(const std::string& song, const Naming& naming, ShellKind shell);
// The folder part of a path, without its last separator ("" for a bare name), and the name.
std::string FolderOf(const std::string& path, ShellKind shell);
std::string NameOf(const std::string& path, ShellKind shell);

class SongQueue {
 public:
  SongQueue(FileSystemPort& files, Rules rules);
  SongQueue(const SongQueue&) = delete;
  SongQueue& operator=(const SongQueue&) = delete;

  // One video per song, named by `naming`. Two songs with one video (the same name, or on
  // Windows the same name in another letter case) are a clash: the later one fails.
  void AddEach(const std::vector<std::string>& songs, const Naming& naming);
  // A song whose video is named as it is.
  void AddOne(const std::string& song, const std::string& output);
  // One video of all the songs, one after another, and its track list.
  void AddAlbum(const std::vector<std::string>& songs, const std::string& output);
  // An argument that names no song (a pattern that matches nothing): it fails, saying why.
  void AddRefused(const std::string& song, std::string why);

  std::size_t Size() const { return songs_.size(); }
  const Song& operator[](std::size_t i) const { return songs_[i]; }
  const Rules& GetRules() const { return rules_; }
  // The command that makes the song's video, worked out once (it reads the song: see
  // media/sound_probe.h), so that the console knows its own command again.
  std::string Command(std::size_t i) const;

  // Whether the song's run may start now (then it has begun, as BeginRun). False when it is
  // decided without FFmpeg: a clash, a song that is missing or a folder, a video that exists
  // (skipped unless overwriting), or something other than a file where an overwritten video
  // would go.
  bool Prepare(std::size_t i);
  // Whether the video can be made at all: a picture to show (and for an album, its songs' lengths
  // and the files its command reads). When not, the song fails, saying why, before FFmpeg runs.
  // Prepare checks this too.
  bool Makeable(std::size_t i);
  // An album's track list, as its file holds it.
  std::string TrackListText(std::size_t i) const;
  // What a song's file tells of itself, read once.
  const SongFacts& Facts(const std::string& song) const;
  // The song's run starts without those checks (a single song, which FFmpeg itself tells about):
  // what stands at its output now is noted, for the clean-up after the run.
  void BeginRun(std::size_t i);
  // Every song waits again, for a queue that is run once more.
  void Reset();
  // After the run that Prepare allowed. A run that did not make the video leaves nothing at the
  // output that it created there; whatever stood there before stays.
  void Finished(std::size_t i, const RunEnd& end);

  // Removes, when it runs, what stands at the song's video then if nothing stood there when
  // its run started: for a stopped command that may still be writing, run once it has ended.
  // It needs nothing of the queue, which may be gone by then.
  std::function<void()> Removal(std::size_t i) const;

  Counts Count() const;

 private:
  void Decide(Song& song, Outcome outcome, std::string result);
  void Fail(Song& song, const std::string& why);
  std::string Made(std::size_t i) const;
  // Removes what the song's run left, when nothing stood at its output before and a file
  // stands there now.
  void CleanUp(Song& song);
  // Two names of one file, as this system compares them.
  std::string Key(const std::string& path) const;
  // The video's picture: the chosen one, else the song's own (an album's first found).
  std::optional<PictureSource> Picture(const Song& song) const;
  bool Stands(const std::string& path, Song& song);
  std::string MadeAlbum(std::size_t i) const;

  // The files that albums' commands read, in a temporary folder that goes with the last of the
  // queue and the removals it handed out.
  struct TempFiles {
    TempFiles(FileSystemPort& port) : files(port), folder(port.MakeTempFolder()) {}
    TempFiles(const TempFiles&) = delete;
    TempFiles& operator=(const TempFiles&) = delete;
    FileSystemPort& files;
    std::optional<std::string> folder;
    std::vector<std::string> written;
    bool failed = false;
    ~TempFiles();
  };

  FileSystemPort& files_;
  Rules rules_;
  std::vector<Song> songs_;
  std::vector<std::optional<std::size_t>> clashWith_;
  std::vector<std::string> refusals_;          // why a song fails before anything is looked at
  mutable std::vector<std::string> commands_;  // worked out so far; empty: not yet
  mutable std::map<std::string, SongFacts> facts_;
  mutable std::shared_ptr<TempFiles> temp_;
};

}  // namespace framora::queue
