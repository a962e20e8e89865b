// The whole program, driven from inside: it starts a long command in the console window and,
// once the command runs, chooses File > Exit ("exit"), goes on until it is killed ("run"), or
// closes the console, which stops the command, and writes "<pid file>.stopping" ("stop"). The
// exit test watches this process and the command.
//
//   exit_driver <pid file> exit|run|stop
//
// "exit" runs a shell that becomes `sleep 300` and writes its own id. The others run, under a
// shell that waits for them, FFmpeg for ten minutes and a `sleep` that ignores SIGTERM, and
// write their ids.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <string>

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
  if (argc < 3) return 2;
  const QString pidFile = QString::fromLocal8Bit(argv[1]);
  const std::string mode = argv[2];
  const bool exit = mode == "exit";
  SilentMessages messages;
  framora::qt::Application program(
      framora::qt::Application::Overrides{&messages, nullptr, nullptr});
  program.Start();
  auto& windows = program.Windows();
  windows.Show(framora::WindowId::frmReadOutput);
  auto* console = program.Window(framora::WindowId::frmReadOutput);
  const std::string quoted = "'" + pidFile.toStdString() + "'";
  // Each pid file appears whole (written aside, then renamed): the test reads it once it exists.
  // The process that ignores SIGTERM writes its own id once it does.
  const std::string stubborn = "sh -c \"trap '' TERM; echo \\$\\$ >> " + quoted + ".new; mv " +
                               quoted + ".new " + quoted + "; exec sleep 600\"";
  console->SetText(
      framora::console_form::Text1,
      exit ? "echo $$ > " + quoted + ".new; mv " + quoted + ".new " + quoted + "; exec sleep 300"
           : "ffmpeg -nostdin -re -f lavfi -i sine=duration=600 -y " + quoted +
                 ".wav & echo $! > " + quoted + ".new; " + stubborn + " & wait");

  QTimer::singleShot(0, console, [console] {
    console->findChild<QPushButton*>("cmdExecute")->click();  // returns when the run does
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (QFileInfo(pidFile).size() == 0) return;
    poll.stop();
    if (exit) {
      program.Window(framora::WindowId::Form1)->MenuItem(framora::main_form::mnuExit)->trigger();
    } else if (mode == "stop") {
      console->findChild<QPushButton*>("cmdCancel")->click();
      QFile(pidFile + ".stopping").open(QIODevice::WriteOnly);
    }
  });
  poll.start(5);
  return QApplication::exec();
}
