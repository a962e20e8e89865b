// File > Exit while a command runs ends the program at once; the command is left alone.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include "support/temp_env.h"

namespace {

TEST(ExitDuringARun, TheProgramEndsPromptlyAndLeavesTheCommandRunning) {
  const QString pidFile = QString::fromStdString(framora::test::MakeTempDir("exit")) + "/pid";
  QProcess driver;
  driver.setProcessChannelMode(QProcess::ForwardedChannels);
  driver.start(FRAMORA_EXIT_DRIVER, {pidFile});
  ASSERT_TRUE(driver.waitForStarted());
  // The command sleeps for 300 s: a program that waited for it, or hung in its run loop,
  // would still be running at the deadline.
  const bool ended = driver.waitForFinished(60000);
  if (!ended) driver.kill();
  ASSERT_TRUE(ended) << "the program did not end";
  EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(driver.exitCode(), 0);

  QFile f(pidFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const pid_t command = f.readAll().trimmed().toInt();
  ASSERT_GT(command, 0);
  EXPECT_EQ(kill(command, 0), 0) << "Exit neither cancels nor waits for the command";
  kill(command, SIGKILL);
}

}  // namespace
