// Console throughput: a flood of real command output through the POSIX runner, the console
// logic and the console widget (offscreen), against a plain loop of 256-byte reads of the same
// command over a pipe, measured in the same run.
//
//   console_throughput [megabytes [rounds [lines|progress]]]   (default 100 MB, 3 rounds, lines)
//
// "lines": FFmpeg progress lines, each ended by LF, all shorter than the pane. "progress": the
// same updates separated by CR, as FFmpeg writes them, with a LF after every 50; the pane drops
// the CRs, so each line grows to about 4 KB and wraps over many rows.
//
// Prints MB/s of both, their ratio, the worst lateness of a 10 ms timer during the flood (the
// user interface's responsiveness), the progress reader's share of the console's time, and the
// peak memory of the process while the console takes the output (the pane keeps a bounded
// part of it, so that stays flat however much is written). The rounds alternate the two, so a
// machine busy with other work slows both alike; the best of each is compared.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "convert/progress_reader.h"
#include "platform/posix/posix_process_host.h"
#include "qt/console_pane_view.h"
#include "qt/console_window.h"
#include "qt/qt_adapters.h"

namespace {

// One line of FFmpeg progress, as a conversion floods the console with them.
const char* kLine =
    "frame= 1234 fps= 25 q=2.0 size=    1024kB time=00:00:49.36 bitrate= 170.0kbits/s";
constexpr int kUpdatesPerLine = 50;  // in the "progress" shape
const char* kInputs =
    "Input #0, png_pipe, from a.png:\\n  Duration: N/A\\nInput #1, wav, from b.wav:\\n"
    "  Duration: 01:00:00.00, bitrate: 705 kb/s\\nOutput #0, avi, to c.avi:\\n";

class CountingMessages : public framora::MessageBoxPort {
 public:
  void ShowMessage(const std::string& prompt, framora::MessageIcon, const std::string&) override {
    last = prompt;
    ++count;
  }
  std::string last;
  int count = 0;
};

// The task-bar button, counting what the console asks of it.
class CountingTaskbar : public framora::TaskbarProgressPort {
 public:
  void ShowProgress(double) override { ++shown; }
  void ClearProgress() override { ++cleared; }
  int shown = 0;
  int cleared = 0;
};

double Seconds(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

// The baseline: the same command, its output read 256 bytes at a time and thrown away.
double PlainLoopSeconds(const std::string& command, std::size_t& bytes) {
  QElapsedTimer timer;
  timer.start();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[256];
  bytes = 0;
  for (;;) {
    const ssize_t n = ::read(::fileno(pipe), buffer, sizeof buffer);
    if (n <= 0) break;
    bytes += static_cast<std::size_t>(n);
  }
  ::pclose(pipe);
  return Seconds(timer);
}

qint64 ThreadCpuNs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto s = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return s(usage.ru_utime) + s(usage.ru_stime);
}

long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct ConsoleRound {
  double seconds = 0;
  std::size_t rows = 0;
  std::size_t lines = 0;
  double cpuSeconds = 0;
  double worstDelayMs = 0;
  double worstDelayCpuMs = 0;  // of the worst gap, the console's own work
  int ticks = 0;
  int progressShown = 0;
  std::size_t paneBytes = 0;
  std::string lastMessage;
};

// One run of the command in a fresh console window, from the click on Execute to its return.
ConsoleRound RunInConsole(const std::string& command) {
  framora::qt::QtYield yield([] { return false; });
  CountingMessages messages;
  CountingTaskbar taskbar;
  framora::AppContext ctx;
  ctx.messages = &messages;
  ctx.taskbar = &taskbar;
  ctx.yield = &yield;
  ctx.programFolder = QCoreApplication::applicationDirPath().toStdString();
  ctx.makeProcessHost = [&yield]() -> std::unique_ptr<framora::ProcessHost> {
    return std::make_unique<framora::posix::PosixProcessHost>(yield);
  };

  framora::qt::ConsoleWindow window(ctx, nullptr);
  window.Load();
  window.findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(command));

  // How late a 10 ms timer gets while the output pours in.
  QElapsedTimer sinceTick;
  qint64 worstGapNs = 0;
  // What this thread itself worked during that gap: the rest was the machine's other work.
  qint64 worstGapCpuNs = 0;
  qint64 cpuAtTick = ThreadCpuNs();
  ConsoleRound round;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(10);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 gap = sinceTick.nsecsElapsed();
    if (gap > worstGapNs) {
      worstGapNs = gap;
      worstGapCpuNs = ThreadCpuNs() - cpuAtTick;
    }
    sinceTick.restart();
    cpuAtTick = ThreadCpuNs();
    ++round.ticks;
  });

  const std::size_t before = window.Logic().Pane().Chars().size();
  const double cpuBefore = CpuSeconds();
  QElapsedTimer timer;
  timer.start();
  sinceTick.start();
  probe.start();
  window.findChild<QPushButton*>("cmdExecute")->click();
  probe.stop();
  round.seconds = Seconds(timer);
  round.cpuSeconds = CpuSeconds() - cpuBefore;
  window.FlushPane();
  round.paneBytes = window.Logic().Pane().Chars().size() - before;
  const auto* pane = window.findChild<framora::qt::ConsolePaneView*>("rtfOutput");
  round.rows = pane->RowCount();
  round.lines = pane->LineCount();
  round.worstDelayMs = std::max(0.0, static_cast<double>(worstGapNs) / 1e6 - 10.0);
  round.worstDelayCpuMs = static_cast<double>(worstGapCpuNs) / 1e6;
  round.lastMessage = messages.last;
  round.progressShown = taskbar.shown;
  return round;
}

