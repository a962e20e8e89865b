// The same conversion (a 60-second audio) made through the program's runner and console
// window, and by FFmpeg run directly, alternated; prints both times and their ratio.
//
//   build/bench/conversion_overhead [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "main_window/main_form.h"
#include "qt/application.h"

namespace {

// Message boxes would wait for a click; the benchmark only counts them.
class CountingMessages : public framora::MessageBoxPort {
 public:
  void ShowMessage(const std::string&, framora::MessageIcon, const std::string&) override {
    ++shown;
  }
  int shown = 0;
};

bool RunTool(const QStringList& args) {
  QProcess p;
  p.start("ffmpeg", args);
  return p.waitForFinished(600000) && p.exitCode() == 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
  const QString image = dir.path() + "/cover.png";
  const QString audio = dir.path() + "/tone.wav";
  if (!RunTool(
          {"-v", "error", "-f", "lavfi", "-i", "testsrc=s=640x480", "-frames:v", "1", image}) ||
      !RunTool({"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=60", "-c:a",
                "pcm_s16le", audio})) {
    std::fprintf(stderr, "could not make the input files with ffmpeg\n");
    return 1;
  }

  CountingMessages messages;
  std::vector<double> viaProgram, direct;
  for (int i = 0; i < rounds; ++i) {
    {
      const QString output = dir.path() + QString("/program%1.avi").arg(i);
      framora::qt::Application app(
          framora::qt::Application::Overrides{&messages, nullptr, nullptr});
      app.Start();
      auto* form = app.Window(framora::WindowId::Form1);
      form->SetText(framora::main_form::Text1, "/usr/bin/ffmpeg");
      form->SetText(framora::main_form::Text2, image.toStdString());
      form->SetText(framora::main_form::Text3, audio.toStdString());
      form->SetText(framora::main_form::Text4, output.toStdString());
      QTest::mouseClick(form->findChild<QWidget*>("Picture1"), Qt::LeftButton);
      auto* console = app.Window(framora::WindowId::frmReadOutput);
      QElapsedTimer t;
      t.start();
      QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
      viaProgram.push_back(t.nsecsElapsed() / 1e9);
    }
    {
      const QString output = dir.path() + QString("/direct%1.avi").arg(i);
      QElapsedTimer t;
      t.start();
      RunTool({"-loop", "1", "-y", "-i", image, "-i", audio, "-shortest", "-acodec", "copy",
               "-vcodec", "mjpeg", output});
      direct.push_back(t.nsecsElapsed() / 1e9);
    }
  }
  const double p = Median(viaProgram), d = Median(direct);
  std::printf("conversion of a 60 s audio, median of %d alternated rounds\n", rounds);
  std::printf("  through the runner and console: %.3f s\n", p);
  std::printf("  ffmpeg run directly:            %.3f s\n", d);
  std::printf("  ratio:                          %.3f (goal: at most 1.03)\n", p / d);
  std::printf("  completion messages seen:       %d of %d\n", messages.shown, rounds);
  return 0;
}
