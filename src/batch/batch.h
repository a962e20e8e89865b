// The command line at work: --help and --version answer, and a batch converts each audio file
// with the window's command, FFmpeg search, quoting, runner and launch rule, one after another.
// Nothing here needs a window or a display.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/paths.h"
#include "app/ports.h"
#include "app/program_search.h"

namespace framora {
class ProcessHost;
}

namespace framora::batch {

// Exit statuses.
inline constexpr int kDone = 0;       // every file converted or skipped
inline constexpr int kFailed = 1;     // some file failed
inline constexpr int kUsage = 2;      // the command line cannot be carried out
inline constexpr int kStopped = 130;  // the user stopped the batch (Ctrl+C)

// What the batch needs of the system besides the ports the windows use.
class BatchSystem {
 public:
  virtual ~BatchSystem() = default;
  // Standard output is a terminal: it gets a live line for the file being converted.
  virtual bool IsTerminal() = 0;
  virtual void Out(std::string_view text) = 0;
  virtual void Err(std::string_view text) = 0;
  // The user has asked to stop (Ctrl+C, a termination request); may turn true at any time.
  virtual bool StopRequested() = 0;
  // A host for the runs, whose waits go through `yield`.
  virtual std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield) = 0;
  // Returns once the stops of commands handed over to be ended beside the batch are over.
  virtual void WaitForStops() = 0;
};

struct BatchPorts {
  BatchSystem& system;
  FileSystemPort& files;
  // Where FFmpeg is looked for when --ffmpeg does not name one.
  ProgramSearchPort& programs;
  ProgramSearch ffmpegSearch;
  ShellKind shell = ShellKind::Posix;
};

// Runs the command line (the arguments after the program's name) and returns the exit status.
int RunCommandLine(const std::vector<std::string>& args, BatchPorts ports);

// The program's command line on the system it is built for (the platform adapters define it),
// before any window: the exit status when the arguments asked for the command line (--help,
// --version, a batch), nothing when the program opens its windows instead.
std::optional<int> RunProgramCommandLine(int argc, char** argv);

}  // namespace framora::batch
