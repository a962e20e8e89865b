// The batch's system as a test sees it: what was written where, a stop flag the test sets, and
// fake process hosts whose runs the test scripts in `onRun`, which sees each run's command.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "fakes/fake_process_host.h"

namespace framora::test {

class FakeBatchSystem : public batch::BatchSystem {
 public:
  bool IsTerminal() override { return terminal; }
  void Out(std::string_view text) override { out += text; }
  void Err(std::string_view text) override { err += text; }
  bool StopRequested() override { return stop; }
  std::unique_ptr<ProcessHost> MakeProcessHost(YieldPort& yield) override {
    auto made = std::make_unique<FakeProcessHost>();
    host = made.get();
    made->processError = processError;
    made->onYield = [&yield] { return yield.Yield(); };
    made->onStart = [this](const CommandLine& line) {
      commands.push_back(line.command);
      if (onRun) onRun(*host, line.command);
    };
    return made;
  }
  // What the batch waits for: the processes handed over to be ended so far.
  void WaitForStops() override { stopWaits.push_back(host->handedOver.size()); }

  bool terminal = false;
  bool stop = false;
  std::int32_t processError = 0;  // given to each host: its runs cannot start
  std::string out;
  std::string err;
  FakeProcessHost* host = nullptr;  // the latest host, during its batch only
  std::vector<std::string> commands;
  std::function<void(FakeProcessHost&, const std::string& command)> onRun;
  std::vector<std::size_t> stopWaits;
};

}  // namespace framora::test
