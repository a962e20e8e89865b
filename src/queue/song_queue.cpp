#include "queue/song_queue.h"

#include "app/text.h"
#include "queue/album_command.h"

namespace framora::queue {

namespace {

bool IsSeparator(char c, ShellKind shell) {
  return c == '/' || (shell == ShellKind::Cmd && (c == '\\' || c == ':'));
}

}  // namespace

std::string FolderOf(const std::string& path, ShellKind shell) {
  std::size_t end = path.size();
  while (end > 0 && !IsSeparator(path[end - 1], shell)) --end;
  // "C:\" and "/" are folders whose separator is part of them.
  if (end > 1 && path[end - 1] != ':' && !(end == 3 && path[1] == ':')) --end;
  return path.substr(0, end);
}

std::string NameOf(const std::string& path, ShellKind shell) {
  std::size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1], shell)) --start;
  return path.substr(start);
}

std::string TrackListPathFor(const std::string& video, ShellKind shell) {
  const std::string name = NameOf(video, shell);
  const std::size_t dot = name.rfind('.');
  // A video named ".txt" keeps its name whole: the list must never be written over it.
  if (dot == std::string::npos || dot == 0 || AsciiLower(name.substr(dot)) == ".txt")
    return video + ".txt";
  return video.substr(0, video.size() - name.size() + dot) + ".txt";
}

std::string VideoPathFor(const std::string& song, const Naming& naming, ShellKind shell) {
  std::size_t start = song.size();
  while (start > 0 && !IsSeparator(song[start - 1], shell)) --start;
  std::string name = song.substr(start);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::string folder = song.substr(0, start);
  if (naming.folder) {
    folder = *naming.folder;
    if (!folder.empty() && !IsSeparator(folder.back(), shell)) {
      folder += shell == ShellKind::Cmd ? '\\' : '/';
    }
  }
  return folder + name + naming.extension;
}

SongQueue::SongQueue(FileSystemPort& files, Rules rules)
    : files_(files), rules_(std::move(rules)) {}

std::string SongQueue::Key(const std::string& path) const {
  // The same name written otherwise: "a//b", "./a/b", and on Windows "A\B" for "a/b".
  const bool windows = rules_.shell == ShellKind::Cmd;
  std::string key;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = windows && path[i] == '\\' ? '/' : path[i];
    const bool atStart = key.empty() || key.back() == '/';
    if (c == '/' && !key.empty() && key.back() == '/') continue;
    if (c == '.' && atStart && i + 1 < path.size() &&
        (path[i + 1] == '/' || (windows && path[i + 1] == '\\'))) {
      ++i;
      continue;
    }
    key += c;
  }
  return windows ? FoldCase(key) : key;
}

void SongQueue::AddEach(const std::vector<std::string>& songs, const Naming& naming) {
  for (const std::string& song : songs) AddOne(song, VideoPathFor(song, naming, rules_.shell));
}

void SongQueue::AddOne(const std::string& song, const std::string& output) {
  std::optional<std::size_t> clash;
  const std::string key = Key(output);
  for (std::size_t i = 0; i < songs_.size() && !clash; ++i) {
    if (!songs_[i].output.empty() && Key(songs_[i].output) == key) clash = i;
  }
  Song added;
  added.path = song;
  added.output = output;
  songs_.push_back(std::move(added));
  clashWith_.push_back(clash);
  refusals_.emplace_back();
}

void SongQueue::AddAlbum(const std::vector<std::string>& songs, const std::string& output) {
  AddOne(songs.empty() ? "" : songs.front(), output);
  songs_.back().album = songs;
  songs_.back().trackList = TrackListPathFor(output, rules_.shell);
  if (songs.empty()) refusals_.back() = "an album needs songs";
}

SongQueue::TempFiles::~TempFiles() {
  for (const std::string& file : written) files.RemoveFile(file);
  if (folder) files.RemoveFolder(*folder);
}

const SongFacts& SongQueue::Facts(const std::string& song) const {
  auto known = facts_.find(song);
  if (known == facts_.end()) known = facts_.emplace(song, ReadSongFacts(files_, song)).first;
  return known->second;
}

std::optional<PictureSource> SongQueue::Picture(const Song& song) const {
  if (!rules_.image.empty()) return PictureSource(rules_.image);
  for (const std::string& path : song.album.empty() ? std::vector{song.path} : song.album) {
    if (const auto cover = Facts(path).Cover()) return PictureSource(path, *cover);
  }
  return std::nullopt;
}

void SongQueue::AddRefused(const std::string& song, std::string why) {
  AddOne(song, "");
  refusals_.back() = std::move(why);
}

std::string SongQueue::Command(std::size_t i) const {
  commands_.resize(songs_.size());
  if (commands_[i].empty()) commands_[i] = Made(i);
  return commands_[i];
}

std::string SongQueue::Made(std::size_t i) const {
  const Song& song = songs_[i];
  if (!song.album.empty()) return MadeAlbum(i);
  // Without a picture the command shows what is missing; the song fails before it runs.
  return BuildConversionCommand(rules_.ffmpeg, Picture(song).value_or(PictureSource()), song.path,
                                song.output, rules_.shell, Facts(song.path).sound);
}

std::string SongQueue::MadeAlbum(std::size_t i) const {
  const Song& song = songs_[i];
  if (!temp_) temp_ = std::make_shared<TempFiles>(files_);
  std::vector<AlbumSong> songs;
  for (const std::string& path : song.album) songs.push_back({files_.FullPath(path), Facts(path)});
  AlbumCommand made =
      BuildAlbumCommand(rules_.ffmpeg, Picture(song).value_or(PictureSource()), songs, song.output,
                        temp_->folder.value_or(""), rules_.shell);
  for (const auto& [path, content] : made.files) {
    if (!temp_->folder || !files_.WriteFile(path, content)) {
      temp_->failed = true;
      continue;
    }
    temp_->written.push_back(path);
  }
  return made.command;
}

