// The same audio with a 1920x1080 cover made into an AVI and into an MP4 by the program's two
// commands, each run as the console window runs it (ReadOutput on the POSIX host), alternated;
// prints the file sizes, the times and the processor times (FFmpeg's threads included), the
// MP4's ratios to the AVI's, and how far each video's length is from the audio's.
// Goal: the MP4 at most a tenth of the AVI's size and a third of its time.
//
//   build/bench/mp4_output [rounds (default 1)] [seconds of audio (default 240)]
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

#include "app/ports.h"
#include "main_window/conversion_command.h"
#include "platform/posix/posix_process_host.h"
#include "runner/read_output.h"

namespace {

class IdleYield : public framora::YieldPort {
 public:
  bool Yield() override { return true; }
};

class QuietEvents : public framora::ReadOutputEvents {
 public:
  void Error(const std::string& error, std::int32_t& code) override {
    std::fprintf(stderr, "Error: %s (%d)\n", error.c_str(), code);
  }
  void GotChunk(const std::string&, bool) override {}
  void Complete() override {}
  void Starting() override {}
  void Canceled() override {}
};

bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start("ffmpeg", QStringList{"-v", "error", "-y"} + args);
  return p.waitForFinished(-1) && p.exitCode() == 0;
}

double Seconds(const std::string& file) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                      QString::fromStdString(file)});
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
  double lengthError = 0;  // video's length minus the audio's, worst of the rounds
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Convert(const std::string& image, const std::string& audio, const std::string& output,
             Result& result) {
  std::filesystem::remove(output);
  IdleYield yield;
  framora::posix::PosixProcessHost host(yield);
  QuietEvents events;
  framora::ReadOutput runner(host, events);
  runner.SetCommand(
      framora::BuildConversionCommand("ffmpeg", image, audio, output, framora::ShellKind::Posix));
  const double cpuBefore = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  runner.ProcessCommand();
  result.wall.push_back(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  result.cpu.push_back(ChildCpuSeconds() - cpuBefore);
  if (runner.ExitCode() != 0) std::fprintf(stderr, "%s: FFmpeg failed\n", output.c_str());
  result.bytes = static_cast<double>(std::filesystem::file_size(output));
  const double error = Seconds(output) - Seconds(audio);
  if (std::abs(error) > std::abs(result.lengthError)) result.lengthError = error;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 240;
  QTemporaryDir dir;
  const std::string image = (dir.path() + "/cover.jpg").toStdString();
  const std::string audio = (dir.path() + "/song.mp3").toStdString();
  // A picture and a sound that keeps the encoders busy, as music does.
  if (!Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=1920x1080", "-frames:v", "1",
               QString::fromStdString(image)}) ||
      !Ffmpeg({"-f", "lavfi", "-i",
               QString("anoisesrc=color=pink:amplitude=0.2:duration=%1").arg(seconds), "-f",
               "lavfi", "-i", QString("sine=frequency=220:duration=%1").arg(seconds),
               "-filter_complex", "amix=inputs=2,aformat=channel_layouts=stereo", "-c:a",
               "libmp3lame", "-b:a", "192k", QString::fromStdString(audio)})) {
    std::fprintf(stderr, "could not make the input files with ffmpeg\n");
    return 1;
  }

  Result avi, mp4;
  for (int i = 0; i < rounds; ++i) {
    Convert(image, audio, (dir.path() + "/video.avi").toStdString(), avi);
    Convert(image, audio, (dir.path() + "/video.mp4").toStdString(), mp4);
  }
  const auto row = [](const char* name, const Result& r) {
    std::printf("  %-4s %8.1f MB %8.2f s %8.2f s   %+.3f s\n", name, r.bytes / 1e6, Median(r.wall),
                Median(r.cpu), r.lengthError);
  };
  std::printf("a %d s MP3 (192 kb/s) with a 1920x1080 JPEG cover, median of %d alternated rounds\n",
              seconds, rounds);
  std::printf("       size        time    processor  length - audio's\n");
  row("AVI", avi);
  row("MP4", mp4);
  std::printf(
      "  MP4/AVI: size %.3f (goal: at most 0.1), time %.3f (goal: at most 0.333), "
      "processor %.3f\n",
      mp4.bytes / avi.bytes, Median(mp4.wall) / Median(avi.wall),
      Median(mp4.cpu) / Median(avi.cpu));
  return 0;
}
