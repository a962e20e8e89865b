// A scriptable process host for tests of ReadOutput and of windows that host it. Set the
// public fields before a run; read the records afterwards. Nothing here touches the system.
//
//   FakeProcessHost host;
//   host.reads = {{"hello\r\n"}, {"world"}};      // two chunks, then the output ends
//   host.onYield = [&] { runner.CancelProcess(); return true; };
//
// Handles are numbered by kind (see the constants) so tests can name them in `calls`.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "runner/process_host.h"

namespace framora::test {

class FakeProcessHost : public ProcessHost {
 public:
  static constexpr HostHandle kReadEnd = 1;
  static constexpr HostHandle kWriteEnd = 2;
  static constexpr HostHandle kProcess = 3;
  static constexpr HostHandle kThread = 4;
  static constexpr HostHandle kOpenedProcess = 5;
  static constexpr WindowHandle kDesktop = 1000;

  struct Read {
    std::string chunk;
    // KeepWaiting() is asked this many times before the chunk is delivered; a "no" ends the
    // read as Interrupted and the remaining slices are asked on the next read.
    int waitSlices = 0;
  };
  struct Window {
    WindowHandle hWnd = kNoWindow;
    WindowHandle parent = kNoWindow;
    std::int32_t processId = 0;
  };
  struct Posted {
    WindowHandle hWnd;
    std::uint32_t uMsg;
    std::int32_t wParam;
    std::int32_t lParam;
  };

  // --- Script ---
  std::deque<Read> reads;         // delivered in order; afterwards every read ends the output
  std::string finalChunk;         // the text of the read that ends the output
  std::int32_t pipeError = 0;     // non-zero: CreatePipe fails with this last-error code
  std::int32_t processError = 0;  // non-zero: CreateProcess fails with this last-error code
  std::int32_t processId = 4242;
  std::string comSpec = "C:\\WINDOWS\\system32\\cmd.exe";
  OsVersionInfo version = NtVersion();
  std::vector<Window> windows;  // the desktop's children, in walk order
  bool openProcessSucceeds = true;
  bool terminateSucceeds = true;
  bool handOverSucceeds = true;  // EndProcessTreeLater takes the process
  // The process of a run ends after this many wait slices of 10 ms (KeepWaiting is asked before
  // each); a wait with a time limit waits at most its limit's worth of slices. Then it exits
  // with exitCode, or without a code to give when exitCodeKnown is false.
  int exitWaitSlices = 0;
  std::uint32_t exitCode = 0;
  bool exitCodeKnown = true;
  // Called on every Yield (from the run loop and from KeepWaiting); false = program ending.
  std::function<bool()> onYield;
  // Called at the start of every ReadFile, before anything is delivered.
  std::function<void()> onRead;
  // Called as each process starts (not when starting it fails): a test scripts each run there.
  std::function<void(const CommandLine&)> onStart;

  // --- Records ---
  std::vector<std::string> calls;  // "CreatePipe", "CreateProcess", "CloseHandle(read)", ...
  CommandLine started;
  SecurityAttributes pipeAttributes;
  SecurityAttributes processAttributes;
  StartupInfo startup;
  std::uint32_t pipeSize = 0xFFFFFFFF;
  std::vector<OsVersionInfo> versionRequests;  // the records as the runner passed them in
  std::vector<Posted> posted;
  std::vector<std::uint32_t> terminateCodes;
  std::vector<HostHandle> handedOver;  // processes given to EndProcessTreeLater
  bool running = false;                // the run's process has started and not ended
  int yields = 0;
  std::set<HostHandle> open;  // handles given out and not closed yet

  static OsVersionInfo NtVersion() {
    OsVersionInfo info;
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 1;
    info.dwPlatformId = kVerPlatformWin32Nt;
    return info;
  }
  static OsVersionInfo Version(std::int32_t platform, std::int32_t major, std::int32_t minor) {
    OsVersionInfo info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return info;
  }
  // The process of the run owns one top-level window.
  void GiveProcessAWindow() { windows.push_back({7, kNoWindow, processId}); }

  static std::string Name(HostHandle handle) {
    switch (handle) {
      case kReadEnd:
        return "read";
      case kWriteEnd:
        return "write";
      case kProcess:
        return "process";
      case kThread:
        return "thread";
      case kOpenedProcess:
        return "opened";
      default:
        return std::to_string(handle);
    }
  }

  // --- ProcessHost ---
  std::int32_t GetLastError() override { return lastError_; }
  std::string GetComSpec() override { return comSpec; }
  bool Yield() override {
    ++yields;
    return onYield ? onYield() : true;
  }

  bool CreatePipe(HostHandle& hReadPipe, HostHandle& hWritePipe,
                  const SecurityAttributes& attributes, std::uint32_t nSize) override {
    calls.push_back("CreatePipe");
    pipeAttributes = attributes;
    pipeSize = nSize;
    if (pipeError != 0) {
      lastError_ = pipeError;
      return false;
    }
    hReadPipe = Give(kReadEnd);
    hWritePipe = Give(kWriteEnd);
    return true;
  }

  bool CreateProcess(const CommandLine& commandLine, const SecurityAttributes& attributes,
                     const StartupInfo& startupInfo, ProcessInformation& info) override {
    calls.push_back("CreateProcess");
    started = commandLine;
    processAttributes = attributes;
    startup = startupInfo;
    if (processError != 0) {
      lastError_ = processError;
      return false;
    }
    if (onStart) onStart(commandLine);
    info.hProcess = Give(kProcess);
    info.hThread = Give(kThread);
    running = true;
    info.dwProcessId = processId;
    info.dwThreadId = processId + 1;
    return true;
  }

