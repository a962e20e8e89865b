// Songs into videos, the one engine below the console's queue and the command line's batch:
// the video each song (or an album of songs) becomes, videos that would be one, what is
// skipped, what a failed or stopped run leaves behind, and the sums at the end. Its one loop
// runs the videos through a small port that runs a command; the fronts only say what happens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/ports.h"
#include "convert/album.h"
#include "convert/names.h"
#include "convert/picture.h"
#include "media/song_facts.h"

namespace framora::queue {

enum class Outcome { Waiting, Converted, Skipped, Failed, Stopped };

// One video the queue makes: of one song, or of an album's songs.
struct Video {
  std::vector<std::string> songs;  // as the user named them, in their order
  bool album = false;
  std::string output;     // the video
  std::string trackList;  // an album's list of where each song starts, beside its video
  // What the run writes until the video is whole, and its list: renamed into place once FFmpeg
  // has succeeded. Empty where the video is written at its own name (the window's one AVI).
  std::string part;
  std::string trackListPart;
  Outcome outcome = Outcome::Waiting;
  // What became of it, in a few words naming the video, once it is decided: "converted:
  // <video>", "skipped: File <video> allready exists ...", "failed to make <video>: <why>",
  // "stopped: <video> not made".
  std::string result;
  std::string why;                       // of a failure, in a few words
  std::optional<std::int32_t> exitCode;  // FFmpeg's, once it has run to its end
  bool outputStood = false;              // something stood at the output when its run started
  bool removed = false;                  // what its run left at the output was removed

  const std::string& FirstSong() const { return songs.front(); }
};

struct Rules {
  std::string ffmpeg;
  // None: each song's own picture, and an album's first one found in its songs.
  std::string image;
  // Also how names compare: on Windows (cmd) letter case does not tell two files apart.
  ShellKind shell = ShellKind::Posix;
  // A video that exists is replaced (when it is a file), not skipped.
  bool overwrite = false;
  // The window's one song runs as its command always did: FFmpeg itself tells of a song that is
  // missing, the video is made again (-y), and a stopped run keeps what FFmpeg finished of it.
  bool single = false;
  // How an MP4 shows its picture.
  convert::Frame frame = convert::Frame::Blur;
};

// How a run ended.
struct RunEnd {
  bool stopped = false;
  // FFmpeg repeated itself without getting further (a picture it cannot read, tried again for
  // every frame), and was stopped.
  bool stalled = false;
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

// What runs the queue's commands: the console's runner, or the batch's.
class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  // Runs the command to its end, or until it is stopped, and says how it ended.
  virtual RunEnd RunCommand(const std::string& command) = 0;
  // A stopped command may write on until its stop is over (and on Windows holds its files till
  // then): `work` runs once it has.
  virtual void AfterStop(std::function<void()> work) = 0;
};

class SongQueue;

// What the queue tells while it runs; each front says it in its own words.
class QueueReport {
 public:
  virtual ~QueueReport() = default;
  // Asked before each video: true ends the run there.
  virtual bool StopRequested() { return false; }
  // The video's command is about to run.
  virtual void VideoStarting(const SongQueue& /*queue*/, std::size_t /*video*/) {}
  // What became of the video is decided (run, skipped or failed before FFmpeg).
  virtual void VideoEnded(const SongQueue& queue, std::size_t video) = 0;
};

class SongQueue {
 public:
  SongQueue(FileSystemPort& files, Rules rules);
  SongQueue(const SongQueue&) = delete;
  SongQueue& operator=(const SongQueue&) = delete;
  ~SongQueue();

  // One video per song, named by `naming`. Two songs with one video (the same name, or on
  // Windows the same name in another letter case) are a clash: the later one fails.
  void AddEach(const std::vector<std::string>& songs, const convert::Naming& naming);
  // A song whose video is named as it is.
  void AddOne(const std::string& song, const std::string& output);
  // One video of all the songs, one after another, and its track list.
  void AddAlbum(const std::vector<std::string>& songs, const std::string& output);
  // An argument that names no song (a pattern that matches nothing): it fails, saying why.
  void AddRefused(const std::string& song, std::string why);

  std::size_t Size() const { return videos_.size(); }
  const Video& operator[](std::size_t i) const { return videos_[i]; }
  const Rules& GetRules() const { return rules_; }
  // One album video, or several videos: run as a queue, with a line for each.
  bool IsAlbum() const { return videos_.size() == 1 && videos_[0].album; }
  bool Several() const { return videos_.size() > 1 || IsAlbum(); }

