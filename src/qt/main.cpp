// Wires the adapters and windows together and runs the program.
#include <QApplication>

#include "qt/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  framora::qt::Application program;
  program.Start();
  return QApplication::exec();
}
