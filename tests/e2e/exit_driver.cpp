// The whole program, driven from inside: it starts a long command in the console window and,
// once the command runs, chooses File > Exit. The exit test measures that this process ends.
//
//   exit_driver <pid file>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "console/console_form.h"
#include "main_window/main_form.h"
#include "qt/application.h"

namespace {
class SilentMessages : public framora::MessageBoxPort {
 public:
  void ShowMessage(const std::string&, framora::MessageIcon, const std::string&) override {}
};
}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  if (argc < 2) return 2;
  const QString pidFile = QString::fromLocal8Bit(argv[1]);
  SilentMessages messages;
  framora::qt::Application program(
      framora::qt::Application::Overrides{&messages, nullptr, nullptr});
  program.Start();
  auto& windows = program.Windows();
  windows.Show(framora::WindowId::frmReadOutput);
  auto* console = program.Window(framora::WindowId::frmReadOutput);
  console->SetText(framora::console_form::Text1,
                   "echo $$ > '" + pidFile.toStdString() + "'; exec sleep 300");

  QTimer::singleShot(0, console, [console] {
    console->findChild<QPushButton*>("cmdExecute")->click();  // returns when the run does
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (QFileInfo(pidFile).size() == 0) return;
    poll.stop();
    program.Window(framora::WindowId::Form1)->MenuItem(framora::main_form::mnuExit)->trigger();
  });
  poll.start(5);
  return QApplication::exec();
}
