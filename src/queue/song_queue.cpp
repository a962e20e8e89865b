#include "queue/song_queue.h"

#include <random>

#include "convert/song_command.h"

namespace framora::queue {

namespace {

// A name no other run picks: the folder is made only when a run needs it, and its name must be
// known before, for the commands that name its files.
std::string UniqueFolderName() {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device random;
  std::string name = "framora-";
  for (int i = 0; i < 12; ++i) name += kDigits[random() % 36];
  return name;
}

}  // namespace

SongQueue::SongQueue(FileSystemPort& files, Rules rules)
    : files_(files),
      rules_(std::move(rules)),
      temp_(std::make_shared<TempFolder>(
          files, JoinPath(files.TempFolder(), UniqueFolderName(), rules_.shell))) {}

SongQueue::~SongQueue() = default;

SongQueue::TempFolder::~TempFolder() {
  for (const std::string& file : written) files.RemoveFile(file);
  if (made) files.RemoveFolder(path);
}

void SongQueue::AddEach(const std::vector<std::string>& songs, const convert::Naming& naming) {
  for (const std::string& song : songs)
    AddOne(song, convert::VideoPathFor(song, naming, rules_.shell));
}

void SongQueue::AddOne(const std::string& song, const std::string& output) {
  std::optional<std::size_t> clash;
  const std::string key = PathKey(output, rules_.shell);
  for (std::size_t i = 0; i < videos_.size() && !clash; ++i) {
    if (!videos_[i].output.empty() && PathKey(videos_[i].output, rules_.shell) == key) clash = i;
  }
  Video added;
  added.songs = {song};
  added.output = output;
  videos_.push_back(std::move(added));
  clashWith_.push_back(clash);
  refusals_.emplace_back();
  prepared_.emplace_back();
}

void SongQueue::AddAlbum(const std::vector<std::string>& songs, const std::string& output) {
  AddOne(songs.empty() ? "" : songs.front(), output);
  Video& album = videos_.back();
  album.songs = songs;
  album.album = true;
  album.trackList = convert::TrackListPathFor(output, rules_.shell);
  if (songs.empty()) {
    album.songs = {""};
    refusals_.back() = "an album needs songs";
  }
}

void SongQueue::AddRefused(const std::string& song, std::string why) {
  AddOne(song, "");
  refusals_.back() = std::move(why);
}

const media::SongFacts& SongQueue::Facts(const std::string& song) const {
  auto known = facts_.find(song);
  if (known == facts_.end()) known = facts_.emplace(song, media::ReadSongFacts(files_, song)).first;
  return known->second;
}

std::optional<convert::PictureSource> SongQueue::Picture(const Video& video) const {
  if (!rules_.image.empty()) return convert::PictureSource(rules_.image);
  for (const std::string& song : video.songs) {
    if (const auto cover = Facts(song).Cover()) return convert::PictureSource(song, *cover);
  }
  return std::nullopt;
}

SongQueue::Plan SongQueue::PlanFor(std::size_t i) const {
  const Video& video = videos_[i];
  // Without a picture the command shows what is missing; the video fails before it runs.
  const convert::PictureSource picture = Picture(video).value_or(convert::PictureSource());
  if (!video.album) {
    return {convert::BuildConversionCommand(rules_.ffmpeg, picture, video.FirstSong(), video.output,
                                            rules_.shell, Facts(video.FirstSong()).sound),
            {},
            {}};
  }
  std::vector<convert::AlbumSong> songs;
  for (const std::string& song : video.songs) songs.push_back({files_.FullPath(song), Facts(song)});
  convert::AlbumPlan album =
      convert::PlanAlbum(rules_.ffmpeg, picture, songs, video.output, temp_->path, rules_.shell);
  return {std::move(album.command), std::move(album.files), std::move(album.trackList)};
}

std::string SongQueue::Command(std::size_t i) const {
  return prepared_[i] ? prepared_[i]->command : PlanFor(i).command;
}

std::string SongQueue::TrackListText(std::size_t i) const {
  if (!videos_[i].album) return {};
  return prepared_[i] ? prepared_[i]->trackList : PlanFor(i).trackList;
}

void SongQueue::Fail(Video& video, const std::string& why) {
  video.why = why;
  Decide(video, Outcome::Failed,
         (video.output.empty() ? "failed: " : "failed to make " + video.output + ": ") + why);
}

void SongQueue::Decide(Video& video, Outcome outcome, std::string result) {
  video.outcome = outcome;
  video.result = std::move(result);
}

void SongQueue::Run(CommandRunner& runner, QueueReport& report) {
  for (std::size_t i = 0; i < videos_.size(); ++i) {
    Video& video = videos_[i];
    video.outcome = Outcome::Waiting;
    video.result.clear();
    video.why.clear();
    video.exitCode.reset();
    video.outputStood = video.removed = false;
    prepared_[i].reset();
  }
  for (std::size_t i = 0; i < videos_.size(); ++i) {
    if (report.StopRequested()) break;
    if (Prepare(i)) {
      report.VideoStarting(*this, i);
      const RunEnd end = runner.RunCommand(prepared_[i]->command);
      if (end.stopped && !rules_.single) runner.AfterStop(Removal(i));
      Finished(i, end);
    }
    report.VideoEnded(*this, i);
    if (videos_[i].outcome == Outcome::Stopped) break;
  }
}

bool SongQueue::Prepare(std::size_t i) {
  if (!Checked(i) || !Written(i)) return false;
  videos_[i].outputStood = files_.KindAt(videos_[i].output) != PathKind::None;
  return true;
}

bool SongQueue::Checked(std::size_t i) {
  Video& video = videos_[i];
  if (!refusals_[i].empty()) {
    Fail(video, refusals_[i]);
    return false;
  }
  if (clashWith_[i]) {
    // Never one video for two songs: the later one would replace what the earlier one made.
    Fail(video, "same output as " + videos_[*clashWith_[i]].FirstSong());
    return false;
  }
  if (!rules_.single) {
    for (const std::string& song : video.songs) {
      if (files_.IsNormalFile(song) || files_.KindAt(song) == PathKind::File) continue;
      const std::string what = video.album ? song : "the song";
      Fail(video, files_.IsFolder(song)
                      ? what + " is a folder"
                      : "there is no such song" + (video.album ? ": " + song : ""));
      return false;
    }
    if (Stands(video.output, video) || (video.album && Stands(video.trackList, video)))
      return false;
  }
  for (const std::string& song : video.songs) {
    if (video.album && !Facts(song).seconds) {
      Fail(video, "the length of " + song + " cannot be told from its file");
      return false;
    }
  }
  // A single song that is not there has no picture either: FFmpeg tells of it, as of any missing
  // input (a queue has refused it above).
  const bool missing = !video.album && files_.KindAt(video.FirstSong()) == PathKind::None;
  if (!Picture(video) && !missing) {
    Fail(video, video.album ? "no song carries a picture, and none was chosen"
                            : video.FirstSong() + " carries no picture, and none was chosen");
    return false;
  }
  return true;
}

bool SongQueue::Written(std::size_t i) {
  Plan plan = PlanFor(i);
  if (!plan.files.empty() && !temp_->made) temp_->made = files_.MakeFolder(temp_->path);
  for (const auto& [path, content] : plan.files) {
    if (!temp_->made || !files_.WriteFile(path, content)) {
      Fail(videos_[i], "the files its command reads could not be written in " + temp_->path);
      return false;
    }
    temp_->written.push_back(path);
  }
  prepared_[i] = std::move(plan);
  return true;
}

bool SongQueue::Stands(const std::string& path, Video& video) {
  const PathKind there = files_.KindAt(path);
  if (there != PathKind::None && !rules_.overwrite) {
    Decide(video, Outcome::Skipped, "skipped: " + convert::OutputExistsMessage(path));
    return true;
  }
  if (there != PathKind::None && there != PathKind::File) {
    // Only a video is replaced on request; FFmpeg would write through a link, and fail on a
    // folder.
    Fail(video,
         there == PathKind::Folder ? "a folder stands there" : "what stands there is no file");
    return true;
  }
  return false;
}

void SongQueue::CleanUp(Video& video) {
  if (video.outputStood || files_.KindAt(video.output) != PathKind::File) return;
  video.removed = files_.RemoveFile(video.output);
}

void SongQueue::Finished(std::size_t i, const RunEnd& end) {
  Video& video = videos_[i];
  video.exitCode = end.stopped || end.leftRunning ? std::nullopt : end.exitCode;
  if (end.leftRunning) {
    Decide(video, Outcome::Stopped, "left running: " + video.output);
    return;
  }
  if (end.stopped) {
    Decide(video, Outcome::Stopped, "stopped: " + video.output + " not made");
    return;
  }
  std::string why;
  if (end.error) {
    why = *end.error;
  } else if (!end.exitCode) {
    why = "FFmpeg's exit code is unknown";
  } else if (*end.exitCode != 0) {
    why = "FFmpeg's exit code " + std::to_string(*end.exitCode);
  } else if (files_.KindAt(video.output) != PathKind::File) {
    why = "FFmpeg ended (exit code 0) without writing it";
  } else if (!video.album) {
    Decide(video, Outcome::Converted, "converted: " + video.output);
    return;
  } else {
    Decide(video, Outcome::Converted,
           "converted: " + video.output +
               (files_.WriteFile(video.trackList, prepared_[i]->trackList)
                    ? ", its track list: " + video.trackList
                    : "; its track list could not be written: " + video.trackList));
    return;
  }
  CleanUp(video);
  Fail(video, why);
}

std::function<void()> SongQueue::Removal(std::size_t i) const {
  // The album's files go with the last one who needs them.
  if (videos_[i].outputStood || videos_[i].output.empty()) return [temp = temp_] {};
  return [&files = files_, output = videos_[i].output, temp = temp_] {
    if (files.KindAt(output) == PathKind::File) files.RemoveFile(output);
  };
}

Counts SongQueue::Count() const {
  Counts counts;
  for (const Video& video : videos_) {
    switch (video.outcome) {
      case Outcome::Converted:
        ++counts.converted;
        break;
      case Outcome::Skipped:
        ++counts.skipped;
        break;
      case Outcome::Failed:
        ++counts.failed;
        break;
      case Outcome::Waiting:
      case Outcome::Stopped:
        ++counts.notConverted;
        break;
    }
  }
  return counts;
}

}  // namespace framora::queue