// The console's progress reader alone over the same flood, in 256-byte chunks, asked how far
// the conversion has got as the console asks it (at most every 250 ms, after a look at the
// clock for each chunk): what it adds to each chunk the console handles.
double ReaderNanosecondsPerChunk(std::size_t bytes) {
  std::string flood;
  for (const char* c = kInputs; *c != '\0'; ++c) {
    const bool escape = c[0] == '\\' && c[1] == 'n';  // kInputs is written for printf
    flood += escape ? '\n' : *c;
    c += escape ? 1 : 0;
  }
  while (flood.size() < bytes) flood += std::string(kLine) + "\n";
  framora::convert::ProgressReader reader;
  reader.Start();
  QElapsedTimer timer;
  timer.start();
  std::size_t chunks = 0;
  qint64 asked = 0;
  for (std::size_t at = 0; at < flood.size(); at += 256, ++chunks) {
    reader.Feed(std::string_view(flood).substr(at, 256));
    if (const qint64 now = timer.elapsed(); now - asked >= 250) {
      asked = now;
      (void)reader.Fraction();
    }
  }
  const double ns = static_cast<double>(timer.nsecsElapsed()) / static_cast<double>(chunks);
  return reader.Fraction() ? ns : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const long megabytes = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string shape = argc > 3 ? argv[3] : "lines";
  if (shape != "lines" && shape != "progress") {
    std::fprintf(stderr, "usage: console_throughput [megabytes [rounds [lines|progress]]]\n");
    return 2;
  }
  const std::size_t total = static_cast<std::size_t>(megabytes) * 1024 * 1024;
  // What `yes` repeats: one progress line, or a group of updates joined by CRs (for printf).
  std::string repeated = kLine;
  if (shape == "progress") {
    for (int i = 1; i < kUpdatesPerLine; ++i) repeated += std::string("\\r") + kLine;
  }
  // FFmpeg's inputs first, so that the console's progress reader has a total to follow.
  const std::string command = std::string("(printf '") + kInputs + "'; yes \"$(printf '" +
                              repeated + "')\") | head -c " + std::to_string(total);
  std::printf("command: %.300s%s\n", command.c_str(), command.size() > 300 ? " ..." : "");
  std::printf("rounds:  %d, each the plain loop then the console; best of each compared\n\n",
              rounds);

  double bestPlain = 0;
  double bestConsole = 0;
  double plainCpuAtBest = 0;
  double consoleCpuAtBest = 0;
  double worstDelayMs = 0;
  double worstDelayCpuMs = 0;
  bool complete = true;
  for (int i = 1; i <= rounds; ++i) {
    std::size_t plainBytes = 0;
    const double cpuBefore = CpuSeconds();
    const double plainSeconds = PlainLoopSeconds(command, plainBytes);
    const double plainCpu = CpuSeconds() - cpuBefore;
    const double plainRate = static_cast<double>(plainBytes) / 1e6 / plainSeconds;
    const ConsoleRound round = RunInConsole(command);
    const double rate = static_cast<double>(total) / 1e6 / round.seconds;
    complete = complete && plainBytes == total && round.lastMessage == "Complete reading output!";
    std::printf(
        "round %d: plain loop %7.1f MB/s (%.2f s, cpu %.2f s) | console %7.1f MB/s (%.2f s, cpu "
        "%.2f s) | ratio %5.1f %% | timer worst delay %5.1f ms (own work %4.1f ms of that gap) "
        "over %d ticks | progress shown %d times | %zu lines in %zu rows\n",
        i, plainRate, plainSeconds, plainCpu, rate, round.seconds, round.cpuSeconds,
        100.0 * rate / plainRate, round.worstDelayMs, round.worstDelayCpuMs, round.ticks,
        round.progressShown, round.lines, round.rows);
    if (plainRate > bestPlain) {
      bestPlain = plainRate;
      plainCpuAtBest = plainCpu;
    }
    if (rate > bestConsole) {
      bestConsole = rate;
      consoleCpuAtBest = round.cpuSeconds;
    }
    if (round.worstDelayMs >= worstDelayMs) {
      worstDelayMs = round.worstDelayMs;
      worstDelayCpuMs = round.worstDelayCpuMs;
    }
  }
  // Before the progress reader's own flood below, which is this benchmark's and not the pane's.
  const double peakMb = static_cast<double>(PeakKilobytes()) / 1024.0;

  std::printf("\nplain 256-byte loop: %8.1f MB/s (best)\n", bestPlain);
  std::printf("console window:      %8.1f MB/s (best; runner + console logic + offscreen widget)\n",
              bestConsole);
  std::printf("ratio:               %8.1f %%  (goal: at least 50 %%)\n",
              100.0 * bestConsole / bestPlain);
  std::printf("ratio of CPU time:   %8.1f %%  (plain loop CPU / console CPU, same output)\n",
              100.0 * plainCpuAtBest / consoleCpuAtBest);
  std::printf(
      "10 ms timer:         worst delay %.1f ms  (goal: under 20 ms); the console worked %.1f ms "
      "of that %.1f ms gap, the machine's other work took the rest\n",
      worstDelayMs, worstDelayCpuMs, worstDelayMs + 10.0);
  const double readerNs = ReaderNanosecondsPerChunk(total);
  std::printf("progress reader:     %8.1f ns per 256-byte chunk, %.1f %% of the console's time\n",
              readerNs, 100.0 * readerNs / (256.0 / (bestConsole * 1e6) * 1e9));
  std::printf(
      "peak memory:         %.1f MB for %ld MB of output (whole process, console rounds; goal: "
      "under 100 MB for 100 MB, and flat however much more)\n",
      peakMb, megabytes);
  if (!complete) std::printf("ERROR: a run did not deliver all of its output\n");
  return complete ? 0 : 1;
}