std::string SongQueue::TrackListText(std::size_t i) const {
  std::vector<AlbumSong> songs;
  for (const std::string& path : songs_[i].album) songs.push_back({path, Facts(path)});
  return TrackList(AlbumTracks(songs, rules_.shell), AlbumSeconds(songs), rules_.shell);
}

bool SongQueue::Makeable(std::size_t i) {
  Song& song = songs_[i];
  for (const std::string& path : song.album) {
    if (!Facts(path).seconds) {
      Fail(song, "the length of " + path + " cannot be told from its file");
      return false;
    }
  }
  // A single song that is not there has no picture either: FFmpeg tells of it, as of any missing
  // input (the console runs such a song; a queue has refused it before).
  const bool missing = song.album.empty() && files_.KindAt(song.path) == PathKind::None;
  if (!Picture(song) && !missing) {
    Fail(song, song.album.empty() ? song.path + " carries no picture, and none was chosen"
                                  : "no song carries a picture, and none was chosen");
    return false;
  }
  Command(i);
  if (!song.album.empty() && (!temp_ || temp_->failed)) {
    Fail(song, "the list of its songs could not be written in a temporary folder");
    return false;
  }
  return true;
}

void SongQueue::Fail(Song& song, const std::string& why) {
  song.why = why;
  Decide(song, Outcome::Failed,
         (song.output.empty() ? "failed: " : "failed to make " + song.output + ": ") + why);
}

void SongQueue::Decide(Song& song, Outcome outcome, std::string result) {
  song.outcome = outcome;
  song.result = std::move(result);
}

bool SongQueue::Prepare(std::size_t i) {
  Song& song = songs_[i];
  if (!refusals_[i].empty()) {
    Fail(song, refusals_[i]);
    return false;
  }
  if (clashWith_[i]) {
    // Never one video for two songs: the later one would replace what the earlier one made.
    Fail(song, "same output as " + songs_[*clashWith_[i]].path);
    return false;
  }
  for (const std::string& path : song.album.empty() ? std::vector{song.path} : song.album) {
    if (files_.IsNormalFile(path) || files_.KindAt(path) == PathKind::File) continue;
    const std::string what = song.album.empty() ? "the song" : path;
    Fail(song, files_.IsFolder(path)
                   ? what + " is a folder"
                   : "there is no such song" + (song.album.empty() ? "" : ": " + path));
    return false;
  }
  if (Stands(song.output, song) || (!song.trackList.empty() && Stands(song.trackList, song)))
    return false;
  if (!Makeable(i)) return false;
  BeginRun(i);
  return true;
}

bool SongQueue::Stands(const std::string& path, Song& song) {
  const PathKind there = files_.KindAt(path);
  if (there != PathKind::None && !rules_.overwrite) {
    Decide(song, Outcome::Skipped, "skipped: " + OutputExistsMessage(path));
    return true;
  }
  if (there != PathKind::None && there != PathKind::File) {
    // Only a video is replaced on request; FFmpeg would write through a link, and fail on a
    // folder.
    Fail(song,
         there == PathKind::Folder ? "a folder stands there" : "what stands there is no file");
    return true;
  }
  return false;
}

void SongQueue::BeginRun(std::size_t i) {
  songs_[i].outputStood = files_.KindAt(songs_[i].output) != PathKind::None;
}

void SongQueue::Reset() {
  for (Song& song : songs_) {
    song.outcome = Outcome::Waiting;
    song.result.clear();
    song.why.clear();
    song.exitCode.reset();
    song.outputStood = song.removed = false;
  }
}

void SongQueue::CleanUp(Song& song) {
  if (song.outputStood || files_.KindAt(song.output) != PathKind::File) return;
  song.removed = files_.RemoveFile(song.output);
}

void SongQueue::Finished(std::size_t i, const RunEnd& end) {
  Song& song = songs_[i];
  song.exitCode = end.stopped || end.leftRunning ? std::nullopt : end.exitCode;
  if (end.leftRunning) {
    Decide(song, Outcome::Stopped, "left running: " + song.output);
    return;
  }
  if (end.stopped) {
    if (!rules_.keepStopped) CleanUp(song);
    Decide(song, Outcome::Stopped, "stopped: " + song.output + " not made");
    return;
  }
  std::string why;
  if (end.error) {
    why = *end.error;
  } else if (!end.exitCode) {
    why = "FFmpeg's exit code is unknown";
  } else if (*end.exitCode != 0) {
    why = "FFmpeg's exit code " + std::to_string(*end.exitCode);
  } else if (files_.KindAt(song.output) != PathKind::File) {
    why = "FFmpeg ended (exit code 0) without writing it";
  } else if (song.album.empty()) {
    Decide(song, Outcome::Converted, "converted: " + song.output);
    return;
  } else {
    Decide(song, Outcome::Converted,
           "converted: " + song.output +
               (files_.WriteFile(song.trackList, TrackListText(i))
                    ? ", its track list: " + song.trackList
                    : "; its track list could not be written: " + song.trackList));
    return;
  }
  CleanUp(song);
  Fail(song, why);
}

std::function<void()> SongQueue::Removal(std::size_t i) const {
  if (songs_[i].outputStood || songs_[i].output.empty()) return [temp = temp_] {};
  // The album's files go with the last one who needs them.
  return [&files = files_, output = songs_[i].output, temp = temp_] {
    if (files.KindAt(output) == PathKind::File) files.RemoveFile(output);
  };
}

Counts SongQueue::Count() const {
  Counts counts;
  for (const Song& song : songs_) {
    switch (song.outcome) {
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
