// framora-guard: how the POSIX host starts a command so that it never outlives the program.
//
//   framora-guard <interpreter> -c <command>
//   framora-guard --join <group>
//
// The host starts it as the leader of a process group of its own, with the command's standard
// handles, its end of a socket on descriptor 3 (the other end is the program's alone,
// close-on-exec) and a pipe for this report on descriptor 4. It gives up the terminal, leaves
// a guard behind in the same group, tells the host the guard's id, and becomes the
// interpreter: the same process, so the command's id, group, exit status and output are what
// they would be without it. With --join, the host has started it into the group of a command
// whose guard has died, with the socket of the new tie on descriptor 3: it is the new guard.
//
// The guard waits on the socket. A byte from the program lets the command go (the run is over,
// or File > Exit leaves it running): the guard ends. The end of the socket without that byte
// means that the program has died: the guard asks the whole group to end (SIGTERM), gives it a
// grace, and kills what is left of it (SIGKILL), itself included. Being a member, it keeps the
// group's id from being reused by another group until its last signal is sent. It ignores the
// program's own SIGTERM to the group, so that a stop of the program's that is still pending
// when the program dies is still carried out.
//
// The parent-death signal would not do: it reaches only the process that asked for it (not
// FFmpeg when the interpreter forks instead of exec'ing), and it cannot be taken back for File
// > Exit. The guard is a grandchild, orphaned at once, so that the interpreter never sees it
// as a child of its own (a shell's `wait` would wait for it).
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kLife = 3;
constexpr int kReport = 4;
constexpr int kGraceSeconds = 2;  // the program's own stop gives 3 s; all of it within 5 s

void Report(const void* value, std::size_t size) {
  const auto* bytes = static_cast<const char*>(value);
  while (size > 0) {
    const ssize_t n = ::write(kReport, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

// The command's group stays in the program's session so that a new guard can join it; it
// loses the terminal instead, as a session of its own would have none. Only this process lets
// go of it (it leads no session), and what it starts from now on has none either.
void LeaveTerminal() {
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return;
  ::ioctl(tty, TIOCNOTTY);
  ::close(tty);
}

// Guards `group`, the command's process group.
[[noreturn]] void Guard(pid_t group) {
  ::close(kReport);
  // Nothing of the command's: its output ends when the command's side of it does.
  const int null = ::open("/dev/null", O_RDWR);
  for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
  if (null > 2) ::close(null);
  ::signal(SIGTERM, SIG_IGN);

  char byte = 0;
  ssize_t n = 0;
  do {
    n = ::read(kLife, &byte, 1);
  } while (n < 0 && errno == EINTR);
  // Let go; or started otherwise than in the command's group, which would be somebody else's.
  if (n > 0 || ::getpgrp() != group) ::_exit(0);

  ::kill(0, SIGTERM);
  timespec grace{kGraceSeconds, 0};
  while (::nanosleep(&grace, &grace) != 0 && errno == EINTR) {
  }
  ::kill(0, SIGKILL);
  ::_exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--join") == 0) {
    LeaveTerminal();
    Guard(static_cast<pid_t>(std::atol(argv[2])));
  }
  if (argc < 2) return 127;
  ::fcntl(kReport, F_SETFD, FD_CLOEXEC);  // the exec below is what closes it
  LeaveTerminal();
  const pid_t group = ::getpid();  // the host made us its leader

  int error = 0;
  const pid_t middle = ::fork();
  if (middle == 0) {
    const pid_t guard = ::fork();
    if (guard == 0) Guard(group);
    const pid_t reported = guard > 0 ? guard : -1;
    Report(&reported, sizeof reported);
    ::_exit(guard > 0 ? 0 : 1);
  }
  if (middle < 0) {
    error = errno;
    const pid_t none = -1;
    Report(&none, sizeof none);
  } else {
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) error = EAGAIN;
  }
  if (error == 0) {
    ::close(kLife);
    ::execvp(argv[1], argv + 1);
    error = errno;
  }
  Report(&error, sizeof error);
  return 127;
}
