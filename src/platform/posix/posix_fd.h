// A descriptor that closes itself, and what the process host and the guard's tie share about
// the descriptors a command's guard is given.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace framora::posix {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

// What the guard gets besides the standard handles (see guard/framora_guard.cpp): its end of
// the socket that ties the command to the program, and the pipe it reports on.
inline constexpr int kGuardLife = 3;
inline constexpr int kGuardReport = 4;

// A descriptor 0 to 4 would be overwritten by the descriptors the child is given before it
// could be copied onto them; keep ours above them.
inline bool MoveAboveChilds(UniqueFd& fd) {
  if (fd.get() > kGuardReport) return true;
  const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, kGuardReport + 1);
  if (moved < 0) return false;
  fd = UniqueFd(moved);
  return true;
}

}  // namespace framora::posix
