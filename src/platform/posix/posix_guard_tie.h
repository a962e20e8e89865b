// What ties a running command to the program's life: our end of the socket whose other end its
// guard holds (see guard/framora_guard.cpp). A guard can die on its own (a broad pkill, the
// out-of-memory killer), and then a later death of the program would leave the command
// running; so a small thread watches the guard's end of the socket, and a guard that has died
// is replaced at once by a new one in the command's process group. The command's group lives in
// the program's session for that: a process can only join a group of its own session.
// A new guard can only join a group of the program's session that still exists; while the tie
// is held, the program starts no other group, so that is the command's.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <thread>

#include "platform/posix/posix_fd.h"

namespace framora::posix {

class GuardTie {
 public:
  // `life` is our end of the first guard's socket; `program` the guard to start anew.
  GuardTie(std::string program, pid_t group, pid_t guard, UniqueFd life);
  // Drops the tie, unless it was let go: the guard ends the command's group.
  ~GuardTie();
  GuardTie(const GuardTie&) = delete;
  GuardTie& operator=(const GuardTie&) = delete;

  // Lets the command go: the guard ends without a signal, and none is started any more.
  void Release();
  // The guard now, 0 when there is none.
  pid_t Guard();

 private:
  void Watch();
  // Ends the watch; with `release`, the guard is told first.
  void End(bool release);
  // Starts a new guard in the group; false when the group is gone.
  bool Replace();

  const std::string program_;
  const pid_t group_;
  std::mutex mutex_;
  pid_t guard_;
  UniqueFd life_;
  bool over_ = false;
  UniqueFd wakeRead_;  // written to end the watch
  UniqueFd wakeWrite_;
  std::thread watcher_;
};

}  // namespace framora::posix
