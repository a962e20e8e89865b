// The command's life against the program's: File > Exit while a command runs ends the program
// at once and leaves the command running; a program that is killed takes the command with it.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_env.h"

namespace {

// A live process other than `except` in process group `group` (named `name`, if given), or 0.
pid_t OthersInGroup(pid_t group, pid_t except, const std::string& name = {}) {
  DIR* proc = ::opendir("/proc");
  pid_t found = 0;
  while (const dirent* item = proc != nullptr ? ::readdir(proc) : nullptr) {
    const int pid = std::atoi(item->d_name);
    if (pid <= 0 || pid == except) continue;
    std::ifstream stat("/proc/" + std::string(item->d_name) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t close = text.rfind(')');
    char state = 0;
    int parent = 0;
    int pgrp = 0;
    if (close == std::string::npos ||
        std::sscanf(text.c_str() + close + 1, " %c %d %d", &state, &parent, &pgrp) != 3) {
      continue;
    }
    const bool named = name.empty() || text.find("(" + name + ") ") != std::string::npos;
    if (pgrp == group && state != 'Z' && named) found = pid;
  }
  if (proc != nullptr) ::closedir(proc);
  return found;
}

bool Running(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const std::size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// Waits for a file that is bound to come, up to a deadline that only keeps a broken build from
// hanging the test run.
bool WaitForFile(const QString& path) {
  QElapsedTimer t;
  t.start();
  while (!QFile::exists(path) && t.elapsed() < 60000) QThread::msleep(5);
  return QFile::exists(path);
}

// Starts the driver in `mode` and returns the ids of the command's processes once they run.
std::vector<pid_t> StartDriver(QProcess& driver, const char* mode, QString& pidFile) {
  pidFile = QString::fromStdString(framora::test::MakeTempDir("exit")) + "/pid";
  driver.setProcessChannelMode(QProcess::ForwardedChannels);
  driver.start(FRAMORA_EXIT_DRIVER, {pidFile, mode});
  EXPECT_TRUE(driver.waitForStarted());
  std::vector<pid_t> pids;
  QFile f(pidFile);
  if (!WaitForFile(pidFile) || !f.open(QIODevice::ReadOnly)) return pids;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.toInt() > 0) pids.push_back(line.toInt());
  }
  return pids;
}

TEST(ExitDuringARun, TheProgramEndsPromptlyAndLeavesTheCommandRunning) {
  QProcess driver;
  QString pidFile;
  const std::vector<pid_t> pids = StartDriver(driver, "exit", pidFile);
  ASSERT_EQ(pids.size(), 1u);
  const pid_t command = pids[0];
  // The command sleeps for 300 s: a program that waited for it, or hung in its run loop,
  // would still be running at the deadline.
  const bool ended = driver.waitForFinished(60000);
  if (!ended) driver.kill();
  ASSERT_TRUE(ended) << "the program did not end";
  EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(driver.exitCode(), 0);

  // What tied the command to the program (in the command's group) has let it go and is gone;
  // had it taken the program's end for a death, the command would have gone first.
  for (QElapsedTimer t; OthersInGroup(command, command) && (!t.isValid() || t.elapsed() < 30000);
       t.isValid() ? void() : t.start()) {
    QThread::msleep(5);
  }
  EXPECT_FALSE(OthersInGroup(command, command));
  EXPECT_TRUE(Running(command)) << "Exit neither cancels nor waits for the command";
  kill(command, SIGKILL);
}

// FFmpeg, and a process that ignores SIGTERM, end with the program that is killed (SIGKILL, as
// a crash or an out-of-memory kill would): during the run, and while the stop of a closed
// console is still waiting for them to end, and with their guard killed first ("guard").
TEST(ExitDuringARun, AKilledProgramTakesItsCommandWithIt) {
  for (const char* mode : {"run", "stop", "guard"}) {
    SCOPED_TRACE(mode);
    QProcess driver;
    QString pidFile;
    const std::vector<pid_t> pids = StartDriver(driver, mode, pidFile);
    ASSERT_EQ(pids.size(), 2u);
    if (std::string(mode) == "stop") {
      ASSERT_TRUE(WaitForFile(pidFile + ".stopping"));
    }
    ASSERT_TRUE(Running(pids[1]));
    if (std::string(mode) == "guard") {
      const pid_t group = ::getpgid(pids[0]);
      const pid_t guard = OthersInGroup(group, 0, "framora-guard");
      ASSERT_GT(guard, 0);
      ::kill(guard, SIGKILL);
      QElapsedTimer t;
      t.start();
      while (!OthersInGroup(group, guard, "framora-guard") && t.elapsed() < 60000)
        QThread::msleep(1);
    }
    QElapsedTimer sinceKill;
    sinceKill.start();
    driver.kill();
    ASSERT_TRUE(driver.waitForFinished(60000));
    const auto running = [&] { return Running(pids[0]) || Running(pids[1]); };
    while (running() && sinceKill.elapsed() < 60000) QThread::msleep(5);
    EXPECT_FALSE(running()) << "the command runs on after the program was killed";
    std::printf("%s: the command ended %lld ms after the program was killed\n", mode,
                static_cast<long long>(sinceKill.elapsed()));
  }
}

}  // namespace
