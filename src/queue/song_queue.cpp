#include "queue/song_queue.h"

#include <random>

#include "convert/command_text.h"
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
  // Written under a temporary name and renamed once whole; but for the window's one AVI, whose
  // command stays as it always was.
  const bool direct = rules_.single && !convert::IsMp4Output(output);
  std::optional<std::size_t> clash;
  const std::string key = PathKey(output, rules_.shell);
  for (std::size_t i = 0; i < videos_.size() && !clash; ++i) {
    if (!videos_[i].output.empty() && PathKey(videos_[i].output, rules_.shell) == key) clash = i;
  }
  Video added;
  added.songs = {song};
  added.output = output;
  if (!direct && !output.empty()) added.part = convert::PartPathFor(output, rules_.shell);
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
  album.trackListPart = convert::PartPathFor(album.trackList, rules_.shell);
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
  // A song without a picture of its own shows the first one found among the queue's songs, as
  // it would in their album.
  for (const Video& other : videos_) {
    for (const std::string& song : other.songs) {
      if (const auto cover = Facts(song).Cover()) return convert::PictureSource(song, *cover);
    }
  }
  return std::nullopt;
}

std::size_t SongQueue::SegmentFor(const convert::PictureSource& picture) const {
  for (std::size_t s = 0; s < segments_.size(); ++s) {
    if (segments_[s].picture == picture && segments_[s].frame == rules_.frame) return s;
  }
  const std::string name = "picture-" + std::to_string(segments_.size() + 1) + ".mp4";
  segments_.push_back({picture, rules_.frame, JoinPath(temp_->path, name, rules_.shell), false});
  return segments_.size() - 1;
}

SongQueue::Plan SongQueue::PlanFor(std::size_t i) const {
  const Video& video = videos_[i];
  // Without a picture the command shows what is missing; the video fails before it runs.
  const convert::PictureSource picture = Picture(video).value_or(convert::PictureSource());
  Plan plan;
  std::string segment;
  if (convert::IsMp4Output(video.output)) {
    const std::size_t s = SegmentFor(picture);
    segment = segments_[s].path;
    if (!segments_[s].made) {
      const std::string graph = segment.substr(0, segment.size() - 4) + ".txt";
      plan.files.emplace_back(graph, convert::SegmentGraph(picture, rules_.frame) + "\n");
      plan.commands.push_back(convert::FfmpegCommand(
          rules_.ffmpeg,
          convert::SegmentArguments(picture, rules_.frame, graph, segment, rules_.shell),
          rules_.shell));
      plan.segment = s;
    }
  }
  if (!video.album) {
    plan.seconds = Facts(video.FirstSong()).Seconds();
    plan.commands.push_back(convert::FfmpegCommand(
        rules_.ffmpeg,
        convert::ConversionArguments({picture, video.FirstSong(), Facts(video.FirstSong()),
                                      video.output, video.part, segment},
                                     rules_.shell),
        rules_.shell));
    return plan;
  }
  std::vector<convert::AlbumSong> songs;
  for (const std::string& song : video.songs) songs.push_back({files_.FullPath(song), Facts(song)});
  convert::AlbumPlan album = convert::PlanAlbum(
      rules_.ffmpeg, {picture, std::move(songs), video.output, video.part, temp_->path, segment},
      rules_.shell);
  plan.commands.push_back(std::move(album.command));
  plan.files.insert(plan.files.end(), album.files.begin(), album.files.end());
  plan.trackList = std::move(album.trackList);
  plan.seconds = album.seconds;
  plan.tracks = std::move(album.tracks);
  return plan;
}

std::string SongQueue::Command(std::size_t i) const {
  const Plan plan = prepared_[i] ? *prepared_[i] : PlanFor(i);
  std::string command;
  for (const std::string& run : plan.commands) command += (command.empty() ? "" : " && ") + run;
  return command;
}

std::optional<double> SongQueue::Seconds(std::size_t i) const {
  return prepared_[i] ? prepared_[i]->seconds : PlanFor(i).seconds;
}

