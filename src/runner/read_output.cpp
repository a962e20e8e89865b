#include "runner/read_output.h"

#include <string>
#include <utility>

#include "runner/process_host.h"

namespace framora {

namespace {

constexpr std::int32_t kInvalidCommand = 1200;
constexpr std::int32_t kAlreadyProcessing = 1201;
constexpr std::int32_t kNotProcessing = 1202;
constexpr std::int32_t kCannotClose = 1203;

// Closes a host handle once; on every way out of a run, so a throwing handler leaks nothing.
class ScopedHandle {
 public:
  ScopedHandle(ProcessHost& host, HostHandle handle) : host_(host), handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Close(); }

  HostHandle get() const { return handle_; }
  HostHandle Release() { return std::exchange(handle_, kNoHandle); }
  void Close() {
    if (handle_ != kNoHandle) host_.CloseHandle(std::exchange(handle_, kNoHandle));
  }

 private:
  ProcessHost& host_;
  HostHandle handle_;
};

// Returns the instance to idle however the run ends.
class IdleOnExit {
 public:
  IdleOnExit(bool& processing, bool& cancel, bool& stop)
      : processing_(processing), cancel_(cancel), stop_(stop) {}
  IdleOnExit(const IdleOnExit&) = delete;
  IdleOnExit& operator=(const IdleOnExit&) = delete;
  ~IdleOnExit() {
    processing_ = false;
    cancel_ = false;
    stop_ = false;
  }

 private:
  bool& processing_;
  bool& cancel_;
  bool& stop_;
};

// A read that waits keeps the windows alive and gives up as soon as there is a reason to
// look again: a cancel request, or the program ending.
class LoopWait final : public ReadWait {
 public:
  LoopWait(ProcessHost& host, const bool& cancel) : host_(host), cancel_(cancel) {}

  bool KeepWaiting() override {
    if (!host_.Yield()) {
      ending = true;
      return false;
    }
    return !cancel_;
  }

  bool ending = false;

 private:
  ProcessHost& host_;
  const bool& cancel_;
};

enum class RunEnd { Natural, Cancel, ProgramEnding };

// How long a command that received the close request may take to end by itself before it is
// ended: long enough for FFmpeg to finish writing what it has, short enough that the program,
// when this stop also ends it, is not noticed lingering.
constexpr std::uint32_t kCloseGraceMs = 3000;

}  // namespace

ReadOutput::ReadOutput(ProcessHost& host, ReadOutputEvents& events)
    : host_(host), events_(events) {}

void ReadOutput::SetCommand(std::string sCommandVal) { sCommand = std::move(sCommandVal); }

std::string ReadOutput::SetCommand() const { return sCommand; }

bool ReadOutput::Processing() const { return bProcessing; }

std::optional<std::int32_t> ReadOutput::ExitCode() const { return exitCode_; }

void ReadOutput::CancelProcess() {
  if (bProcessing) {
    bCancel = true;
    return;
  }
  RaiseError("Not currently processing a command!", kNotProcessing);
}

void ReadOutput::StopProcess() {
  CancelProcess();
  if (bProcessing) bStop = true;
}

void ReadOutput::ProcessCommand() {
  // A refused run leaves no exit status behind either; the one in progress keeps its own.
  if (!bProcessing) exitCode_.reset();
  if (sCommand.empty()) {
    RaiseError("Invalid Command.", kInvalidCommand);
    return;
  }
  if (bProcessing) {
    RaiseError("Currently processing a command!", kAlreadyProcessing);
    return;
  }
  RunCommandLine(sCommand);
}

