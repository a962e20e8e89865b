// A small, predictable child process for the Win32 adapter tests. It never waits for time to
// pass: it waits for a window message, or to be terminated.
//
//   (no arguments)        started as a program: writes "show=<wShowWindow> flags=<dwFlags>"
//                         to started.txt in its working folder, then signals the event
//                         named FramoraHelperStarted
//   [/X ...] /c COMMAND   started as the interpreter: reports how it was started (command
//                         line, STARTUPINFO, standard handles, priority), then runs COMMAND's
//                         first word below if it is one
//   bytes N               N bytes of the letter pattern (lines of 63 letters) in one write
//   alternate A B C ...   A to standard output, B to standard error, C to standard output, ...
//   utf8                  a line with non-ASCII letters, in UTF-8
//   stdin                 what standard input gives: "stdin=none" or "stdin=<bytes read>"
//   window                a top-level window; prints "ready <pid>"; WM_CLOSE ends it with
//                         exit code 7
//   family                starts a child that sleeps, then a window; prints
//                         "ready <pid> child <pid>": WM_CLOSE ends it, the child runs on
//   sleep                 prints "ready <pid>" and waits until it is terminated (Ctrl+C at
//                         its console is ignored)
//   flood                 prints "ready <pid>", then writes until a write fails and exits with
//                         that failure's error code
//   exit N                exits with code N
//   -loop ..., -y ...     as FFmpeg (the AVI and the MP4 command): prints each argument as
//                         "[argument]" on its own line, in UTF-8
#include <windows.h>

// Needs <windows.h> first.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void Write(DWORD which, std::string_view text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
}

void Out(std::string_view text) { Write(STD_OUTPUT_HANDLE, text); }

std::string Ready() { return "ready " + std::to_string(::GetCurrentProcessId()) + "\n"; }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    ::DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(7);
    return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

int RunWindow(const std::string& ready) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "FramoraHelperWindow";
  ::RegisterClassA(&wc);
  ::CreateWindowA("FramoraHelperWindow", "Framora helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                  nullptr, nullptr, wc.hInstance, nullptr);
  Out(ready);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}

int Started() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  if (FILE* f = std::fopen("started.txt", "w")) {
    std::fprintf(f, "show=%u flags=%lu", static_cast<unsigned>(startup.wShowWindow),
                 static_cast<unsigned long>(startup.dwFlags));
    std::fclose(f);
  }
  if (HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, "FramoraHelperStarted")) {
    ::SetEvent(event);
    ::CloseHandle(event);
  }
  return 0;
}

void ReportStart() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  std::string report = "cmdline=" + std::string(::GetCommandLineA()) + "\n";
  report += "cb=" + std::to_string(startup.cb) + " flags=" + std::to_string(startup.dwFlags) +
            " show=" + std::to_string(startup.wShowWindow) + "\n";
  report += std::string("stdin=") +
            (input == nullptr || input == INVALID_HANDLE_VALUE ? "none" : "some") +
            " stdout-is-stderr=" + (output == error ? "yes" : "no") + "\n";
  report += "priority=" + std::to_string(::GetPriorityClass(::GetCurrentProcess())) + "\n";
  Out(report);
}

int Run(int argc, char** argv) {
  const std::string_view mode = argv[0];
  if (mode == "bytes" && argc > 1) {
    const long count = std::strtol(argv[1], nullptr, 10);
    std::string text;
    for (long i = 0; i < count; ++i) text += i % 64 == 63 ? '\n' : static_cast<char>('A' + i % 26);
    Out(text);
    return 0;
  }
  if (mode == "alternate") {
    for (int i = 1; i < argc; ++i)
      Write(i % 2 == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, argv[i]);
    return 0;
  }
  if (mode == "utf8") {
    Out("gr\xC3\xB6\xC3\x9F"
        "e \xE2\x82\xAC\n");
    return 0;
  }
  if (mode == "stdin") {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
      Out("stdin=none\n");
      return 0;
    }
    char buffer[64];
    DWORD read = 0;
    const BOOL ok = ::ReadFile(input, buffer, sizeof buffer, &read, nullptr);
    Out("stdin=" + std::string(ok ? std::to_string(read) : "error") + "\n");
    return 0;
  }
  if (mode == "window") return RunWindow(Ready());
  if (mode == "family") {
    char line[MAX_PATH + 8] = "\"";
    ::GetModuleFileNameA(nullptr, line + 1, MAX_PATH);
    std::strcat(line, "\" sleep");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &child))
      return 3;
    std::string ready = Ready();
    return RunWindow(ready.insert(ready.size() - 1, " child " + std::to_string(child.dwProcessId)));
  }
  if (mode == "flood") {
    Out(Ready());
    const std::string line(1024, 'x');
    DWORD written = 0;
    while (::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(),
                       static_cast<DWORD>(line.size()), &written, nullptr)) {
    }
    return static_cast<int>(::GetLastError());
  }
  if (mode == "exit" && argc > 1) return static_cast<int>(std::strtol(argv[1], nullptr, 10));
  if (mode == "sleep") {
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    Out(Ready());
    ::Sleep(INFINITE);
    return 0;
  }
  if (mode == "-loop" || mode == "-y") {
    // The arguments as the system has them (UTF-16), printed in UTF-8 whatever our code page.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string text;
    for (int i = 1; wide != nullptr && i < count; ++i) {
      char utf8[1024] = {};
      ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8, sizeof utf8, nullptr, nullptr);
      text += "[" + std::string(utf8) + "]\n";
    }
    ::LocalFree(wide);
    Out(text);
    return 0;
  }
  Out("unknown mode\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Started();
  // As the interpreter: its switches, then /c.
  int c = 1;
  while (c < argc && argv[c][0] == '/' && std::string_view(argv[c]) != "/c") ++c;
  if (c < argc && std::string_view(argv[c]) == "/c") {
    ReportStart();
    // The command arrives as one argument between the two quotes the runner added.
    if (c + 1 >= argc) return 0;
    std::string command = argv[c + 1];
    const std::string first = command.substr(0, command.find(' '));
    char* args[] = {command.data()};
    if (first == "window" || first == "sleep" || first == "stdin" || first == "family") {
      command.resize(first.size());
      return Run(1, args);
    }
    return 0;
  }
  return Run(argc - 1, argv + 1);
}
