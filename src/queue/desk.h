// Where the main window's launch leaves the songs it planned, for the console to run: the
// console listens while it exists, and each launch replaces what the last one left.
#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace framora::queue {

class SongQueue;

class Desk {
 public:
  using Listener = std::function<void(std::shared_ptr<SongQueue>)>;

  // One listener at a time: a new console replaces one that is closed but not yet gone, whose
  // going then leaves the new one listening.
  void Listen(const void* owner, Listener listener) {
    owner_ = owner;
    listener_ = std::move(listener);
  }
  void StopListening(const void* owner) {
    if (owner_ != owner) return;
    owner_ = nullptr;
    listener_ = nullptr;
  }
  // Nothing happens when no console listens: the launch shows the console first.
  void HandOver(std::shared_ptr<SongQueue> queue) {
    if (listener_) listener_(std::move(queue));
  }

 private:
  const void* owner_ = nullptr;
  Listener listener_;
};

}  // namespace framora::queue
