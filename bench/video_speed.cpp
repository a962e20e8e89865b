// What an MP4 costs against copying its sound: the program's command line makes one 40-minute
// song, an album of ten 4-minute MP3s, and the same ten songs one video each, with a 1920x1080
// and with a 3000x3000 cover, and FFmpeg alone copies the same sound into an MP4 (the floor:
// `ffmpeg -i SONG -map 0:a -c copy -movflags +faststart floor.mp4`, for the album the songs
// joined, for one each song by song). Prints each job's time, the floor's, their ratio, and the
// video's size and frame. Goal: each ratio at most 3 with a 1920x1080 cover, at most 4 with a
// 3000x3000 one.
//
//   build/bench/video_speed [program (default: the one built here)] [rounds (default 1)]
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using bench::Ffmpeg;

// The wall time of a program's run, in seconds; a negative time for a failed run.
double Timed(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const auto start = std::chrono::steady_clock::now();
  p.start(program, args);
  const bool ok = p.waitForFinished(-1) && p.exitCode() == 0;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!ok) std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
  return ok ? took.count() : -1;
}

QString Probe(const QString& file) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                      "stream=width,height", "-of", "csv=p=0:s=x", file});
  p.waitForFinished(-1);
  return p.readAllStandardOutput().trimmed();
}

struct Job {
  const char* name;
  QStringList args;        // for the program, after --ffmpeg and --image
  QStringList floors[10];  // FFmpeg's copies of the same sound
  QString video;           // what it makes, to look at
};

}  // namespace

int main(int argc, char** argv) {
  const QString program = argc > 1 ? argv[1] : FRAMORA_PROGRAM;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  QTemporaryDir dir;
  const QString d = dir.path() + "/";
  // The songs: sound that does not compress to nothing, as music does not.
  const QString noise = "anoisesrc=c=pink:a=0.1:d=";
  if (!Ffmpeg({"-f", "lavfi", "-i", noise + "2400", "-c:a", "libmp3lame", "-b:a", "128k",
               d + "long.mp3"})) {
    return 1;
  }
  QStringList songs;
  for (int i = 1; i <= 10; ++i) {
    songs << d + QString("song%1.mp3").arg(i, 2, 10, QChar('0'));
    if (!Ffmpeg({"-f", "lavfi", "-i", noise + "240", "-c:a", "libmp3lame", "-b:a", "192k",
                 songs.back()})) {
      return 1;
    }
  }
  {
    QFile list(d + "list.txt");
    list.open(QIODevice::WriteOnly);
    for (const QString& song : songs) list.write(("file '" + song + "'\n").toUtf8());
  }
  for (const auto& [size, name] : {std::pair{"1920x1080", "hd.jpg"}, {"3000x3000", "big.jpg"}})
    Ffmpeg({"-f", "lavfi", "-i", QString("testsrc2=s=") + size, "-frames:v", "1", d + name});

  QDir().mkpath(d + "each");
  QDir().mkpath(d + "floor");
  const QStringList copy = {"-c", "copy", "-movflags", "+faststart"};
  std::printf("%-28s %9s %9s %7s %9s %s\n", "job (cover)", "program", "floor", "ratio", "size",
              "frame");
  for (const char* cover : {"hd.jpg", "big.jpg"}) {
    Job jobs[] = {
        {"one song of 40 minutes", {"--format", "mp4", d + "long.mp3"}, {}, d + "long.mp4"},
        {"an album of ten songs",
         QStringList{"--album", d + "album.mp4"} + songs,
         {},
         d + "album.mp4"},
        {"ten songs, one video each",
         QStringList{"--format", "mp4", "--output-dir", d + "each"} + songs,
         {},
         d + "each/song01.mp4"},
    };
    jobs[0].floors[0] = QStringList{"-i", d + "long.mp3", "-map", "0:a"} + copy << d + "floor.mp4";
    jobs[1].floors[0] = QStringList{"-f", "concat", "-safe", "0", "-i", d + "list.txt"} + copy
                        << d + "floor.mp4";
    for (int i = 0; i < 10; ++i) {
      jobs[2].floors[i] = QStringList{"-i", songs[i], "-map", "0:a"} + copy
                          << d + QString("floor/%1.mp4").arg(i);
    }
    for (Job& job : jobs) {
      std::vector<double> made, floor;
      for (int round = 0; round < rounds; ++round) {
        QDir(d + "each").removeRecursively();
        QDir().mkpath(d + "each");
        for (const QString& old : {d + "long.mp4", d + "album.mp4", d + "album.txt"})
          QFile::remove(old);
        made.push_back(
            Timed(program, QStringList{"--ffmpeg", "ffmpeg", "--image", d + cover} + job.args));
        double floorTime = 0;
        for (const QStringList& args : job.floors) {
          if (!args.isEmpty())
            floorTime += Timed("ffmpeg", QStringList{"-v", "error", "-y"} + args);
        }
        floor.push_back(floorTime);
      }
      std::sort(made.begin(), made.end());
      std::sort(floor.begin(), floor.end());
      const double m = made[made.size() / 2], f = floor[floor.size() / 2];
      const QString label = QString("%1 (%2)").arg(
          job.name, cover == std::string("hd.jpg") ? "1920x1080" : "3000x3000");
      std::printf("%-40s %7.2f s %7.2f s %7.1f %7.1f MB %s\n", qPrintable(label), m, f, m / f,
                  static_cast<double>(QFileInfo(job.video).size()) / 1e6,
                  qPrintable(Probe(job.video)));
    }
  }
  return 0;
}
