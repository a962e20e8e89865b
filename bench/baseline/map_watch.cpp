// Starts a program and measures, on the X server's side, how long it takes until a top-level
// window with the given caption is mapped, then how much memory the program holds once its
// window is up. Without a window manager top-level windows are children of the root window,
// so MapNotify on the root tells the moment exactly, with no polling.
//
//   map_watch <caption> <settle ms> <deadline s> -- <program> [args...]
//
// Prints one line: "map_ms=<float> rss_kb=<int> hwm_kb=<int>". Exits 1 when the window does
// not appear in time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

std::string Caption(Display* display, Window window) {
  // Qt sets the UTF-8 _NET_WM_NAME and the legacy WM_NAME before it maps the window.
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string caption;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    caption.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!caption.empty()) return caption;
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name != nullptr) {
    caption = name;
    XFree(name);
  }
  return caption;
}

long StatusField(pid_t pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  }
  return -1;
}

int XErrorsIgnored(Display*, XErrorEvent*) { return 0; }  // windows may vanish meanwhile

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || std::strcmp(argv[4], "--") != 0) {
    std::fprintf(stderr, "usage: %s <caption> <settle ms> <deadline s> -- <program> [args...]\n",
                 argv[0]);
    return 2;
  }
  const std::string wanted = argv[1];
  const int settleMs = std::atoi(argv[2]);
  const double deadline = std::atof(argv[3]);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "map_watch: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(XErrorsIgnored);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    close(ConnectionNumber(display));
    execv(argv[5], argv + 5);
    std::perror("map_watch: exec");
    _exit(127);
  }

  double mapped = -1;
  pollfd pfd{ConnectionNumber(display), POLLIN, 0};
  while (mapped < 0 && Now() - start < deadline) {
    if (XPending(display) == 0) {
      poll(&pfd, 1, 50);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && Caption(display, event.xmap.window) == wanted) mapped = Now();
  }

  int result = 1;
  if (mapped >= 0) {
    usleep(settleMs * 1000);
    std::printf("map_ms=%.1f rss_kb=%ld hwm_kb=%ld\n", (mapped - start) * 1000,
                StatusField(child, "VmRSS"), StatusField(child, "VmHWM"));
    result = 0;
  } else {
    std::fprintf(stderr, "map_watch: no window '%s' within %.0f s\n", wanted.c_str(), deadline);
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  XCloseDisplay(display);
  return result;
}
