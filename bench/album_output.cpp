// An album of ten 4-minute MP3s (192 kb/s) with one 1920x1080 cover, made into one MP4 by the
// album's command, against the floor (FFmpeg joining the songs' sound by copy alone) and against
// ten MP4s made one each; every command run as the console runs it (ReadOutput on the POSIX
// host). Prints the times, the ratios, and how far the album's length is from its songs'.
//
//   build/bench/album_output [songs (default 10)] [seconds per song (default 240)]
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_process_host.h"
#include "queue/song_queue.h"
#include "runner/read_output.h"

namespace {

using bench::Ffmpeg;
using bench::IdleYield;
using bench::QuietEvents;

double Seconds(const std::string& file) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                      QString::fromStdString(file)});
  p.waitForFinished(-1);
  return p.readAllStandardOutput().trimmed().toDouble();
}

// Runs the command as the console does; its time in seconds.
double Run(const std::string& command) {
  IdleYield yield;
  framora::posix::PosixProcessHost host(yield);
  QuietEvents events;
  framora::ReadOutput runner(host, events);
  runner.SetCommand(command);
  const auto start = std::chrono::steady_clock::now();
  runner.ProcessCommand();
  if (runner.ExitCode() != 0) std::fprintf(stderr, "FFmpeg failed: %s\n", command.c_str());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 240;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  const std::string cover = folder + "cover.jpg";
  // A sound that keeps the encoders busy, as music does; one song copied, the album's others.
  if (!Ffmpeg({"-f", "lavfi", "-i",
               QString("anoisesrc=color=pink:amplitude=0.2:duration=%1").arg(seconds), "-f",
               "lavfi", "-i", QString("sine=frequency=220:duration=%1").arg(seconds),
               "-filter_complex", "amix=inputs=2,aformat=channel_layouts=stereo", "-c:a",
               "libmp3lame", "-b:a", "192k", QString::fromStdString(folder + "song01.mp3")}) ||
      !Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=1920x1080", "-frames:v", "1",
               QString::fromStdString(cover)})) {
    std::fprintf(stderr, "could not make the media with ffmpeg\n");
    return 1;
  }
  std::vector<std::string> songs;
  std::ofstream list(folder + "list.txt");
  for (int i = 1; i <= count; ++i) {
    songs.push_back(folder + "song" + (i < 10 ? "0" : "") + std::to_string(i) + ".mp3");
    if (i > 1) std::filesystem::copy_file(songs[0], songs.back());
    list << "file '" << songs.back() << "'\n";
  }
  list.close();
  framora::posix::PosixFileSystem files;
  const framora::queue::Rules rules{.ffmpeg = "ffmpeg", .image = cover};

  framora::queue::SongQueue album(files, rules);
  album.AddAlbum(songs, folder + "album.mp4");
  const double albumTime = Run(album.Command(0));
  const double floorTime =
      Run("ffmpeg -y -f concat -safe 0 -i " + folder + "list.txt -c copy " + folder + "all.mka");
  framora::queue::SongQueue each(files, rules);
  each.AddEach(songs, {folder + "each", ".mp4"});
  std::filesystem::create_directory(folder + "each");
  double eachTime = 0;
  for (std::size_t i = 0; i < each.Size(); ++i) eachTime += Run(each.Command(i));

  double sum = 0;
  for (const std::string& song : songs) sum += Seconds(song);
  std::printf("an album of %d MP3s of %d s (192 kb/s) with a 1920x1080 JPEG cover\n", count,
              seconds);
  std::printf("  album MP4       %8.2f s  (%.1f MB, its length - the songs' %+.3f s)\n", albumTime,
              static_cast<double>(std::filesystem::file_size(folder + "album.mp4")) / 1e6,
              Seconds(folder + "album.mp4") - sum);
  std::printf("  floor (copy)    %8.2f s\n", floorTime);
  std::printf("  one MP4 each    %8.2f s\n", eachTime);
  std::printf("  album/floor %.2f, album/each %.3f\n", albumTime / floorTime, albumTime / eachTime);
  return 0;
}
