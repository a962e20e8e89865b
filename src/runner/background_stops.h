// Stops of commands that go on beside the user interface. Each runs on a thread of its own, so
// that neither the windows nor a later run wait for the grace or the kill of an earlier one.
// The program waits for the pending ones before it ends; each is bounded, so that wait is too.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace framora {

class BackgroundStops {
 public:
  BackgroundStops() = default;
  BackgroundStops(const BackgroundStops&) = delete;
  BackgroundStops& operator=(const BackgroundStops&) = delete;
  // Waits for every stop still going.
  ~BackgroundStops();

  // Runs `stop` beside the caller. Without a thread to be had it runs here and now: late is
  // better than never.
  void Start(std::function<void()> stop);
  // Runs `work` beside the caller once every stop started so far has finished.
  void Then(std::function<void()> work);
  // Returns once every stop started so far has finished.
  void WaitAll();
  // Stops started and not finished yet.
  std::size_t Pending() const;

 private:
  struct Worker {
    std::thread thread;
    // Shared with a later Then, which may outlive the worker's place in the list.
    std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
  };
  // Joins the workers that have finished (under the lock).
  void JoinFinished();

  mutable std::mutex mutex_;
  std::list<Worker> workers_;  // a list: a running worker's flag must not move
};

}  // namespace framora
