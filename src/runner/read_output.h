// ReadOutput: runs one command line at a time through the command interpreter, reads its
// joined standard output and standard error in pieces of at most 256 bytes, and reports the
// run through five events. Everything happens on the caller's (user-interface) thread; the
// host's windows keep working through the yields of the read loop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace framora {

class ProcessHost;

// The five events, in declaration order. Handlers may call back into the control.
class ReadOutputEvents {
 public:
  virtual ~ReadOutputEvents() = default;
  // A value written into lastDllError is ignored by the control.
  virtual void Error(const std::string& error, std::int32_t& lastDllError) = 0;
  virtual void GotChunk(const std::string& sChunk, bool lastChunk) = 0;
  virtual void Complete() = 0;
  virtual void Starting() = 0;
  virtual void Canceled() = 0;
};

class ReadOutput {
 public:
  ReadOutput(ProcessHost& host, ReadOutputEvents& events);
  ReadOutput(const ReadOutput&) = delete;
  ReadOutput& operator=(const ReadOutput&) = delete;

  void SetCommand(std::string sCommandVal);  // write
  std::string SetCommand() const;            // read
  void CancelProcess();
  // Cancels like CancelProcess, then makes sure that the command ends, with every process it
  // started: what still runs after the close request and a short grace (none when the request
  // reached nothing: cmd.exe has no window) is ended. The grace and the ending go on beside
  // the caller; the run returns at once. For a host that goes away during a run. Carried out
  // even when the program is ending.
  void StopProcess();
  // Runs sCommand and returns when its output has ended or the run was cancelled. When the
  // host's yield says the program is ending, the run is dropped at once (no further events,
  // its handles closed, the command left alone), unless a StopProcess came first.
  void ProcessCommand();
  bool CloseProcess(std::int32_t lProcessID, std::int32_t uExitCode);

  // True from the start of a run until its handles are closed.
  bool Processing() const;
  // The command's exit status, known from the end of a run that ended by itself (set before
  // Complete is raised). Unknown before the first run, during a run, and after a cancelled or
  // refused one.
  std::optional<std::int32_t> ExitCode() const;

 private:
  // One whole run; sCommandLine is the text that goes between the two added double quotes.
  void RunCommandLine(std::string sCommandLine);
  void ReadOsVersion();
  bool PostToProcessWindows(std::int32_t lProcessID, std::uint32_t uMsg, std::int32_t wParam);
  void RaiseError(const std::string& error, std::int32_t code);

  ProcessHost& host_;
  ReadOutputEvents& events_;

  std::string sCommand;
  bool bProcessing = false;
  bool bCancel = false;
  bool bVersionKnown = false;
  bool bWin9xFamily = false;
  bool bStop = false;  // the current cancel must leave nothing of the command running
  std::optional<std::int32_t> exitCode_;
};

}  // namespace framora
