// Framoraaudioconverter.com, the console twin of the window program, for the command line.
//
// The window program is a GUI program: cmd.exe and PowerShell start it and give the prompt
// back at once, without waiting for it or keeping its exit status, so a batch it ran would
// write behind the next prompt, Ctrl+C would go to the shell, and scripts could not tell how
// it ended. A console program is waited for. Typed without an extension, the name finds this
// file first (PATHEXT puts .COM before .EXE), so `Framoraaudioconverter --image ...` runs the
// batch here, with its exit status in %ERRORLEVEL% and $LASTEXITCODE. Without arguments it
// opens the window program and returns, as typing the name did before.
#include "platform/win32/win32_batch.h"
#include "platform/win32/win32_console_interrupt.h"
#include "platform/win32/windows_api.h"

int main() {
  // A copy started by a stop of the batch to send its command's console a Ctrl+C.
  if (const auto sent = framora::win32::RunInterruptOption(::GetCommandLineW())) return *sent;
  const std::vector<std::string> args = framora::win32::CommandLineArguments();
  if (args.empty()) return framora::win32::StartWindowProgram();
  return framora::win32::RunCommandLine(args);
}
