// Start-up time in hosted mode: from starting a process to its first
// picture in the daemon's window. A 1920 x 1080 window is filled magenta;
// the command starts with XSCREENSAVER_WINDOW naming it, and the time until
// the window's middle shows the picture (neither magenta nor the black the
// saver opens with) is taken, ten times, then the process is stopped. The same for a bare SDL program that presents one black
// frame, as the floor. Needs an X display of at least 1920 x 1080
// (scripts/measure/hosted-startup.sh starts one).
//   bench_hosted_startup SCREENSAVER FLOOR_PROGRAM
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr unsigned long kMagenta = 0xFF00FF;

unsigned long Middle(Display* d, Window w) {
  XImage* image = XGetImage(d, w, 960, 540, 1, 1, AllPlanes, ZPixmap);
  if (!image) return kMagenta;
  const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return p;
}

// Milliseconds from the start of `argv` until the window's middle shows
// something other than magenta (and, for a picture, other than black).
double FirstFrame(Display* d, Window w, std::vector<std::string> argv, bool picture) {
  XClearWindow(d, w);
  XSync(d, False);
  char id[32];
  std::snprintf(id, sizeof id, "XSCREENSAVER_WINDOW=0x%lx", static_cast<unsigned long>(w));
  std::vector<std::string> env = {id, "SDL_AUDIODRIVER=dummy"};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("XSCREENSAVER_WINDOW=", 0) != 0) env.push_back(*e);
  std::vector<char*> a, e;
  for (std::string& s : argv) a.push_back(s.data());
  a.push_back(nullptr);
  for (std::string& s : env) e.push_back(s.data());
  e.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, a[0], nullptr, nullptr, a.data(), e.data()) != 0) return -1;
  double ms = -1;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    const unsigned long middle = Middle(d, w);
    if (middle != kMagenta && (!picture || middle != 0)) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      break;
    }
  }
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  return ms;
}

void Report(const char* what, std::vector<double> runs) {
  std::sort(runs.begin(), runs.end());
  std::printf("%-44s min %6.1f  median %6.1f  max %6.1f ms\n", what, runs.front(), runs[runs.size() / 2], runs.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_hosted_startup SCREENSAVER FLOOR_PROGRAM\n");
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 2;
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1920, 1080, 0, 0, kMagenta);
  XMapWindow(d, w);
  XSync(d, False);
  std::vector<double> floor, engine;
  for (int i = 0; i < 10; ++i) {
    floor.push_back(FirstFrame(d, w, {argv[2]}, false));
    engine.push_back(FirstFrame(d, w, {argv[1], "-root"}, true));
  }
  Report("bare SDL program, one black frame", floor);
  Report("the screensaver, its first picture", engine);
  std::sort(floor.begin(), floor.end());
  std::sort(engine.begin(), engine.end());
  std::printf("ratio of medians %.2f\n", engine[5] / floor[5]);
  return 0;
}
