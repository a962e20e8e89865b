// Wires the adapters and windows together and runs the program.
#include <QApplication>

#include "batch/batch.h"
#include "qt/application.h"

int main(int argc, char** argv) {
  // A command line (--help, --version, a batch) is answered on the terminal, without a window
  // or a display.
  if (const auto status = framora::batch::RunProgramCommandLine(argc, argv)) return *status;
  QApplication app(argc, argv);
  framora::qt::Application program;
  program.Start();
  return QApplication::exec();
}
