// A batch of three songs through the program's command line against the same three FFmpeg
// commands run one after another directly, alternated; prints both times and their ratio.
// Goal: at most 1.05.
//
//   build/bench/batch_overhead [rounds (default 5)] [seconds of each song (default 30)]
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "convert/song_command.h"

namespace {

bool Run(const QString& program, const QStringList& args) {
  QProcess p;
  // FFmpeg run directly writes to nobody; the batch reads all of it through its pipe.
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(program, args);
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList Q(const std::vector<std::string>& words) {
  QStringList list;
  for (const std::string& word : words) list << QString::fromStdString(word);
  return list;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  QTemporaryDir dir;
  const std::string cover = (dir.path() + "/cover.png").toStdString();
  std::vector<std::string> songs, videos;
  bool made = Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=s=640x480", "-frames:v",
                             "1", QString::fromStdString(cover)});
  for (int i = 1; i <= 3 && made; ++i) {
    songs.push_back((dir.path() + QString("/song %1.wav").arg(i)).toStdString());
    videos.push_back((dir.path() + QString("/song %1.avi").arg(i)).toStdString());
    made = Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                          QString("sine=frequency=%1:duration=%2").arg(220 * i).arg(seconds),
                          QString::fromStdString(songs.back())});
  }
  if (!made) {
    std::fprintf(stderr, "could not make the input files with ffmpeg\n");
    return 1;
  }
  const auto clear = [&] {
    for (const std::string& video : videos) std::filesystem::remove(video);
  };
  const auto time = [](const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = work();
    if (!ok) std::fprintf(stderr, "a conversion failed\n");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };

  std::vector<double> batch, direct;
  for (int round = 0; round < rounds; ++round) {
    clear();
    batch.push_back(time([&] {
      return Run(FRAMORA_PROGRAM, QStringList{"--ffmpeg", "ffmpeg", "--format", "avi", "--image",
                                              QString::fromStdString(cover)} +
                                      Q(songs));
    }));
    clear();
    direct.push_back(time([&] {
      bool ok = true;
      for (std::size_t i = 0; i < songs.size(); ++i)
        ok = Run("ffmpeg",
                 Q(framora::convert::ConversionArguments({cover, songs[i], {}, videos[i], {}, {}},
                                                         framora::ShellKind::Posix))) &&
             ok;
      return ok;
    }));
  }
  const double b = Median(batch), d = Median(direct);
  std::printf("three %d s songs into AVIs, median of %d alternated rounds\n", seconds, rounds);
  std::printf("  the program's batch:      %.3f s\n", b);
  std::printf("  FFmpeg run directly:      %.3f s\n", d);
  std::printf("  ratio:                    %.3f (goal: at most 1.05)\n", b / d);
  return 0;
}
