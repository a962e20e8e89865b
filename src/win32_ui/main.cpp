// Wires the adapters and windows together and runs the program.
#include "platform/win32/win32_batch.h"
#include "platform/win32/win32_console_interrupt.h"
#include "platform/win32/windows_api.h"
#include "win32_ui/application.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  // A copy started by a stop to send a command's console its Ctrl+C; no window.
  if (const auto sent = framora::win32::RunInterruptOption(::GetCommandLineW())) return *sent;
  // A command line is answered where the program was started from (see console_main.cpp for
  // the better way); with nowhere to answer, as when files are dropped on its icon, the
  // window opens as it always did.
  const std::vector<std::string> args = framora::win32::CommandLineArguments();
  if (!args.empty() && framora::win32::UseParentConsole()) {
    return framora::win32::RunCommandLine(args);
  }
  framora::win32::Application program;
  return program.Run();
}
