// What the benchmarks that run FFmpeg as the console does share: a yield that only lets the run
// go on, events that say nothing but errors, and FFmpeg run quietly to make the media.
#pragma once

#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <string>

#include "app/ports.h"
#include "runner/read_output.h"

namespace bench {

class IdleYield : public framora::YieldPort {
 public:
  bool Yield() override { return true; }
};

class QuietEvents : public framora::ReadOutputEvents {
 public:
  void Error(const std::string& error, std::int32_t& code) override {
    std::fprintf(stderr, "Error: %s (%d)\n", error.c_str(), code);
  }
  void GotChunk(const std::string&, bool) override {}
  void Complete() override {}
  void Starting() override {}
  void Canceled() override {}
};

inline bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start("ffmpeg", QStringList{"-v", "error", "-y"} + args);
  return p.waitForFinished(-1) && p.exitCode() == 0;
}

}  // namespace bench
