// A small, predictable child process for the runner's tests. Everything it prints goes out
// with write(2), unbuffered, so the order between standard output and standard error is the
// order of the calls. It never waits for time to pass: it waits for SIGUSR1 or for a pipe.
//
//   bytes N               N bytes of PatternByte(i) (see below) on standard output
//   repeat N TEXT         TEXT (with \xHH escapes) N times, in writes of any size
//   alternate A B C ...   A to stdout, B to stderr, C to stdout, ... (with \xHH escapes)
//   parts A B C ...       "pid <pid>\n", then before each part waits for one SIGUSR1
//   wait [ignore-term] [close-output]
//                         prints "pid <pid>\n", optionally ignores SIGTERM and closes its
//                         standard output and error, then waits for SIGUSR1 and exits with 4
//   hold-pipe             forks a grandchild that keeps the output open; the parent prints
//                         "parent <pid>\n" and exits; the grandchild waits until its parent is
//                         gone, prints "grandchild <pid> after parent\n" and exits
//   read-stdin            reads standard input to its end and reports what it got
//   ids                   "pid <pid> group <pgid> session <sid> terminal <yes|no>\n"
//   fds                   "fds 0 1 2 ...\n": the descriptors it was started with
//   -c COMMAND            (as an interpreter) prints "argc=<n> command=<COMMAND>\n"
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// "\xHH" becomes the byte HH; everything else stays.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      const std::string hex(text.substr(i + 2, 2));
      out.push_back(static_cast<char>(std::strtol(hex.c_str(), nullptr, 16)));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// The same rule as in the tests: lines of 63 letters.
char PatternByte(std::size_t i) { return i % 64 == 63 ? '\n' : static_cast<char>('A' + i % 26); }

void BlockUsr1() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGUSR1);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void WaitForUsr1() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGUSR1);
  int signal = 0;
  while (sigwait(&set, &signal) != 0) {
  }
}

std::string PidLine(const char* label) {
  return std::string(label) + " " + std::to_string(::getpid()) + "\n";
}

int Bytes(std::size_t count) {
  std::string block(65536, '\0');
  std::size_t i = 0;
  while (i < count) {
    const std::size_t n = std::min(block.size(), count - i);
    for (std::size_t k = 0; k < n; ++k) block[k] = PatternByte(i + k);
    if (!WriteAll(1, std::string_view(block.data(), n))) return 1;
    i += n;
  }
  return 0;
}

int Repeat(std::size_t count, const std::string& text) {
  std::string block;
  while (block.size() < 65536) block += text;
  const std::size_t perBlock = block.size() / text.size();
  while (count > 0) {
    const std::size_t n = std::min(perBlock, count);
    if (!WriteAll(1, std::string_view(block.data(), n * text.size()))) return 1;
    count -= n;
  }
  return 0;
}

int Wait(bool ignoreTerm, bool closeOutput) {
  BlockUsr1();
  if (ignoreTerm) ::signal(SIGTERM, SIG_IGN);
  WriteAll(1, PidLine("pid"));
  if (closeOutput) {
    ::close(1);
    ::close(2);
  }
  WaitForUsr1();
  return 4;
}

int HoldPipe() {
  int life[2];
  if (::pipe(life) != 0) return 1;
  const pid_t child = ::fork();
  if (child < 0) return 1;
  if (child == 0) {
    ::close(life[1]);
    char c = 0;
    while (::read(life[0], &c, 1) != 0) {
      if (errno != EINTR) break;
    }
    WriteAll(1, "grandchild " + std::to_string(::getpid()) + " after parent\n");
    return 0;
  }
  ::close(life[0]);
  WriteAll(1, PidLine("parent"));
  return 0;  // exiting closes life[1], which tells the grandchild
}

int ReadStdin() {
  char buffer[256];
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ::read(0, buffer, sizeof buffer);
    if (n > 0) {
      total += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {
      WriteAll(1, "stdin: " + std::to_string(total) + " bytes, then end of file\n");
    } else {
      WriteAll(1, "stdin: error " + std::to_string(errno) + "\n");
    }
    return 0;
  }
}

int Ids() {
  const int tty = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (tty >= 0) ::close(tty);
  return WriteAll(1, "pid " + std::to_string(::getpid()) + " group " + std::to_string(::getpgrp()) +
                         " session " + std::to_string(::getsid(0)) + " terminal " +
                         (tty >= 0 ? "yes" : "no") + "\n")
             ? 0
             : 1;
}

int Fds() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return 1;
  std::vector<int> fds;
  while (const dirent* item = ::readdir(dir)) {
    if (item->d_name[0] == '.') continue;
    const int fd = std::atoi(item->d_name);
    if (fd != ::dirfd(dir)) fds.push_back(fd);
  }
  ::closedir(dir);
  std::sort(fds.begin(), fds.end());
  std::string line = "fds";
  for (int fd : fds) {
    line += ' ';
    line += std::to_string(fd);
  }
  return WriteAll(1, line + "\n") ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string_view mode = argv[1];
  if (mode == "-c") {
    return WriteAll(1, "argc=" + std::to_string(argc) +
                           " command=" + (argc > 2 ? std::string(argv[2]) : std::string()) + "\n")
               ? 0
               : 1;
  }
  if (mode == "bytes" && argc == 3) return Bytes(std::strtoull(argv[2], nullptr, 10));
  if (mode == "repeat" && argc == 4) {
    return Repeat(std::strtoull(argv[2], nullptr, 10), Unescape(argv[3]));
  }
  if (mode == "alternate") {
    for (int i = 2; i < argc; ++i) {
      if (!WriteAll(i % 2 == 0 ? 1 : 2, Unescape(argv[i]))) return 1;
    }
    return 0;
  }
  if (mode == "parts") {
    BlockUsr1();
    WriteAll(1, PidLine("pid"));
    for (int i = 2; i < argc; ++i) {
      WaitForUsr1();
      if (!WriteAll(1, Unescape(argv[i]))) return 1;
    }
    return 0;
  }
  if (mode == "wait") {
    bool ignoreTerm = false;
    bool closeOutput = false;
    for (int i = 2; i < argc; ++i) {
      ignoreTerm = ignoreTerm || std::strcmp(argv[i], "ignore-term") == 0;
      closeOutput = closeOutput || std::strcmp(argv[i], "close-output") == 0;
    }
    return Wait(ignoreTerm, closeOutput);
  }
  if (mode == "hold-pipe") return HoldPipe();
  if (mode == "read-stdin") return ReadStdin();
  if (mode == "ids") return Ids();
  if (mode == "fds") return Fds();
  return 2;
}