  ReadStatus ReadFile(HostHandle hReadPipe, std::string& sChunk, ReadWait& wait) override {
    calls.push_back("ReadFile(" + Name(hReadPipe) + ")");
    if (onRead) onRead();
    if (reads.empty()) {
      sChunk = finalChunk;
      return ReadStatus::Ended;
    }
    Read& next = reads.front();
    while (next.waitSlices > 0) {
      --next.waitSlices;
      if (!wait.KeepWaiting()) return ReadStatus::Interrupted;
    }
    sChunk = next.chunk;
    reads.pop_front();
    return ReadStatus::Read;
  }

  void CloseHandle(HostHandle handle) override {
    calls.push_back("CloseHandle(" + Name(handle) + ")");
    open.erase(handle);
  }

  WaitStatus WaitForProcess(HostHandle hProcess, std::uint32_t timeoutMs, ReadWait& wait) override {
    calls.push_back("WaitForProcess(" + Name(hProcess) + "," +
                    (timeoutMs == kInfinite ? std::string("inf") : std::to_string(timeoutMs)) +
                    ")");
    for (std::uint32_t slice = 0; running; ++slice) {
      if (exitWaitSlices == 0) {
        running = false;
        break;
      }
      if (timeoutMs != kInfinite && slice >= timeoutMs / 10) return WaitStatus::TimedOut;
      if (!wait.KeepWaiting()) return WaitStatus::Interrupted;
      --exitWaitSlices;
    }
    return WaitStatus::Ended;
  }

  bool GetExitCodeProcess(HostHandle hProcess, std::uint32_t& code) override {
    calls.push_back("GetExitCodeProcess(" + Name(hProcess) + ")");
    if (!exitCodeKnown) return false;
    code = running ? kStillActive : exitCode;
    return true;
  }

  // The stop is only recorded: it would go on beside the run, which does not wait for it.
  bool EndProcessTreeLater(HostHandle hProcess, std::uint32_t graceMs) override {
    calls.push_back("EndProcessTreeLater(" + Name(hProcess) + "," + std::to_string(graceMs) + ")");
    if (!handOverSucceeds) return false;
    open.erase(hProcess);  // the host's from now on
    handedOver.push_back(hProcess);
    return true;
  }

  // Runs at once: the fake's stops are over as soon as they are handed over.
  void AfterStops(std::function<void()> work) override {
    calls.push_back("AfterStops");
    work();
  }
  void LetOutliveProgram(HostHandle hProcess) override {
    calls.push_back("LetOutliveProgram(" + Name(hProcess) + ")");
  }

  HostHandle OpenProcess(std::uint32_t dwDesiredAccess, bool bInheritHandle,
                         std::int32_t dwProcessId) override {
    calls.push_back("OpenProcess(" + std::to_string(dwDesiredAccess) + "," +
                    (bInheritHandle ? "1" : "0") + "," + std::to_string(dwProcessId) + ")");
    if (!openProcessSucceeds) return kNoHandle;
    return Give(kOpenedProcess);
  }

  bool TerminateProcess(HostHandle hProcess, std::uint32_t uExitCode) override {
    calls.push_back("TerminateProcess(" + Name(hProcess) + ")");
    terminateCodes.push_back(uExitCode);
    return terminateSucceeds;
  }

  void GetVersionEx(OsVersionInfo& info) override {
    calls.push_back("GetVersionEx");
    versionRequests.push_back(info);
    info.dwMajorVersion = version.dwMajorVersion;
    info.dwMinorVersion = version.dwMinorVersion;
    info.dwBuildNumber = version.dwBuildNumber;
    info.dwPlatformId = version.dwPlatformId;
  }

  WindowHandle GetDesktopWindow() override { return kDesktop; }

  WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) override {
    if (hWnd == kDesktop && uCmd == kGwChild) return windows.empty() ? kNoWindow : windows[0].hWnd;
    if (uCmd != kGwHwndNext) return kNoWindow;
    for (std::size_t i = 0; i + 1 < windows.size(); ++i) {
      if (windows[i].hWnd == hWnd) return windows[i + 1].hWnd;
    }
    return kNoWindow;
  }

  WindowHandle GetParent(WindowHandle hWnd) override {
    for (const Window& window : windows) {
      if (window.hWnd == hWnd) return window.parent;
    }
    return kNoWindow;
  }

  std::uint32_t GetWindowThreadProcessId(WindowHandle hWnd, std::int32_t& lProcessId) override {
    for (const Window& window : windows) {
      if (window.hWnd == hWnd) {
        lProcessId = window.processId;
        return 1;
      }
    }
    lProcessId = 0;
    return 0;
  }

  void PostMessage(WindowHandle hWnd, std::uint32_t uMsg, std::int32_t wParam,
                   std::int32_t lParam) override {
    calls.push_back("PostMessage(" + std::to_string(hWnd) + "," + std::to_string(uMsg) + ")");
    posted.push_back({hWnd, uMsg, wParam, lParam});
  }

 private:
  HostHandle Give(HostHandle handle) {
    open.insert(handle);
    return handle;
  }

  std::int32_t lastError_ = 0;
};

}  // namespace framora::test
