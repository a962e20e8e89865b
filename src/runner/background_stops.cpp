#include "runner/background_stops.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace framora {

BackgroundStops::~BackgroundStops() { WaitAll(); }

void BackgroundStops::Start(std::function<void()> stop) {
  // Shared, so that it is still there to run here when no thread can be made.
  auto task = std::make_shared<std::function<void()>>(std::move(stop));
  {
    std::lock_guard lock(mutex_);
    JoinFinished();
    Worker& worker = workers_.emplace_back();
    try {
      worker.thread = std::thread([finished = worker.finished, task] {
        (*task)();
        *finished = true;
      });
      return;
    } catch (const std::system_error&) {
      workers_.pop_back();
    }
  }
  (*task)();
}

void BackgroundStops::Then(std::function<void()> work) {
  std::vector<std::shared_ptr<std::atomic<bool>>> earlier;
  {
    std::lock_guard lock(mutex_);
    for (const Worker& worker : workers_) {
      if (!*worker.finished) earlier.push_back(worker.finished);
    }
  }
  // Each stop is bounded (its grace, then a kill), so this wait is too.
  Start([earlier = std::move(earlier), work = std::move(work)] {
    for (const auto& finished : earlier) {
      while (!*finished) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    work();
  });
}

void BackgroundStops::WaitAll() {
  std::list<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (Worker& worker : workers) worker.thread.join();
}

std::size_t BackgroundStops::Pending() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(
      workers_.begin(), workers_.end(), [](const Worker& worker) { return !*worker.finished; }));
}

void BackgroundStops::JoinFinished() {
  workers_.remove_if([](Worker& worker) {
    if (!*worker.finished) return false;
    worker.thread.join();
    return true;
  });
}

}  // namespace framora
