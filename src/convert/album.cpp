#include "convert/album.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "convert/command_text.h"
#include "convert/names.h"
#include "convert/song_command.h"

namespace framora::convert {

namespace {

// The most an encoded album's sound is sampled at: what AAC and the sharing sites are made for.
constexpr std::uint64_t kMostRate = 48000;

// One value every song has, or nothing.
std::string Shared(const std::vector<AlbumSong>& songs, std::string media::SongFacts::*tag) {
  const std::string first = OneLine(songs.front().facts.*tag);
  for (const AlbumSong& song : songs) {
    if (OneLine(song.facts.*tag) != first) return "";
  }
  return first;
}

// Where each song starts and how long the album lasts, counted in samples at one rate, so that
// no rounding adds up over many songs.
struct Timeline {
  std::uint64_t rate = 0;
  std::vector<std::uint64_t> lengths;  // each song's, in samples at `rate`

  std::uint64_t Total() const {
    std::uint64_t total = 0;
    for (const std::uint64_t length : lengths) total += length;
    return total;
  }
};

// Copied, each song lasts what its frames hold; encoded, what it decodes to, brought to the
// album's rate (the highest of its songs', at most 48 kHz).
Timeline TimelineOf(const std::vector<AlbumSong>& songs, bool copy) {
  Timeline timeline;
  for (const AlbumSong& song : songs)
    timeline.rate =
        std::max<std::uint64_t>(timeline.rate, static_cast<std::uint64_t>(song.facts.rate));
  if (!copy) timeline.rate = std::min(timeline.rate, kMostRate);
  for (const AlbumSong& song : songs) {
    const std::uint64_t samples = (copy ? song.facts.frameSamples : song.facts.samples).value_or(0);
    const auto rate = static_cast<double>(std::max(song.facts.rate, 1));
    timeline.lengths.push_back(copy ? samples
                                    : static_cast<std::uint64_t>(std::llround(
                                          static_cast<double>(samples) * timeline.rate / rate)));
  }
  return timeline;
}

// The album's tags and a chapter per song, in FFmpeg's metadata file, timed in samples.
std::string Metadata(const std::vector<AlbumSong>& songs, const std::vector<Track>& tracks,
                     const Timeline& timeline, const std::string& output, ShellKind shell) {
  const std::string album = Shared(songs, &media::SongFacts::album);
  const std::string title = album.empty() ? StemOf(NameOf(output, shell)) : album;
  std::string text = ";FFMETADATA1\ntitle=" + MetadataEscape(title) + "\n";
  if (const std::string artist = Shared(songs, &media::SongFacts::artist); !artist.empty())
    text += "artist=" + MetadataEscape(artist) + "\n";
  if (!album.empty()) text += "album=" + MetadataEscape(album) + "\n";
  std::uint64_t start = 0;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    const std::uint64_t end = start + timeline.lengths[i];
    text += "[CHAPTER]\nTIMEBASE=1/" + std::to_string(timeline.rate) +
            "\nSTART=" + std::to_string(start) + "\nEND=" + std::to_string(end) +
            "\ntitle=" + MetadataEscape(tracks[i].title) + "\n";
    start = end;
  }
  return text;
}

// The list the concat reader joins the packets by: each file from its first packet ("inpoint
// 0": the reader would otherwise move a song by its encoder's delay) for exactly the length of
// its frames, which FFmpeg would otherwise guess from the bit rate.
std::string ConcatList(const std::vector<AlbumSong>& songs, const Timeline& timeline) {
  std::string list = "ffconcat version 1.0\n";
  for (std::size_t i = 0; i < songs.size(); ++i) {
    list += "file " + ConcatListQuote(songs[i].path) + "\ninpoint 0\nduration " +
            SecondsText(static_cast<double>(timeline.lengths[i]) / timeline.rate) + "\n";
  }
  return list;
}

// Every song decoded, its times counted afresh (a song may start after 0), brought to the
// album's rate and channels, and padded or cut to exactly its length; then joined, as [joined].
std::string JoinedSound(const std::vector<AlbumSong>& songs, const Timeline& timeline, bool mp4) {
  bool stereo = false;
  for (const AlbumSong& song : songs) stereo = stereo || song.facts.sound.channels != 1;
  const std::string rate = std::to_string(timeline.rate);
  const std::string format =
      ",asetpts=N/SR/TB,aresample=" + rate + ",aformat=sample_fmts=" + (mp4 ? "fltp" : "s16") +
      ":sample_rates=" + rate + ":channel_layouts=" + (stereo ? "stereo" : "mono") + ",apad,atrim=";
  std::string graph, inputs;
  for (std::size_t i = 0; i < songs.size(); ++i) {
    const std::string label = "[s" + std::to_string(i) + "]";
    graph += "amovie=filename=" + FilterOptionValue(songs[i].path) + format +
             "end_sample=" + std::to_string(timeline.lengths[i]) + label + ";\n";
    inputs += label;
  }
  return graph + inputs + "concat=n=" + std::to_string(songs.size()) +
         ":v=0:a=1,asetpts=N/SR/TB[joined]";
}

}  // namespace

