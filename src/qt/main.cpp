// Wires the adapters and windows together and runs the program.
#include <QApplication>

#include "platform/posix/posix_batch.h"
#include "qt/application.h"

int main(int argc, char** argv) {
  // A command line (--help, --version, a batch) is answered on the terminal, without a window
  // or a display.
  if (argc > 1) return framora::posix::RunCommandLine(argc, argv);
  QApplication app(argc, argv);
  framora::qt::Application program;
  program.Start();
  return QApplication::exec();
}
