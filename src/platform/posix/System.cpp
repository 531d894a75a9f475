#include "platform/System.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace qv::platform {

namespace {

// Written by the signal handler, read by the window's message processing.
volatile sig_atomic_t endSignal = 0;
void OnEndSignal(int) { endSignal = 1; }

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}
}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string ExecutablePath() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

uint32_t TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void InstallEndSignals() {
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

bool EndSignalReceived() { return endSignal != 0; }

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return WithSlash(config);
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSlash(std::string(home) + "/.config");
  return {};
}

bool SetDesktopWallpaper(const std::string&, std::string& how) {
  // The desktops' own settings programs come with the configuration window.
  how = "this desktop offers no way to set the wallpaper from here";
  return false;
}

void ChangeScreensaverPassword(uint64_t) {
  // The desktop's screen locker owns the password: nothing to change here.
}

std::vector<std::string> DataFolders() {
  std::vector<std::string> out;
  const char* home = std::getenv("XDG_DATA_HOME");
  if (home && *home) {
    out.push_back(WithSlash(home));
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    out.push_back(WithSlash(std::string(h) + "/.local/share"));
  }
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string list = (dirs && *dirs) ? dirs : "/usr/local/share:/usr/share";
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ':'))
    if (!item.empty()) out.push_back(WithSlash(item));
  return out;
}

}  // namespace qv::platform