  // The command that makes video i: as its run was prepared, or as it would be prepared now
  // (nothing is written for it). Where it takes two runs of FFmpeg, both, joined as a shell
  // runs one after the other.
  std::string Command(std::size_t i) const;
  // An album's track list as its file holds it (empty for one song's video).
  std::string TrackListText(std::size_t i) const;
  // How long video i lasts, where its songs' files tell it exactly.
  std::optional<double> Seconds(std::size_t i) const;
  // Where each song of album i starts, and its title.
  std::vector<convert::Track> Tracks(std::size_t i) const;
  // What a song's file tells of itself, read once.
  const media::SongFacts& Facts(const std::string& song) const;

  // The one loop: every video waits again, then each is prepared (decided without FFmpeg where
  // it can be, and what its command reads written), run and finished in turn, until the report
  // asks to stop or a run was stopped.
  void Run(CommandRunner& runner, QueueReport& report);

  Counts Count() const;

 private:
  // What a video's run needs: its command and the files it reads.
  // An MP4's picture is encoded once for the whole queue (once per picture and frame), by the
  // first video that needs it; the others repeat what it made.
  struct Segment {
    convert::PictureSource picture;
    convert::Frame frame;
    std::string path;
    bool made = false;
  };
  struct Plan {
    // The runs that make the video, in turn: the picture's segment first where it is made.
    std::vector<std::string> commands;
    std::vector<std::pair<std::string, std::string>> files;
    std::string trackList;               // an album's, as its file holds it
    std::optional<std::size_t> segment;  // the segment its first command makes
    std::optional<double> seconds;       // how long the video lasts
    std::vector<convert::Track> tracks;  // an album's
  };
  // The segment of the video's picture, taken on when it is new.
  std::size_t SegmentFor(const convert::PictureSource& picture) const;
  // The files the videos' commands read, in a temporary folder of the queue's own, made by the
  // first run that needs it; it goes with the last of the queue and the removals it handed out.
  struct TempFolder {
    TempFolder(FileSystemPort& port, std::string where) : files(port), path(std::move(where)) {}
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    FileSystemPort& files;
    std::string path;
    bool made = false;
    std::vector<std::string> written;
  };

  // Whether the video's run may start now. False when it is decided without FFmpeg: a clash, a
  // song that is missing or a folder, a video that exists (skipped unless overwriting),
  // something other than a file where an overwritten video would go, no picture, an album song
  // whose length is not known, or files its command reads that could not be written.
  bool Prepare(std::size_t i);
  bool Checked(std::size_t i);
  bool Written(std::size_t i);
  // After the run that Prepare allowed. A run that did not make the video leaves nothing at the
  // output that it created there; whatever stood there before stays.
  void Finished(std::size_t i, const RunEnd& end);
  // Removes, when it runs, what stands at the video then if nothing stood there when its run
  // started: for a stopped command that may still be writing. It needs nothing of the queue,
  // which may be gone by then.
  std::function<void()> Removal(std::size_t i) const;

  Plan PlanFor(std::size_t i) const;
  void Decide(Video& video, Outcome outcome, std::string result);
  void Fail(Video& video, const std::string& why);
  // Removes what the run left, when nothing stood at its output before and a file stands there.
  void CleanUp(Video& video);
  // The video's picture: the chosen one, else the song's own (an album's first found).
  std::optional<convert::PictureSource> Picture(const Video& video) const;
  bool Stands(const std::string& path, Video& video);
  // Why a video would be written over one of its own inputs (a song, the picture, FFmpeg), if it
  // would: by the files' identities, or, for a name where nothing stands yet, by full name.
  std::optional<std::string> OverAnInput(const Video& video);
  // Removes what a run left under the temporary names; false when something that is no file
  // stands there.
  bool ClearParts(Video& video);

  FileSystemPort& files_;
  Rules rules_;
  std::vector<Video> videos_;
  std::vector<std::optional<std::size_t>> clashWith_;
  std::vector<std::string> refusals_;          // why a video fails before anything is looked at
  std::vector<std::optional<Plan>> prepared_;  // the plans of the runs prepared so far
  mutable std::vector<Segment> segments_;
  mutable std::map<std::string, media::SongFacts> facts_;
  std::shared_ptr<TempFolder> temp_;
};

}  // namespace framora::queue
