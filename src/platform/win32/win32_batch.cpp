#include "platform/win32/win32_batch.h"

#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>

#include "batch/batch.h"
#include "platform/win32/win32_console_interrupt.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_process_host.h"
#include "platform/win32/win32_text.h"

namespace framora::win32 {

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> ending{false};  // the program is ended as soon as the handler returns
std::atomic<bool> batchOver{false};

// Windows ends the program once the console's closing (or the session's end) has been handled,
// or after about 5 s: the batch stops at once, without giving FFmpeg time to finish a video it
// removes anyway, and this waits for the removal within that time.
void StopBeforeTheEnd() {
  ending = true;
  stopRequested = true;
  for (int waited = 0; waited < 4000 && !batchOver; waited += 20) ::Sleep(20);
}

// Runs on a thread of its own. Ctrl+C and Ctrl+Break leave the program running: the batch
// stops as Cancel stops a conversion, taking the time it needs.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  stopRequested = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    StopBeforeTheEnd();
  }
  return TRUE;
}

LRESULT CALLBACK OnSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (message == WM_ENDSESSION) {
    if (wParam != 0) StopBeforeTheEnd();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// A program that uses user32, as this one does, hears of a logoff or shutdown not through its
// console handler but as window messages to its top-level windows: a hidden one takes them,
// on a thread of its own, while the batch runs.
class SessionEndWindow {
 public:
  SessionEndWindow() {
    std::promise<DWORD> started;
    std::future<DWORD> threadId = started.get_future();
    thread_ = std::thread([&started] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = OnSessionMessage;
      windowClass.hInstance = ::GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"FramoraSessionEnd";
      ::RegisterClassW(&windowClass);
      const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0,
                                            0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
      started.set_value(window != nullptr ? ::GetCurrentThreadId() : 0);
      MSG message;
      while (window != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&message);
      }
      if (window != nullptr) ::DestroyWindow(window);
    });
    threadId_ = threadId.get();
  }
  ~SessionEndWindow() {
    if (threadId_ != 0) ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  SessionEndWindow(const SessionEndWindow&) = delete;
  SessionEndWindow& operator=(const SessionEndWindow&) = delete;

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
};

bool Usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

class ConsoleSystem final : public batch::BatchSystem {
 public:
  bool IsTerminal() override {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  }
  void Out(std::string_view text) override { Write(STD_OUTPUT_HANDLE, text); }
  void Err(std::string_view text) override { Write(STD_ERROR_HANDLE, text); }
  bool StopRequested() override { return stopRequested; }
  // As in the window: each command in the job, and a stop asks it with Ctrl+C at its own
  // console (this program, started again, sends it), so that FFmpeg finishes its file.
  std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield) override {
    return std::make_unique<Win32ProcessHost>(yield, &stops_,
                                              CommandControl{&commands_, ProgramPath(), &ending});
  }
  void WaitForStops() override { stops_.WaitAll(); }

 private:
  // A console shows UTF-16 whatever its code page; a file or pipe gets the UTF-8 as it is.
  static void Write(DWORD which, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (!Usable(handle)) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
      const std::wstring wide = ToWide(text);
      ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
      return;
    }
    while (!text.empty() &&
           ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written > 0) {
      text.remove_prefix(written);
    }
  }

  CommandJob commands_;    // closed last: what is left of the commands ends with the program
  BackgroundStops stops_;  // the program ends only once every stop is over
};

}  // namespace

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; words != nullptr && i < count; ++i) args.push_back(FromWide(words[i]));
  if (words != nullptr) ::LocalFree(words);
  return args;
}

bool UseParentConsole() {
  const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS) != 0;
  bool usable = false;
  for (DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    // Redirected output came as a handle; otherwise the console's own one is opened.
    if (attached && !Usable(::GetStdHandle(which))) {
      ::SetStdHandle(which, ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    }
    usable = usable || Usable(::GetStdHandle(which));
  }
  return usable;
}

int RunCommandLine(const std::vector<std::string>& args) {
  // Ctrl+C may come ignored from whoever started us (a new process group, or a parent that
  // ignored it): the batch takes it in any case.
  ::SetConsoleCtrlHandler(nullptr, FALSE);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  const SessionEndWindow sessionEnd;
  ConsoleSystem system;
  Win32FileSystem files;
  Win32ProgramSearch programs;
  const int status = batch::RunCommandLine(
      args, batch::BatchPorts{system, files, programs, WindowsFfmpegSearch(ProgramFolder()),
                              ShellKind::Cmd});
  system.WaitForStops();
  batchOver = true;
  return status;
}

int StartWindowProgram() {
  const std::wstring program = ToWide(ProgramFolder()) + L"\\Framoraaudioconverter.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    const DWORD error = ::GetLastError();
    ConsoleSystem().Err("Framoraaudioconverter: cannot start " + FromWide(program) + " (error " +
                        std::to_string(error) + ")\n");
    return 1;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}

}  // namespace framora::win32

namespace framora::batch {

// The C runtime's arguments are in the narrow code page, and a window program's may be none at
// all: the UTF-16 command line is read instead.
std::optional<int> RunProgramCommandLine(int /*argc*/, char** /*argv*/) {
  // A copy started by a stop to send a command's console its Ctrl+C; no window.
  if (const auto sent = win32::RunInterruptOption(::GetCommandLineW())) return *sent;
  // A command line is answered where the program was started from (the console twin,
  // Framoraaudioconverter.com, is the better way); with nowhere to answer, as when files are
  // dropped on its icon, the window opens as it always did.
  const std::vector<std::string> args = win32::CommandLineArguments();
  if (!args.empty() && win32::UseParentConsole()) return win32::RunCommandLine(args);
  return std::nullopt;
}

}  // namespace framora::batch