bool AlbumCopiesSound(const std::vector<AlbumSong>& songs, bool mp4) {
  if (songs.empty()) return false;
  const media::SongFacts& first = songs.front().facts;
  if (first.container != media::Container::Mp3Frames &&
      (first.container != media::Container::AdtsFrames || !mp4)) {
    return false;
  }
  return std::all_of(songs.begin(), songs.end(), [&](const AlbumSong& song) {
    const media::SongFacts& facts = song.facts;
    return facts.container == first.container && facts.frameSamples && facts.sound.copyable &&
           facts.sound.sampleRate == first.sound.sampleRate &&
           facts.sound.channels == first.sound.channels &&
           song.path.find_first_of("\r\n") == std::string::npos;
  });
}

AlbumPlan PlanAlbum(const std::string& ffmpeg, const AlbumRequest& request, ShellKind shell) {
  const std::vector<AlbumSong>& songs = request.songs;
  const bool mp4 = IsMp4Output(request.output);
  const bool copy = AlbumCopiesSound(songs, mp4);
  const Timeline timeline = TimelineOf(songs, copy);
  const std::string list = JoinPath(request.folder, "songs.ffconcat", shell);
  const std::string metadata = JoinPath(request.folder, "chapters.txt", shell);
  const std::string script = JoinPath(request.folder, "sound.txt", shell);

  AlbumPlan made;
  std::uint64_t start = 0;
  for (std::size_t i = 0; i < songs.size(); ++i) {
    made.tracks.push_back({static_cast<double>(start) / timeline.rate,
                           TrackTitle(songs[i].path, songs[i].facts.title, shell)});
    start += timeline.lengths[i];
  }
  made.seconds = static_cast<double>(start) / std::max<std::uint64_t>(timeline.rate, 1);
  made.trackList = TrackListText(made.tracks, made.seconds, shell);
  made.files.emplace_back(metadata, Metadata(songs, made.tracks, timeline, request.output, shell));

  std::vector<std::string> arguments = {"-y"};
  if (mp4) {
    const std::vector<std::string> picture = SegmentInput(request.segment, made.seconds, shell);
    arguments.insert(arguments.end(), picture.begin(), picture.end());
  } else {
    arguments.insert(arguments.end(), {"-i", AsPath(request.picture.path, shell)});
  }
  // The chapters second: FFmpeg gives the album's length as that input's, which the console's
  // progress reads.
  arguments.insert(arguments.end(), std::begin(kUnqueued), std::end(kUnqueued));
  arguments.insert(arguments.end(), {"-i", metadata});
  std::string graph;
  std::string sound = "2:a:0";
  if (copy) {
    made.files.emplace_back(list, ConcatList(songs, timeline));
    arguments.insert(arguments.end(),
                     {kUnqueued[0], kUnqueued[1], "-f", "concat", "-safe", "0", "-i", list});
  } else {
    graph = JoinedSound(songs, timeline, mp4);
    sound = "[joined]";
  }
  if (!mp4) graph += (graph.empty() ? "" : ";\n") + LoopedPictureGraph(request.picture.Stream());
  if (!graph.empty()) {
    made.files.emplace_back(script, graph + "\n");
    arguments.insert(arguments.end(), {"-filter_complex_script", script});
  }
  arguments.insert(arguments.end(), {"-map", mp4 ? "0:v:0" : "[v]", "-map", sound, "-map_metadata",
                                     "1", "-map_chapters", "1"});
  if (mp4) {
    const std::vector<std::string> options = Mp4Options(copy, made.seconds);
    arguments.insert(arguments.end(), options.begin(), options.end());
  } else {
    arguments.insert(arguments.end(), {"-acodec", copy ? "copy" : "pcm_s16le", "-vcodec", "mjpeg",
                                       "-t", SecondsText(made.seconds)});
  }
  if (!request.writeTo.empty()) arguments.insert(arguments.end(), {"-f", mp4 ? "mp4" : "avi"});
  arguments.push_back(AsPath(request.writeTo.empty() ? request.output : request.writeTo, shell));
  made.command = FfmpegCommand(ffmpeg, arguments, shell);
  return made;
}

}  // namespace framora::convert
