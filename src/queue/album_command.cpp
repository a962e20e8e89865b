#include "queue/album_command.h"

#include <algorithm>
#include <cmath>

#include "queue/song_queue.h"

namespace framora {

namespace {

// A title on one line: a line break would start a new line in the list and in the metadata.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(' ') + 1 - first);
}

std::string TitleOf(const AlbumSong& song, ShellKind shell) {
  std::string title = OneLine(song.facts.title);
  if (!title.empty()) return title;
  std::string name = queue::NameOf(song.path, shell);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return OneLine(name);
}

std::string TwoDigits(long long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Whole seconds, rounded down: a song never starts before its time in the list.
std::string StartText(double seconds, bool hours) {
  const auto whole = static_cast<long long>(std::floor(seconds + 1e-6));
  const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
  if (hours) return std::to_string(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
  return std::to_string(whole / 60) + ":" + TwoDigits(s);
}

// One value every song has, or nothing.
std::string Shared(const std::vector<AlbumSong>& songs, std::string SongFacts::*tag) {
  const std::string first = OneLine(songs.front().facts.*tag);
  for (const AlbumSong& song : songs) {
    if (OneLine(song.facts.*tag) != first) return "";
  }
  return first;
}

bool PlainPathByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '/' || c == '.' || c == '_' || c == '-';
}

std::string BackslashEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (!PlainPathByte(c)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The album's tags and a chapter per song, in FFmpeg's metadata file.
std::string Metadata(const std::vector<AlbumSong>& songs, const std::vector<Track>& tracks,
                     double seconds, const std::string& output, ShellKind shell) {
  std::string album = Shared(songs, &SongFacts::album);
  std::string title = album;
  if (title.empty()) {
    title = queue::NameOf(output, shell);
    if (const std::size_t dot = title.rfind('.'); dot != std::string::npos && dot > 0)
      title.resize(dot);
  }
  std::string text = ";FFMETADATA1\ntitle=" + MetadataEscape(title) + "\n";
  if (const std::string artist = Shared(songs, &SongFacts::artist); !artist.empty())
    text += "artist=" + MetadataEscape(artist) + "\n";
  if (!album.empty()) text += "album=" + MetadataEscape(album) + "\n";
  const auto ms = [](double s) { return std::to_string(std::llround(s * 1000)); };
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const double end = i + 1 < tracks.size() ? tracks[i + 1].start : seconds;
    text += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + ms(tracks[i].start) + "\nEND=" + ms(end) +
            "\ntitle=" + MetadataEscape(tracks[i].title) + "\n";
  }
  return text;
}

// Every song decoded, brought to one rate and channel layout, and joined, as [joined].
std::string JoinedSound(const std::vector<AlbumSong>& songs, bool mp4) {
  int rate = 0;
  bool stereo = false;
  for (const AlbumSong& song : songs) {
    rate = std::max(rate, song.facts.sound.sampleRate);
    stereo = stereo || song.facts.sound.channels != 1;
  }
  const std::string format = std::string(",aresample=") + std::to_string(rate > 0 ? rate : 44100) +
                             ",aformat=sample_fmts=" + (mp4 ? "fltp" : "s16") +
                             ":channel_layouts=" + (stereo ? "stereo" : "mono");
  std::string graph, inputs;
  for (std::size_t i = 0; i < songs.size(); ++i) {
    const std::string label = "[s" + std::to_string(i) + "]";
    graph += "amovie=filename=" + FilterOptionValue(songs[i].path) + format + label + ";\n";
    inputs += label;
  }
  return graph + inputs + "concat=n=" + std::to_string(songs.size()) + ":v=0:a=1[joined];\n";
}

}  // namespace

double AlbumSeconds(const std::vector<AlbumSong>& songs) {
  double seconds = 0;
  for (const AlbumSong& song : songs) seconds += song.facts.seconds.value_or(0);
  return seconds;
}

std::vector<Track> AlbumTracks(const std::vector<AlbumSong>& songs, ShellKind shell) {
  std::vector<Track> tracks;
  double start = 0;
  for (const AlbumSong& song : songs) {
    tracks.push_back({start, TitleOf(song, shell)});
    start += song.facts.seconds.value_or(0);
  }
  return tracks;
}

std::string TrackList(const std::vector<Track>& tracks, double albumSeconds, ShellKind shell) {
  const bool hours = albumSeconds >= 3600;
  std::string list;
  for (const Track& track : tracks) {
    list += StartText(track.start, hours) + " " + track.title +
            (shell == ShellKind::Cmd ? "\r\n" : "\n");
  }
  return list;
}

bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4) {
  if (songs.empty()) return false;
  const SoundFacts& first = songs.front().facts.sound;
  if (!first.copyable || (!mp4 && first.codec != SoundCodec::Mp3)) return false;
  return std::all_of(songs.begin(), songs.end(), [&](const AlbumSong& song) {
    const SoundFacts& sound = song.facts.sound;
    return sound.copyable && sound.codec == first.codec && sound.sampleRate == first.sampleRate &&
           sound.channels == first.channels;
  });
}

