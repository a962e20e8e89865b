// How fast a run streams output: ReadOutput on the POSIX host, with a host that only counts,
// against a plain loop of 256-byte reads over the same kind of pipe fed by the same producer,
// both measured in this run. Also the peak memory after a small and after a large run, which
// must not grow with the amount of output.
//
//   runner_throughput [MB]     (default 100; the memory check uses MB/2 and MB*2)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ports.h"
#include "platform/posix/posix_process_host.h"
#include "runner/read_output.h"

extern char** environ;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr int kRounds = 5;

std::string Producer(std::uint64_t bytes) {
  return "yes 'frame=  100 fps= 25 q=2.0 size=    1024kB time=00:00:04.00 bitrate=2097.2kbits/s' "
         "| head -c " +
         std::to_string(bytes);
}

class IdleYield : public framora::YieldPort {
 public:
  bool Yield() override { return true; }
};

class CountingEvents : public framora::ReadOutputEvents {
 public:
  void Error(const std::string& error, std::int32_t& code) override {
    std::fprintf(stderr, "Error: %s (%d)\n", error.c_str(), code);
    failed = true;
  }
  void GotChunk(const std::string& sChunk, bool) override {
    bytes += sChunk.size();
    ++chunks;
  }
  void Complete() override {}
  void Starting() override {}
  void Canceled() override {}

  std::uint64_t bytes = 0;
  std::uint64_t chunks = 0;
  bool failed = false;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// CPU time this process has used so far (user and system), in seconds.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The whole run through ReadOutput; returns seconds, or a negative number on failure.
double RunnerSeconds(std::uint64_t bytes) {
  IdleYield yield;
  framora::posix::PosixProcessHost host(yield);
  CountingEvents events;
  framora::ReadOutput runner(host, events);
  runner.SetCommand(Producer(bytes));
  const auto start = std::chrono::steady_clock::now();
  runner.ProcessCommand();
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  if (events.failed || events.bytes != bytes) {
    std::fprintf(stderr, "runner delivered %llu of %llu bytes\n",
                 static_cast<unsigned long long>(events.bytes),
                 static_cast<unsigned long long>(bytes));
    return -1;
  }
  return seconds;
}

// The same producer into the same kind of pipe, read by the plainest loop there is.
double PlainLoopSeconds(std::uint64_t bytes) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::string shell = "/bin/sh";
  std::string option = "-c";
  std::string command = Producer(bytes);
  char* argv[] = {shell.data(), option.data(), command.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, shell.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return -1;
  }
  char buffer[256];
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    total += static_cast<std::uint64_t>(n);
  }
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return total == bytes ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
  const std::uint64_t bytes = megabytes * kMiB;
  std::printf("producer: %s\n", Producer(bytes).c_str());

  // Best of a few rounds, the two ways taking turns so that both see the same machine.
  double runner = 1e30;
  double plain = 1e30;
  double runnerCpu = 1e30;
  double plainCpu = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    const double cpu0 = CpuSeconds();
    const double p = PlainLoopSeconds(bytes);
    const double cpu1 = CpuSeconds();
    const double r = RunnerSeconds(bytes);
    const double cpu2 = CpuSeconds();
    if (p < 0 || r < 0) {
      std::fprintf(stderr, "a measurement failed\n");
      return 1;
    }
    plain = std::min(plain, p);
    runner = std::min(runner, r);
    plainCpu = std::min(plainCpu, cpu1 - cpu0);
    runnerCpu = std::min(runnerCpu, cpu2 - cpu1);
  }
  const double mb = static_cast<double>(bytes) / kMiB;
  std::printf("output:            %.0f MiB, best of %d rounds\n", mb, kRounds);
  std::printf("plain 256-byte loop: %8.1f MiB/s\n", mb / plain);
  std::printf("ReadOutput run:      %8.1f MiB/s\n", mb / runner);
  std::printf("ratio:               %8.1f %% of the plain loop (goal: at least 50 %%)\n",
              100.0 * plain / runner);
  std::printf("reader's own CPU time: plain loop %.2f ms/MiB, ReadOutput %.2f ms/MiB\n",
              1000.0 * plainCpu / mb, 1000.0 * runnerCpu / mb);

  // Peak memory after a small run and after one four times as large.
  const std::uint64_t small = std::max<std::uint64_t>(1, megabytes / 2) * kMiB;
  const std::uint64_t large = megabytes * 2 * kMiB;
  if (RunnerSeconds(small) < 0) return 1;
  const long peakSmall = PeakKiB();
  if (RunnerSeconds(large) < 0) return 1;
  const long peakLarge = PeakKiB();
  std::printf(
      "peak memory (ru_maxrss): %ld KiB after %llu MiB, %ld KiB after %llu MiB (%+ld KiB)\n",
      peakSmall, static_cast<unsigned long long>(small / kMiB), peakLarge,
      static_cast<unsigned long long>(large / kMiB), peakLarge - peakSmall);
  return 0;
}
