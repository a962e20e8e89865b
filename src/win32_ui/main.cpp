// Wires the adapters and windows together and runs the program.
#include <cstdlib>

#include "batch/batch.h"
#include "win32_ui/application.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  // A command line (--help, --version, a batch, a stop's Ctrl+C) is answered without a window.
  if (const auto status = framora::batch::RunProgramCommandLine(__argc, __argv)) return *status;
  framora::win32::Application program;
  return program.Run();
}
