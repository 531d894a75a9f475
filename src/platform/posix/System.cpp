#include "platform/System.h"

#include "platform/posix/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/FileCommon.h"
#include "platform/posix/Process.h"

extern char** environ;

namespace qv::platform {

namespace {

// Written by the signal handler, read by the window's message processing.
volatile sig_atomic_t endSignal = 0;
// The pipe the handlers write one byte into to wake a poll().
int wakePipe[2] = {-1, -1};

void Wake() {
  if (wakePipe[1] < 0) return;
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);  // a full pipe is awake already
  errno = saved;
}

void OnEndSignal(int) {
  endSignal = 1;
  Wake();
}

void OnChildEnd(int) { Wake(); }

void MakeWakePipe() {
  if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
}

// A path as a file: URI, with every byte but the unreserved ones escaped.
std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
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
  MakeWakePipe();
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

bool EndSignalReceived() { return endSignal != 0; }

int WakeDescriptor() {
  MakeWakePipe();
  return wakePipe[0];
}

void DrainWakeDescriptor() {
  char buffer[64];
  while (wakePipe[0] >= 0 && ::read(wakePipe[0], buffer, sizeof buffer) > 0) {
  }
}

void WakeOnChildEnd() {
  MakeWakePipe();
  struct sigaction action {};
  action.sa_handler = OnChildEnd;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  sigaction(SIGCHLD, &action, nullptr);
}

pid_t SpawnProgram(const std::vector<std::string>& argv, const TSpawnStreams& streams, std::string& error) {
  if (argv.empty()) {
    error = "no program to start";
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (streams.out >= 0) posix_spawn_file_actions_adddup2(&actions, streams.out, 1);
  if (streams.errors == TSpawnStreams::Quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (streams.errors == TSpawnStreams::ToOut && streams.out >= 0) posix_spawn_file_actions_adddup2(&actions, streams.out, 2);
  if (!streams.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, streams.folder.c_str());
  // The child starts with the default handling of every signal this process
  // catches, and none blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&defaults);
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE}) sigaddset(&defaults, sig);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    error = argv[0] + (spawned == ENOENT ? std::string(" was not found") : ": " + std::string(std::strerror(spawned)));
    return -1;
  }
  return pid;
}

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return WithSlash(config);
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSlash(std::string(home) + "/.config");
  return {};
}

namespace {

// The desktops that keep their background in GSettings, by the names they
// give in XDG_CURRENT_DESKTOP.
struct TDesktop {
  const char* name;
  std::vector<std::string> sessionNames;
  const char* schema;
  const char* key;
  bool uri;
};

const std::vector<TDesktop>& KnownDesktops() {
  static const std::vector<TDesktop> desktops = {
      {"GNOME", {"GNOME", "UNITY", "BUDGIE", "PANTHEON"}, "org.gnome.desktop.background", "picture-uri", true},
      {"MATE", {"MATE"}, "org.mate.background", "picture-filename", false},
      {"Cinnamon", {"X-CINNAMON", "CINNAMON"}, "org.cinnamon.desktop.background", "picture-uri", true},
  };
  return desktops;
}

// The desktops this session runs: XDG_CURRENT_DESKTOP is a list such as
// "ubuntu:GNOME".
std::vector<std::string> SessionDesktops() {
  std::vector<std::string> names;
  const char* value = std::getenv("XDG_CURRENT_DESKTOP");
  std::stringstream list(value ? value : "");
  std::string item;
  while (std::getline(list, item, ':')) {
    for (char& c : item) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!item.empty()) names.push_back(item);
  }
  return names;
}

// A string as `gsettings get` prints it ('text' or "text", with backslash
// escapes), back to the text.
std::string GVariantString(const std::string& printed) {
  const std::string t = Trimmed(printed);
  if (t.size() < 2 || (t.front() != '\'' && t.front() != '"') || t.back() != t.front()) return t;
  std::string text;
  for (size_t i = 1; i + 1 < t.size(); ++i) {
    if (t[i] == '\\' && i + 2 < t.size()) ++i;
    text += t[i];
  }
  return text;
}

}  // namespace

bool SetDesktopWallpaper(const std::string& bitmapFile, std::string& how) {
  constexpr int kWaitMs = 5000;
  std::error_code ec;
  const std::string path = std::filesystem::absolute(bitmapFile, ec).string();
  const std::vector<std::string> session = SessionDesktops();
  const TDesktop* desktop = nullptr;
  for (const TDesktop& d : KnownDesktops())
    for (const std::string& name : d.sessionNames)
      if (!desktop && std::find(session.begin(), session.end(), name) != session.end()) desktop = &d;
  if (!desktop) {
    const char* named = std::getenv("XDG_CURRENT_DESKTOP");
    how = named && *named ? std::string("This desktop (") + named +
                                ") offers no way to set the wallpaper from here (GNOME, MATE and Cinnamon do)."
                          : "No desktop is named for this session (XDG_CURRENT_DESKTOP is empty), so the wallpaper "
                            "could not be set from here.";
    return false;
  }
  const TDesktop& d = *desktop;
  const std::string value = d.uri ? FileUri(path) : path;
  const TRun set = RunProgram({"gsettings", "set", d.schema, d.key, value}, kWaitMs, true);
  if (!set.started) {
    how = "gsettings was not found, so the wallpaper could not be set from here";
    return false;
  }
  // What the desktop keeps is read back: a session whose settings live only
  // in memory, or a schema that is missing, takes the value and forgets it.
  const TRun back = RunProgram({"gsettings", "get", d.schema, d.key}, kWaitMs, true);
  if (!set.ended || set.exitCode != 0 || !back.ended || back.exitCode != 0 || GVariantString(back.out) != value) {
    how = std::string("The background settings of ") + d.name + " (" + d.schema + ") did not keep the picture, " +
          "so the wallpaper was not set.";
    return false;
  }
  // Newer GNOME keeps a second picture for its dark style.
  if (d.uri && std::string(d.name) == "GNOME") {
    const TRun dark = RunProgram({"gsettings", "writable", d.schema, "picture-uri-dark"}, kWaitMs, true);
    if (dark.ended && dark.exitCode == 0 && Trimmed(dark.out) == "true")
      RunProgram({"gsettings", "set", d.schema, "picture-uri-dark", value}, kWaitMs, true);
  }
  RunProgram({"gsettings", "set", d.schema, "picture-options", "centered"}, kWaitMs, true);
  how = std::string("The wallpaper was set through the background settings of ") + d.name + " (" + d.schema + ").";
  return true;
}

bool OpenWithDesktop(const std::string& target, std::string& why) {
  if (target.empty() || target.find_first_not_of(' ') == std::string::npos) {
    why = "there is nothing to open";
    return false;
  }
  if (target[0] == '-') {  // it would be taken for an option
    why = "it is not a web address or a file";
    return false;
  }
  // xdg-open hands the target to the desktop's choice and usually ends at
  // once; one that stays (a browser in the foreground) is left running.
  const TRun run = RunProgram({"xdg-open", target}, 3000, false);
  if (!run.started) {
    why = run.error + " (it comes with the xdg-utils package)";
    return false;
  }
  if (run.ended && run.exitCode != 0) {
    why = "xdg-open could not open it (exit code " + std::to_string(run.exitCode) + ")";
    return false;
  }
  return true;
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
