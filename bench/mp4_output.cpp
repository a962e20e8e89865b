// The same song with a 1280x720 and with a 1920x1080 cover made into an AVI and into an MP4 by
// the program's two commands, each run as the console window runs it (ReadOutput on the POSIX
// host), against the floor: FFmpeg copying the song's sound alone into a file. The three runs
// alternate; prints the file sizes, the times and the processor times (FFmpeg's threads
// included), the MP4's ratios to the AVI and to the floor, and how far the length of each
// video's picture (of the floor's sound) is from the song's.
// Goal: the MP4 at most a tenth of the AVI's size and a fifth of its time.
//
//   build/bench/mp4_output [rounds (default 1)] [seconds of audio (default 120)]
#include <sys/resource.h>

#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "convert/song_command.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_process_host.h"
#include "runner/read_output.h"

namespace {

using bench::Ffmpeg;
using bench::IdleYield;
using bench::QuietEvents;

// The length of the file, or of its first stream of a kind ("v" for video).
double Seconds(const std::string& file, const char* stream = nullptr) {
  QProcess p;
  p.start("ffprobe",
          QStringList{"-v", "error", "-show_entries",
                      stream ? "stream=duration" : "format=duration", "-of", "csv=p=0"} +
              (stream ? QStringList{"-select_streams", QString(stream) + ":0"} : QStringList{}) +
              QStringList{QString::fromStdString(file)});
  p.waitForFinished(-1);
  return p.readAllStandardOutput().trimmed().toDouble();
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Result {
  std::vector<double> wall, cpu;
  double bytes = 0;
  double lengthError = 0;  // the picture's (the sound's) length minus the song's, worst of all
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs the command as the console does and notes its times, its file's size and length.
void Run(const std::string& command, const std::string& audio, const std::string& output,
         const char* stream, Result& result) {
  std::filesystem::remove(output);
  IdleYield yield;
  framora::posix::PosixProcessHost host(yield);
  QuietEvents events;
  framora::ReadOutput runner(host, events);
  runner.SetCommand(command);
  const double cpuBefore = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  runner.ProcessCommand();
  result.wall.push_back(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  result.cpu.push_back(ChildCpuSeconds() - cpuBefore);
  if (runner.ExitCode() != 0) std::fprintf(stderr, "%s: FFmpeg failed\n", output.c_str());
  result.bytes = static_cast<double>(std::filesystem::file_size(output));
  const double error = Seconds(output, stream) - Seconds(audio);
  if (std::abs(error) > std::abs(result.lengthError)) result.lengthError = error;
}

// The command as the window makes it, which reads the song to know its sound.
std::string Command(const std::string& image, const std::string& audio, const std::string& output) {
  framora::posix::PosixFileSystem files;
  return framora::convert::BuildConversionCommand("ffmpeg", image, audio, output,
                                                  framora::ShellKind::Posix,
                                                  framora::media::ProbeSound(files, audio));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 120;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  const std::string audio = folder + "song.mp3";
  // A sound that keeps the encoders busy, as music does.
  if (!Ffmpeg({"-f", "lavfi", "-i",
               QString("anoisesrc=color=pink:amplitude=0.2:duration=%1").arg(seconds), "-f",
               "lavfi", "-i", QString("sine=frequency=220:duration=%1").arg(seconds),
               "-filter_complex", "amix=inputs=2,aformat=channel_layouts=stereo", "-c:a",
               "libmp3lame", "-b:a", "192k", QString::fromStdString(audio)})) {
    std::fprintf(stderr, "could not make the song with ffmpeg\n");
    return 1;
  }
  const std::string floor = "ffmpeg -y -i " + audio + " -c copy " + folder + "sound.mka";
  std::printf("a %d s MP3 (192 kb/s), median of %d alternated rounds\n", seconds, rounds);
  for (const char* size : {"1280x720", "1920x1080"}) {
    const std::string image = folder + "cover-" + size + ".jpg";
    if (!Ffmpeg({"-f", "lavfi", "-i", QString("testsrc2=s=") + size, "-frames:v", "1",
                 QString::fromStdString(image)})) {
      std::fprintf(stderr, "could not make the cover with ffmpeg\n");
      return 1;
    }
    Result avi, mp4, copy;
    for (int i = 0; i < rounds; ++i) {
      Run(Command(image, audio, folder + "video.avi"), audio, folder + "video.avi", "v", avi);
      Run(Command(image, audio, folder + "video.mp4"), audio, folder + "video.mp4", "v", mp4);
      Run(floor, audio, folder + "sound.mka", nullptr, copy);
    }
    const auto row = [](const char* name, const Result& r) {
      std::printf("  %-5s %8.2f MB %8.2f s %8.2f s   %+.3f s\n", name, r.bytes / 1e6,
                  Median(r.wall), Median(r.cpu), r.lengthError);
    };
    std::printf("%s JPEG cover\n         size        time    processor  length - song's\n", size);
    row("AVI", avi);
    row("MP4", mp4);
    row("floor", copy);
    std::printf(
        "  MP4/AVI: size %.3f (goal: at most 0.1), time %.3f (goal: at most 0.2), processor "
        "%.3f\n  MP4/floor: time %.2f, processor %.2f\n",
        mp4.bytes / avi.bytes, Median(mp4.wall) / Median(avi.wall),
        Median(mp4.cpu) / Median(avi.cpu), Median(mp4.wall) / Median(copy.wall),
        Median(mp4.cpu) / Median(copy.cpu));
  }
  return 0;
}