void ReadOutput::RunCommandLine(std::string sCommandLine) {
  bProcessing = true;
  IdleOnExit idleOnExit(bProcessing, bCancel, bStop);
  std::string chunk;  // one buffer for every read of the run

  const SecurityAttributes attributes;
  HostHandle hRead = kNoHandle;
  HostHandle hWrite = kNoHandle;
  if (!host_.CreatePipe(hRead, hWrite, attributes, 0)) {
    const std::int32_t code = host_.GetLastError();
    bProcessing = false;
    RaiseError("CreatePipe failed.", code);
    return;
  }
  ScopedHandle readEnd(host_, hRead);
  ScopedHandle writeEnd(host_, hWrite);

  StartupInfo startup;
  startup.dwFlags = kStartfUseShowWindow | kStartfUseStdHandles;
  startup.wShowWindow = kSwHide;
  startup.hStdOutput = hWrite;
  startup.hStdError = hWrite;

  // The pipe's write end must pass to the child, but the handles of the child's own process and
  // thread must pass to nobody: a later run's command would hold this one's process for life.
  SecurityAttributes processAttributes;
  processAttributes.bInheritHandle = 0;
  const CommandLine commandLine{host_.GetComSpec(), std::move(sCommandLine)};
  ProcessInformation process;
  if (!host_.CreateProcess(commandLine, processAttributes, startup, process)) {
    const std::int32_t code = host_.GetLastError();
    bProcessing = false;
    readEnd.Close();
    writeEnd.Close();
    RaiseError("CreateProcess failed.", code);
    return;
  }
  ScopedHandle processHandle(host_, process.hProcess);
  ScopedHandle threadHandle(host_, process.hThread);

  // Only the child may hold the write end now, so the pipe ends when the child's side does.
  writeEnd.Close();
  events_.Starting();
  bCancel = false;
  bStop = false;

  LoopWait wait(host_, bCancel);
  // The program ending drops the run, unless the user has asked for this command to stop:
  // that is carried out all the same, even when the same close ends the program.
  const auto ending = [this] { return bStop ? RunEnd::Cancel : RunEnd::ProgramEnding; };
  RunEnd end = RunEnd::Natural;
  bool yieldFirst = true;
  for (bool reading = true; reading;) {
    if (yieldFirst && !host_.Yield()) {
      end = ending();
      break;
    }
    yieldFirst = true;
    if (bCancel) {
      end = RunEnd::Cancel;
      break;
    }
    switch (host_.ReadFile(readEnd.get(), chunk, wait)) {
      case ReadStatus::Read:
        events_.GotChunk(chunk, false);
        break;
      case ReadStatus::Interrupted:
        if (wait.ending) {
          end = ending();
          reading = false;
        }
        // The wait has just yielded; straight on to the cancel check.
        yieldFirst = false;
        break;
      case ReadStatus::Ended:
        reading = false;
        events_.GotChunk(chunk, true);
        // The end of the output is not yet the end of the command: its exit status comes with
        // the end of the process, which may close its output and go on for a while.
        if (!bCancel) {
          if (host_.WaitForProcess(processHandle.get(), kInfinite, wait) ==
              WaitStatus::Interrupted) {
            end = wait.ending ? ending() : RunEnd::Cancel;
            break;
          }
          std::uint32_t code = 0;
          if (host_.GetExitCodeProcess(processHandle.get(), code)) {
            exitCode_ = static_cast<std::int32_t>(code);
          }
        }
        events_.Complete();
        end = bCancel ? RunEnd::Cancel : RunEnd::Natural;
        break;
    }
  }

  // When the program is ending the child is left alone, and left running after the program:
  // nobody is left to hear about it.
  if (end == RunEnd::ProgramEnding) host_.LetOutliveProgram(processHandle.get());
  if (end == RunEnd::Cancel) {
    exitCode_.reset();
    const std::int32_t processId = process.dwProcessId;
    bool closed = CloseProcess(processId, 0);
    // The grace and the end of the tree go on beside us: neither the windows nor the next run
    // wait for them. A command that got no request has nothing to finish first.
    if (bStop && host_.EndProcessTreeLater(processHandle.get(), closed ? kCloseGraceMs : 0)) {
      processHandle.Release();
      closed = true;
    }
    if (closed) {
      events_.Canceled();
    } else {
      RaiseError("Cannot close process id: " + std::to_string(processId), kCannotClose);
    }
  }

  processHandle.Close();
  threadHandle.Close();
  readEnd.Close();
}

bool ReadOutput::CloseProcess(std::int32_t lProcessID, std::int32_t uExitCode) {
  if (!bVersionKnown) ReadOsVersion();
  if (bWin9xFamily) {
    if (!PostToProcessWindows(lProcessID, kWmEndSession, -1)) return false;
    const HostHandle hProcess = host_.OpenProcess(kProcessTerminate, false, lProcessID);
    if (hProcess == kNoHandle) return false;
    const bool terminated = host_.TerminateProcess(hProcess, static_cast<std::uint32_t>(uExitCode));
    host_.CloseHandle(hProcess);
    return terminated;
  }
  return PostToProcessWindows(lProcessID, kWmClose, 0);
}

void ReadOutput::ReadOsVersion() {
  OsVersionInfo info;
  info.dwOSVersionInfoSize = 148;
  info.szCSDVersion.assign(128, ' ');
  host_.GetVersionEx(info);

  const std::int32_t major = info.dwMajorVersion;
  const std::int32_t minor = info.dwMinorVersion;
  const std::int32_t platform = info.dwPlatformId;
  bWin9xFamily =
      (platform == kVerPlatformWin32Windows && (major > 4 || (major == 4 && minor == 0))) ||
      (major == 4 && minor > 0);
  bVersionKnown = true;
}

bool ReadOutput::PostToProcessWindows(std::int32_t lProcessID, std::uint32_t uMsg,
                                      std::int32_t wParam) {
  WindowHandle window = host_.GetWindow(host_.GetDesktopWindow(), kGwChild);
  if (window == kNoWindow) return false;

  bool found = false;
  for (; window != kNoWindow; window = host_.GetWindow(window, kGwHwndNext)) {
    if (host_.GetParent(window) != kNoWindow) continue;
    std::int32_t owner = 0;
    host_.GetWindowThreadProcessId(window, owner);
    if (owner != lProcessID) continue;
    host_.PostMessage(window, uMsg, wParam, 0);
    found = true;
  }
  return found;
}

void ReadOutput::RaiseError(const std::string& error, std::int32_t code) {
  std::int32_t lastDllError = code;  // whatever the handler writes back is ignored
  events_.Error(error, lastDllError);
}

}  // namespace framora
