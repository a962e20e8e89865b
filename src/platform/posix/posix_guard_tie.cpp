#include "platform/posix/posix_guard_tie.h"

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/posix/posix_children.h"

extern char** environ;

namespace framora::posix {

GuardTie::GuardTie(std::string program, pid_t group, pid_t guard, UniqueFd life)
    : program_(std::move(program)), group_(group), guard_(guard), life_(std::move(life)) {
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC) != 0) return;  // no watch: the first guard alone
  wakeRead_ = UniqueFd(wake[0]);
  wakeWrite_ = UniqueFd(wake[1]);
  try {
    watcher_ = std::thread([this] { Watch(); });
  } catch (const std::system_error&) {
  }
}

GuardTie::~GuardTie() { End(false); }

void GuardTie::Release() { End(true); }

pid_t GuardTie::Guard() {
  const std::lock_guard lock(mutex_);
  return guard_;
}

void GuardTie::End(bool release) {
  {
    const std::lock_guard lock(mutex_);
    if (over_) return;
    over_ = true;  // from now on no guard is started
    const char letGo = 'r';
    if (release) ::send(life_.get(), &letGo, 1, MSG_NOSIGNAL);
  }
  if (watcher_.joinable()) {
    const char stop = 's';
    while (::write(wakeWrite_.get(), &stop, 1) < 0 && errno == EINTR) {
    }
    watcher_.join();
  }
  // Without the byte, the end of the socket tells the guard that the program has gone.
  life_.Reset();
  if (guard_ > 0) ReapLater(guard_);  // ours if a replacement, or where orphans come to us
}

void GuardTie::Watch() {
  for (;;) {
    // The guard never writes: its end becomes readable only when it has died.
    pollfd fds[2] = {{life_.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    const std::lock_guard lock(mutex_);
    if (over_ || !Replace()) return;
  }
}

bool GuardTie::Replace() {
  if (guard_ > 0) ReapLater(guard_);
  guard_ = 0;
  life_.Reset();
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  UniqueFd ours(sockets[0]);
  UniqueFd theirs(sockets[1]);
  if (!MoveAboveChilds(ours) || !MoveAboveChilds(theirs)) return false;

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (::posix_spawn_file_actions_init(&actions) != 0) return false;
  if (::posix_spawnattr_init(&attributes) != 0) {
    ::posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  int rc = ::posix_spawn_file_actions_adddup2(&actions, theirs.get(), kGuardLife);
  if (rc == 0) rc = ::posix_spawn_file_actions_addclosefrom_np(&actions, kGuardLife + 1);
  if (rc == 0) rc = NewGroupAttributes(attributes, group_);
  pid_t pid = 0;
  if (rc == 0) {
    std::string program = program_;
    std::string option = "--join";
    std::string group = std::to_string(group_);
    char* argv[] = {program.data(), option.data(), group.data(), nullptr};
    // Refused (EPERM) once the group has gone: nothing is left to guard.
    rc = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  }
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  guard_ = pid;
  life_ = std::move(ours);
  return true;
}

}  // namespace framora::posix
