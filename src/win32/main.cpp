// Wires the adapters and windows together and runs the program.
#include "platform/win32/windows_api.h"
#include "win32/application.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  framora::win32::Application program;
  return program.Run();
}
