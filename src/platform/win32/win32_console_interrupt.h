// Asking a console program to stop the way a user at its console would: Ctrl+C. FFmpeg then
// finishes its file (writes the trailer, so the video keeps its length) and exits; a window
// message or TerminateProcess would leave the file without one.
//
// The event goes to every process attached to one console, the sender's own included, and a
// process can only send it to the console it is attached to. Attaching changes the whole
// process (and the "ignore Ctrl+C" setting it needs meanwhile would pass to any child started
// at that moment), so the program never does it itself: a short-lived copy of a program that
// knows kInterruptOption attaches to the command's console, sends the event, and exits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace framora::win32 {

// "<program> --send-ctrl-c <process id>": sends Ctrl+C to that process's console.
inline constexpr wchar_t kInterruptOption[] = L"--send-ctrl-c";

// For a program's entry point: when the command line is kInterruptOption and a process id,
// does what it asks and gives the exit code (0: sent); otherwise nothing.
std::optional<int> RunInterruptOption(const wchar_t* commandLine);

// Starts `interrupter` with kInterruptOption for the process and waits at most timeoutMs for
// it; true when it reports the event sent. Inherits no handle (another run's pipe among them).
bool InterruptConsoleOf(const std::wstring& interrupter, std::uint32_t processId,
                        std::uint32_t timeoutMs);

}  // namespace framora::win32