std::string ConcatListQuote(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string FilterOptionValue(const std::string& value) {
  // Read twice: once as the option's value, once as a filter's part of the graph.
  return BackslashEscape(BackslashEscape(value));
}

std::string MetadataEscape(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

AlbumCommand BuildAlbumCommand(const std::string& ffmpeg, const PictureSource& picture,
                               const std::vector<AlbumSong>& songs, const std::string& output,
                               const std::string& folder, ShellKind shell) {
  const bool mp4 = IsMp4Output(output);
  const bool copy = AlbumCopiesSound(songs, mp4);
  const char separator = shell == ShellKind::Cmd ? '\\' : '/';
  const std::string list = folder + separator + "songs.ffconcat";
  const std::string metadata = folder + separator + "chapters.txt";
  const std::string script = folder + separator + "graph.txt";
  const std::vector<Track> tracks = AlbumTracks(songs, shell);
  AlbumCommand made;
  made.files.emplace_back(metadata, Metadata(songs, tracks, AlbumSeconds(songs), output, shell));

  std::vector<std::string> arguments = {"-y"};
  // Frames timed in 30ths of a second, as one song's MP4 has them.
  if (mp4) arguments.insert(arguments.end(), {"-r", "30"});
  const std::string pictureFile =
      picture.path.starts_with('-') ? std::string(".") + separator + picture.path : picture.path;
  arguments.insert(arguments.end(), {"-i", pictureFile});
  // The chapters second: FFmpeg gives the album's length as that input's, which the console's
  // progress reads.
  arguments.insert(arguments.end(), {"-i", metadata});
  std::string graph;
  std::string sound = "2:a:0";
  if (copy) {
    // The concat reader joins the songs' packets as they are, each starting where the one
    // before ends.
    std::string songList = "ffconcat version 1.0\n";
    for (const AlbumSong& song : songs) songList += "file " + ConcatListQuote(song.path) + "\n";
    made.files.emplace_back(list, songList);
    arguments.insert(arguments.end(), {"-f", "concat", "-safe", "0", "-i", list});
  } else {
    graph = JoinedSound(songs, mp4);
    sound = "[a]";
  }
  if (mp4) {
    if (!copy) graph += "[joined]asplit=2[a][sound];\n";
    graph += StillPictureGraph(picture.Stream(), copy ? "[2:a:0]" : "[sound]");
  } else {
    // The repeated picture ends with the sound, which a tiny picture of it, laid outside the
    // frame, tells: -shortest does not end a graph's endless output.
    if (!copy) graph += "[joined]asplit=2[a][sound];\n";
    graph += picture.Stream() + "loop=-1:1,setpts=N/25/TB[still];" +
             (copy ? "[2:a:0]" : "[sound]") +
             "showwaves=s=16x16:r=25[w];[still][w]overlay=x=-16:y=-16:shortest=1,fps=25[v]";
  }
  made.files.emplace_back(script, graph + "\n");
  arguments.insert(arguments.end(), {"-filter_complex_script", script, "-map", "[v]", "-map", sound,
                                     "-map_metadata", "1", "-map_chapters", "1"});
  if (mp4) {
    const std::vector<std::string> video = Mp4VideoOptions();
    arguments.insert(arguments.end(), video.begin(), video.end());
    if (copy) {
      arguments.insert(arguments.end(), {"-c:a", "copy"});
    } else {
      arguments.insert(arguments.end(), {"-c:a", "aac", "-b:a", "192k"});
    }
    arguments.insert(arguments.end(), {"-movflags", "+faststart"});
  } else {
    arguments.insert(arguments.end(),
                     {"-shortest", "-acodec", copy ? "copy" : "pcm_s16le", "-vcodec", "mjpeg"});
  }
  arguments.push_back(output.starts_with('-') ? std::string(".") + separator + output : output);
  made.command = FfmpegCommand(ffmpeg, arguments, shell);
  return made;
}

}  // namespace framora
