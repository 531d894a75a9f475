// The real screensaver daemons for end-to-end tests: each test gets an X
// display and a session bus of its own, and runs the daemons as an ordinary
// user (they refuse root, or misbehave as it). Only root can switch users,
// so these run where the tests run as root (CI); elsewhere they are skipped.
#pragma once
#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include "support/Xlib.h"

namespace qvtest {

// The user the daemons run as.
inline constexpr const char* kDaemonUser = "nobody";

// Why these tests cannot run here; empty when they can.
inline std::string DaemonTestsUnavailable(const std::vector<std::string>& programs) {
  if (::geteuid() != 0)
    return "runs only as root (as CI does): it installs under /usr and runs the daemons as the user nobody";
  if (!::getpwnam(kDaemonUser)) return std::string("there is no user ") + kDaemonUser;
  for (const std::string& program : programs)
    if (std::system(("command -v " + Quote(program) + " >/dev/null 2>&1").c_str()) != 0)
      return program + " is not installed (scripts/setup.sh installs it)";
  return {};
}

inline bool WaitUntil(int ms, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The processes whose program (first argument) is `program`: a path, or a
// bare name that matches the last part of one.
inline std::vector<pid_t> ProcessesOf(const std::string& program) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = ReadFile(entry.path().string() + "/cmdline");
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    const bool bare = program.find('/') == std::string::npos;
    if (first == program || (bare && first.size() > program.size() &&
                             first.compare(first.size() - program.size() - 1, std::string::npos, "/" + program) == 0))
      found.push_back(static_cast<pid_t>(std::stol(pid)));
  }
  return found;
}

// An X server of the test's own (the first free display), open to every
// user of this machine, and a connection to look at its screen.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    server_ = std::make_unique<Process>(
        std::vector<std::string>{"/bin/sh", "-c",
                                 "exec Xvfb -displayfd 3 -screen 0 640x480x24 -ac -nolisten tcp 3>" +
                                     Quote(scratch_.file("display")) + " 2>/dev/null"},
        std::vector<std::string>{});
    WaitUntil(10000, [&] { return ReadFile(scratch_.file("display")).find('\n') != std::string::npos; });
    const std::string number = ReadFile(scratch_.file("display"));
    if (number.find('\n') == std::string::npos) return;
    name_ = ":" + number.substr(0, number.find('\n'));
    display_ = XOpenDisplay(name_.c_str());
  }
  ~PrivateDisplay() {
    if (display_) XCloseDisplay(display_);
    if (server_ && server_->Running()) {
      ::kill(server_->pid(), SIGTERM);
      server_->Wait(3000);
    }
  }
  bool Ready() const { return display_ != nullptr; }
  const std::string& Name() const { return name_; }

  // The colour at the middle of the screen, as 0xRRGGBB.
  unsigned long MiddlePixel() {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 320, 240, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

 private:
  TempDir scratch_;
  std::unique_ptr<Process> server_;
  std::string name_;
  Display* display_ = nullptr;
};

// The daemon user's session: a home and temporary folder of its own, a
// session bus (dbus-run-session) for as long as it lives, the display.
class UserSession {
 public:
  explicit UserSession(const std::string& display) : display_(display) {
    const passwd* user = ::getpwnam(kDaemonUser);
    uid_ = user->pw_uid;
    gid_ = user->pw_gid;
    std::filesystem::create_directories(home_.file("tmp"));
    for (const std::string& path : {home_.path(), home_.file("tmp")}) Own(path);
    // The bus lives as long as the shell it started; the shell gives its id.
    bus_ = std::make_unique<Process>(
        Resolved(As({"dbus-run-session", "--", "/bin/sh", "-c",
            "echo \"$$ $DBUS_SESSION_BUS_ADDRESS\" > \"$HOME/bus\"; exec sleep 600"})),
        std::vector<std::string>{});
    WaitUntil(10000, [&] { return ReadFile(home_.file("bus")).find('\n') != std::string::npos; });
    const std::string line = ReadFile(home_.file("bus"));
    if (line.find(' ') == std::string::npos) return;
    shell_ = static_cast<pid_t>(std::stol(line.substr(0, line.find(' '))));
    bus_address_ = line.substr(line.find(' ') + 1, line.find('\n') - line.find(' ') - 1);
  }
  ~UserSession() {
    for (auto& p : started_)
      if (p->Running()) {
        ::kill(p->pid(), SIGTERM);
        if (!p->Wait(3000)) ::kill(p->pid(), SIGKILL);
      }
    // The bus goes when its shell ends.
    if (shell_ > 0) ::kill(shell_, SIGTERM);
    if (bus_) bus_->Wait(3000);
  }
  bool Ready() const { return !bus_address_.empty(); }
  const TempDir& Home() const { return home_; }
  std::string Log() const { return ReadFile(home_.file("session.log")); }
  std::string TempFolder() const { return home_.file("tmp"); }
  // Gives a file or folder the test made to the daemon user.
  bool Own(const std::string& path) const { return ::chown(path.c_str(), uid_, gid_) == 0; }

  // The command line that runs `argv` as the daemon user in this session
  // (setpriv runs it in its own place, so a started process's id is the program's).
  std::vector<std::string> As(const std::vector<std::string>& argv) const {
    std::vector<std::string> line = {"setpriv",
                                     "--reuid=" + std::to_string(uid_),
                                     "--regid=" + std::to_string(gid_),
                                     "--clear-groups",
                                     "--",
                                     "env",
                                     "-i",
                                     "HOME=" + home_.path(),
                                     "PATH=/usr/local/bin:/usr/bin:/bin",
                                     "DISPLAY=" + display_,
                                     "TMPDIR=" + TempFolder(),
                                     "XDG_RUNTIME_DIR=" + home_.path(),
                                     "XDG_CONFIG_HOME=" + home_.file("config"),
                                     "XDG_CURRENT_DESKTOP=MATE",
                                     "NO_AT_BRIDGE=1",
                                     "SDL_AUDIODRIVER=dummy",
                                     "ASAN_OPTIONS=detect_leaks=0"};
    if (!bus_address_.empty()) line.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_address_);
    // What the daemons say goes to the session's log, for a failure's message.
    line.insert(line.end(), {"/bin/sh", "-c", "exec \"$@\" >>\"$HOME/session.log\" 2>&1", "sh"});
    line.insert(line.end(), argv.begin(), argv.end());
    return line;
  }
  // Runs a command to its end (at most `ms`); its exit code, -1 when it did not end.
  int Run(const std::vector<std::string>& argv, int ms = 10000) const {
    Process p(Resolved(As(argv)), {});
    if (!p.Wait(ms)) return -1;
    return p.exitCode();
  }
  // Starts a command that runs until the session ends.
  Process& Start(const std::vector<std::string>& argv) {
    started_.push_back(std::make_unique<Process>(Resolved(As(argv)), std::vector<std::string>{}));
    return *started_.back();
  }

 private:
  static std::vector<std::string> Resolved(std::vector<std::string> line) {
    line[0] = "/usr/bin/" + line[0];
    return line;
  }

  std::string display_;
  TempDir home_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::unique_ptr<Process> bus_;
  pid_t shell_ = -1;
  std::string bus_address_;
  std::vector<std::unique_ptr<Process>> started_;
};

}  // namespace qvtest
