// The yardstick for the start-up figures: a plain Qt Widgets program that shows an empty
// main window and nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Empty window");
  window.resize(515, 458);
  window.show();
  return QApplication::exec();
}
