#include "platform/posix/posix_batch.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_process_host.h"

namespace framora::posix {

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void RequestStop(int /*signal*/) { stopRequested.store(true); }

class TerminalSystem final : public batch::BatchSystem {
 public:
  bool IsTerminal() override { return ::isatty(STDOUT_FILENO) == 1; }
  void Out(std::string_view text) override { Write(STDOUT_FILENO, text); }
  void Err(std::string_view text) override { Write(STDERR_FILENO, text); }
  bool StopRequested() override { return stopRequested.load(); }
  std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield) override {
    return std::make_unique<PosixProcessHost>(yield, &stops_);
  }
  void WaitForStops() override { stops_.WaitAll(); }

 private:
  static void Write(int fd, std::string_view text) {
    while (!text.empty()) {
      const ssize_t n = ::write(fd, text.data(), text.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // nobody reads any more: the batch goes on all the same
      text.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  BackgroundStops stops_;  // the program ends only once every stop is over
};

}  // namespace

int RunCommandLine(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // However the batch is asked to end (Ctrl+C, Ctrl+\, its terminal closing, a termination
  // request), FFmpeg is stopped and the video it was writing removed.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(signal, &action, nullptr);
  // A reader that has gone (`| head`) must not end the batch with FFmpeg still running.
  ::signal(SIGPIPE, SIG_IGN);

  TerminalSystem system;
  PosixFileSystem files;
  PosixProgramSearch programs;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = batch::RunCommandLine(
      args, batch::BatchPorts{system, files, programs, PosixFfmpegSearch(), ShellKind::Posix});
  system.WaitForStops();
  return status;
}

}  // namespace framora::posix

namespace framora::batch {

std::optional<int> RunProgramCommandLine(int argc, char** argv) {
  if (argc <= 1) return std::nullopt;
  return posix::RunCommandLine(argc, argv);
}

}  // namespace framora::batch
