// The task-bar button on a Linux desktop, watched on a real session bus (the test runs under
// dbus-run-session) with dbus-monitor: a real conversion of a few seconds through the console
// window sends the launcher entry's progress as it goes, and takes it away at the end.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "console/console_form.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_message_box.h"
#include "main_window/main_form.h"
#include "qt/application.h"
#include "qt/qt_taskbar.h"
#include "support/scoped_env.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

const QString kOurs = "application://example.framora.AudioConverter.desktop";

void Make(const QStringList& args) {
  QProcess tool;
  tool.start("ffmpeg", QStringList{"-v", "error"} + args);
  ASSERT_TRUE(tool.waitForFinished(120000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

void Announce(const QString& uri) {
  QDBusMessage update =
      QDBusMessage::createSignal("/test", "com.canonical.Unity.LauncherEntry", "Update");
  update << uri << QVariantMap{};
  QDBusConnection::sessionBus().send(update);
}

// dbus-monitor, watching the launcher entry's signals.
class Monitor {
 public:
  Monitor() {
    process_.start("dbus-monitor",
                   {"--session", "type='signal',interface='com.canonical.Unity.LauncherEntry'"});
    process_.waitForStarted();
  }
  ~Monitor() {
    process_.kill();
    process_.waitForFinished();
  }
  // Sends a signal of its own and waits until the monitor has printed it: everything sent
  // before it has been printed too.
  bool Sync(const QString& marker) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
      Announce("application://" + marker);
      process_.waitForReadyRead(200);
      text_ += QString::fromUtf8(process_.readAllStandardOutput());
      if (text_.contains(marker)) return true;
    }
    return false;
  }
  // The Update signals for one entry: its progress and whether it is shown, in order.
  std::vector<std::pair<double, bool>> Updates(const QString& uri) const {
    std::vector<std::pair<double, bool>> updates;
    for (const QString& signal : text_.split("signal time=")) {
      if (!signal.contains("member=Update") || !signal.contains("\"" + uri + "\"")) continue;
      const auto progress =
          QRegularExpression(R"("progress"\s+variant\s+double ([0-9.e-]+))").match(signal);
      const auto visible =
          QRegularExpression(R"("progress-visible"\s+variant\s+boolean (\w+))").match(signal);
      updates.emplace_back(progress.captured(1).toDouble(), visible.captured(1) == "true");
    }
    return updates;
  }
  std::string Text() const { return text_.toStdString(); }

 private:
  QProcess process_;
  QString text_;
};

class TaskbarProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
      GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    }
  }
  test::FakeMessageBox messages;
  test::FakeFileDialog dialog;
  test::FakeDesktop desktop;
};

TEST_F(TaskbarProgress, AConversionShowsItsProgressOnTheButtonAndTakesItAwayAtTheEnd) {
  const std::string media = test::MakeTempDir("media");
  // A large picture, so that FFmpeg takes a few seconds over the 8 s of sound.
  Make({"-f", "lavfi", "-i", "testsrc=s=1920x1080", "-frames:v", "1",
        QString::fromStdString(media + "/big.png")});
  Make({"-f", "lavfi", "-i", "sine=frequency=440:duration=8", "-c:a", "pcm_s16le",
        QString::fromStdString(media + "/tone.wav")});
  Monitor monitor;
  ASSERT_TRUE(monitor.Sync("start")) << monitor.Text();
  {
    Application app(Application::Overrides{&messages, &dialog, &desktop});
    app.Start();
    FramoraWindow* form = app.Window(WindowId::Form1);
    form->SetText(main_form::Text1, "/usr/bin/ffmpeg");
    form->SetText(main_form::Text2, media + "/big.png");
    form->SetText(main_form::Text3, media + "/tone.wav");
    form->SetText(main_form::Text4, media + "/video.avi");
    QTest::mouseClick(form->findChild<QWidget*>("Picture1"), Qt::LeftButton);
    FramoraWindow* console = app.Window(WindowId::frmReadOutput);
    ASSERT_NE(console, nullptr);
    QTest::mouseClick(console->findChild<QPushButton*>("cmdExecute"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Success!");
  }
  ASSERT_TRUE(monitor.Sync("end")) << monitor.Text();

  const auto updates = monitor.Updates(kOurs);
  RecordProperty("updates", static_cast<int>(updates.size()));
  ASSERT_GE(updates.size(), 3u) << monitor.Text();
  for (std::size_t i = 0; i + 1 < updates.size(); ++i) {
    EXPECT_TRUE(updates[i].second) << i;
    if (i > 0) {
      EXPECT_GT(updates[i].first, updates[i - 1].first) << i;
    }
    EXPECT_GT(updates[i].first, 0.0);
    EXPECT_LE(updates[i].first, 1.0);
  }
  EXPECT_FALSE(updates.back().second) << "taken away at the end";
}

TEST_F(TaskbarProgress, WithoutASessionBusNothingIsSentAndNothingBreaks) {
  Monitor monitor;
  ASSERT_TRUE(monitor.Sync("before"));
  {
    test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", test::MakeTempDir("runtime").c_str());
    LauncherEntryProgress button("no.bus");
    button.ShowProgress(0.5);
    button.ClearProgress();
  }
  ASSERT_TRUE(monitor.Sync("after"));
  EXPECT_TRUE(monitor.Updates("application://no.bus.desktop").empty()) << monitor.Text();
}

}  // namespace
}  // namespace framora::qt