std::vector<convert::Track> SongQueue::Tracks(std::size_t i) const {
  return prepared_[i] ? prepared_[i]->tracks : PlanFor(i).tracks;
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
      const Plan& plan = *prepared_[i];
      RunEnd end;
      for (std::size_t run = 0; run < plan.commands.size(); ++run) {
        end = runner.RunCommand(plan.commands[run]);
        const bool made =
            !end.stopped && !end.leftRunning && !end.stalled && !end.error && end.exitCode == 0;
        if (run == 0 && plan.segment) segments_[*plan.segment].made = made;
        if (!made) break;
      }
      // What a stopped FFmpeg was writing goes once it has really ended; but the window's one
      // AVI keeps what FFmpeg finished of it, as Cancel always did.
      if ((end.stopped || end.stalled) && !(rules_.single && videos_[i].part.empty()))
        runner.AfterStop(Removal(i));
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
  if (const std::optional<std::string> over = OverAnInput(video)) {
    Fail(video, *over);
    return false;
  }
  // What is no picture would have FFmpeg try it again for every frame, for ever; a picture that
  // is missing, FFmpeg tells of at once.
  if (!rules_.image.empty() && files_.KindAt(rules_.image) != PathKind::None &&
      !convert::IsStillPicture(files_, rules_.image)) {
    Fail(video, convert::NotAPictureMessage(rules_.image));
    return false;
  }
  for (const std::string& song : video.songs) {
    if (video.album && !Facts(song).samples) {
      Fail(video, "the length of " + song + " cannot be told exactly from its file");
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
  if (!ClearParts(videos_[i])) return false;
  Plan plan = PlanFor(i);
  if (!plan.files.empty() && !temp_->made) temp_->made = files_.MakeFolder(temp_->path);
  if (plan.segment) temp_->written.push_back(segments_[*plan.segment].path);
  for (const auto& [path, content] : plan.files) {
    if (!temp_->made || !files_.WriteFile(path, content)) {
      Fail(videos_[i], "the files its command reads could not be written in " + temp_->path);
      return false;
    }
    temp_->written.push_back(path);
  }
  // The list goes beside the video under its temporary name too, so that the two take their
  // names together, once the video is whole.
  if (videos_[i].album && !files_.WriteFile(videos_[i].trackListPart, plan.trackList)) {
    Fail(videos_[i], "its track list could not be written: " + videos_[i].trackListPart);
    return false;
  }
  prepared_[i] = std::move(plan);
  return true;
}

bool SongQueue::ClearParts(Video& video) {
  for (const std::string& part : {video.part, video.trackListPart}) {
    if (part.empty()) continue;
    const PathKind there = files_.KindAt(part);
    // What a killed or crashed run left: never a finished video, and in the way of this one.
    if (there == PathKind::File && files_.RemoveFile(part)) continue;
    if (there != PathKind::None) {
      Fail(video, "something that is not an unfinished video stands at " + part);
      return false;
    }
  }
  return true;
}

std::optional<std::string> SongQueue::OverAnInput(const Video& video) {
  std::vector<std::pair<std::string, std::string>> inputs;  // what, path
  for (const std::string& song : video.songs) inputs.emplace_back("its song", song);
  if (!rules_.image.empty()) inputs.emplace_back("the picture", rules_.image);
  inputs.emplace_back("FFmpeg", rules_.ffmpeg);
  const auto key = [this](const std::string& path) {
    return PathKey(files_.FullPath(path), rules_.shell);
  };
  for (const std::string& output :
       {video.output, video.part, video.trackList, video.trackListPart}) {
    if (output.empty()) continue;
    const std::optional<FileIdentity> written = files_.IdentityOf(output);
    for (const auto& [what, input] : inputs) {
      if (input.empty()) continue;
      if (written ? written == files_.IdentityOf(input) : key(output) == key(input)) {
        return (output == video.trackList || output == video.trackListPart ? "its track list"
                                                                           : std::string("it")) +
               " would be written over " + what + " " + input;
      }
    }
  }
  return std::nullopt;
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
  if (!video.part.empty()) {
    for (const std::string& part : {video.part, video.trackListPart}) {
      if (!part.empty() && files_.KindAt(part) == PathKind::File) files_.RemoveFile(part);
    }
    return;
  }
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
  const std::string& written = video.part.empty() ? video.output : video.part;
  std::string why;
  if (end.stalled) {
    why = "FFmpeg repeated errors without getting any further, and was stopped";
  } else if (end.error) {
    why = *end.error;
  } else if (!end.exitCode) {
    why = "FFmpeg's exit code is unknown";
  } else if (*end.exitCode != 0) {
    why = "FFmpeg's exit code " + std::to_string(*end.exitCode);
  } else if (files_.KindAt(written) != PathKind::File) {
    why = "FFmpeg ended (exit code 0) without writing it";
  } else if (written != video.output && !files_.Rename(written, video.output)) {
    why = "it could not be given its name";
  } else if (!video.album) {
    Decide(video, Outcome::Converted, "converted: " + video.output);
    return;
  } else {
    // The video first: should the program die between the two, the video is made.
    Decide(video, Outcome::Converted,
           "converted: " + video.output +
               (files_.Rename(video.trackListPart, video.trackList)
                    ? ", its track list: " + video.trackList
                    : "; its track list could not be written: " + video.trackList));
    return;
  }
  if (!end.stalled) CleanUp(video);  // a stopped FFmpeg's is removed once it has ended
  Fail(video, why);
}

std::function<void()> SongQueue::Removal(std::size_t i) const {
  const Video& video = videos_[i];
  // Only what this run was writing: under its temporary names, or at the video's own name when
  // nothing stood there. The album's files go with the last one who needs them.
  std::vector<std::string> written = {video.part, video.trackListPart};
  if (video.part.empty() && !video.outputStood) written = {video.output};
  return [&files = files_, written, temp = temp_] {
    for (const std::string& path : written) {
      if (!path.empty() && files.KindAt(path) == PathKind::File) files.RemoveFile(path);
    }
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
