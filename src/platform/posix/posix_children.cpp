#include "platform/posix/posix_children.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace framora::posix {

namespace {

int FreshSignals(posix_spawnattr_t& attributes, short flags) {
  sigset_t all;
  sigset_t none;
  ::sigfillset(&all);
  ::sigemptyset(&none);
  int rc = ::posix_spawnattr_setflags(
      &attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK));
  if (rc == 0) rc = ::posix_spawnattr_setsigdefault(&attributes, &all);
  if (rc == 0) rc = ::posix_spawnattr_setsigmask(&attributes, &none);
  return rc;
}

}  // namespace

int NewSessionAttributes(posix_spawnattr_t& attributes) {
  return FreshSignals(attributes, POSIX_SPAWN_SETSID);
}

int NewGroupAttributes(posix_spawnattr_t& attributes, pid_t group) {
  const int rc = ::posix_spawnattr_setpgroup(&attributes, group);
  return rc != 0 ? rc : FreshSignals(attributes, POSIX_SPAWN_SETPGROUP);
}

void ReapLater(pid_t pid) {
  int status = 0;
  pid_t result = 0;
  do {
    result = ::waitpid(pid, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result != 0) return;  // reaped, or not ours to reap (ECHILD)
  try {
    std::thread([pid] {
      int childStatus = 0;
      while (::waitpid(pid, &childStatus, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: a zombie is still better than a window that hangs.
  }
}

}  // namespace framora::posix
