#include "convert/album.h"

#include <algorithm>
#include <cmath>

#include "convert/command_text.h"
#include "convert/names.h"

namespace framora::convert {

namespace {

// One value every song has, or nothing.
std::string Shared(const std::vector<AlbumSong>& songs, std::string media::SongFacts::*tag) {
  const std::string first = OneLine(songs.front().facts.*tag);
  for (const AlbumSong& song : songs) {
    if (OneLine(song.facts.*tag) != first) return "";
  }
  return first;
}

// The album's tags and a chapter per song, in FFmpeg's metadata file.
std::string Metadata(const std::vector<AlbumSong>& songs, const std::vector<Track>& tracks,
                     double seconds, const std::string& output, ShellKind shell) {
  std::string album = Shared(songs, &media::SongFacts::album);
  std::string title = album;
  if (title.empty()) {
    title = StemOf(NameOf(output, shell));
  }
  std::string text = ";FFMETADATA1\ntitle=" + MetadataEscape(title) + "\n";
  if (const std::string artist = Shared(songs, &media::SongFacts::artist); !artist.empty())
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

bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4) {
  if (songs.empty()) return false;
  const media::SoundFacts& first = songs.front().facts.sound;
  if (!first.copyable || (!mp4 && first.codec != media::SoundCodec::Mp3)) return false;
  return std::all_of(songs.begin(), songs.end(), [&](const AlbumSong& song) {
    const media::SoundFacts& sound = song.facts.sound;
    return sound.copyable && sound.codec == first.codec && sound.sampleRate == first.sampleRate &&
           sound.channels == first.channels;
  });
}

AlbumPlan PlanAlbum(const std::string& ffmpeg, const PictureSource& picture,
                    const std::vector<AlbumSong>& songs, const std::string& output,
                    const std::string& folder, ShellKind shell) {
  const bool mp4 = IsMp4Output(output);
  const bool copy = AlbumCopiesSound(songs, mp4);
  const std::string list = JoinPath(folder, "songs.ffconcat", shell);
  const std::string metadata = JoinPath(folder, "chapters.txt", shell);
  const std::string script = JoinPath(folder, "graph.txt", shell);
  AlbumPlan made;
  for (const AlbumSong& song : songs) {
    made.tracks.push_back({made.seconds, TrackTitle(song.path, song.facts.title, shell)});
    made.seconds += song.facts.seconds.value_or(0);
  }
  made.trackList = TrackListText(made.tracks, made.seconds, shell);
  made.files.emplace_back(metadata, Metadata(songs, made.tracks, made.seconds, output, shell));

  std::vector<std::string> arguments = {"-y"};
  // Frames timed in 30ths of a second, as one song's MP4 has them.
  if (mp4) arguments.insert(arguments.end(), {"-r", "30"});
  arguments.insert(arguments.end(), {"-i", AsPath(picture.path, shell)});
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
  arguments.push_back(AsPath(output, shell));
  made.command = FfmpegCommand(ffmpeg, arguments, shell);
  return made;
}

}  // namespace framora::convert
