// The whole program, driven from inside: it starts a long command in the console window and,
// once the command runs, either chooses File > Exit ("exit") or goes on until it is killed
// ("run"). The exit test watches this process and the command.
//
//   exit_driver <pid file> exit|run
//
// "exit" runs a shell that becomes `sleep 300` and writes its own id; "run" runs FFmpeg for ten
// minutes under a shell that waits for it (so FFmpeg is not the shell's own process) and writes
// FFmpeg's id.
#include <QAction>
#include <QApplication>
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
  const bool exit = std::string(argv[2]) == "exit";
  SilentMessages messages;
  framora::qt::Application program(
      framora::qt::Application::Overrides{&messages, nullptr, nullptr});
  program.Start();
  auto& windows = program.Windows();
  windows.Show(framora::WindowId::frmReadOutput);
  auto* console = program.Window(framora::WindowId::frmReadOutput);
  const std::string quoted = "'" + pidFile.toStdString() + "'";
  console->SetText(framora::console_form::Text1,
                   exit ? "echo $$ > " + quoted + "; exec sleep 300"
                        : "ffmpeg -nostdin -re -f lavfi -i sine=duration=600 -y " + quoted +
                              ".wav & echo $! > " + quoted + "; wait");

  QTimer::singleShot(0, console, [console] {
    console->findChild<QPushButton*>("cmdExecute")->click();  // returns when the run does
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (QFileInfo(pidFile).size() == 0) return;
    poll.stop();
    if (exit) {
      program.Window(framora::WindowId::Form1)->MenuItem(framora::main_form::mnuExit)->trigger();
    }
  });
  poll.start(5);
  return QApplication::exec();
}
