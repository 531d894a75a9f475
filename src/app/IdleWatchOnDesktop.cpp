#include "app/IdleWatchOnDesktop.h"

#include <poll.h>

#include <cctype>
#include <cstdlib>
#include <memory>

#include "platform/Files.h"
#include "platform/System.h"
#include "platform/posix/Process.h"
#include "platform/sdbus/MutterIdleMonitor.h"
#include "platform/sdbus/ScreenSaverService.h"
#include "platform/wayland/WaylandIdleMonitor.h"
#include "platform/x11/X11IdleMonitor.h"
#include "startup/uIdleWatch.h"

namespace qv::app {

using namespace platform;

namespace {

bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

// The first source this session has, in the order that sees the most: GNOME
// (X11 or Wayland) counts its own inhibitions; a Wayland session's X server
// would see only the input of X programs.
// One watch for one session: a lock named after the user and what the idle
// time comes from (the bus, the compositor's socket, the display).
std::string SessionLock(const std::string& session) {
  std::string name;
  for (char c : session.substr(0, 80)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return RuntimeFolder() + "qvsaver-watch-" + CurrentUserId() + "-" + name + ".lock";
}

std::unique_ptr<IIdleMonitor> OpenIdleSource(uint32_t idleMs, bool& fromX11, std::string& session, std::string& why) {
  fromX11 = false;
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  session = std::string("gnome-") + (bus ? bus : "");
  std::string reason;
  if (auto monitor = OpenMutterIdleMonitor(idleMs, reason)) return monitor;
  why = "GNOME: " + reason;
  if (Set("WAYLAND_DISPLAY")) {
    session = std::string("wayland-") + std::getenv("WAYLAND_DISPLAY");
    if (auto monitor = OpenWaylandIdleMonitor(idleMs, reason)) return monitor;
    why += "; Wayland: " + reason;
  } else {
    why += "; Wayland: WAYLAND_DISPLAY is not set";
  }
  if (Set("DISPLAY")) {
    session = std::string("x11-") + std::getenv("DISPLAY");
    if (auto monitor = OpenX11IdleMonitor(idleMs, reason)) {
      fromX11 = true;
      return monitor;
    }
    why += "; X11: " + reason;
  } else {
    why += "; X11: DISPLAY is not set";
  }
  return nullptr;
}

}  // namespace

int RunIdleWatchOnDesktop(uint32_t idleMs, const std::vector<std::string>& saverCommand,
                          const std::function<void(const std::string&)>& report) {
  std::string why;
  bool fromX11 = false;
  std::string session;
  std::unique_ptr<IIdleMonitor> monitor = OpenIdleSource(idleMs, fromX11, session, why);
  if (!monitor) {
    report("this session tells no idle time (" + why + ")");
    return 1;
  }
  const std::string lockPath = SessionLock(session);
  TFile lock;
  if (!TakeNamedLock(lockPath, lock)) {
    report("another qvtool watch runs in this session already (" + lockPath + ")");
    return 1;
  }
  report("idle time from " + monitor->Name());
  // Wayland compositors and GNOME leave a session that something inhibits
  // un-idle themselves; the X server does not.
  std::unique_ptr<IIdleInhibitions> inhibitions;
  if (fromX11) {
    std::string reason;
    inhibitions = OpenScreenSaverInhibitions(reason);
    report(inhibitions ? inhibitions->Name() : "inhibitions are not looked at: " + reason);
  }
  // Without an X server the saver draws through SDL's Wayland driver.
  if (!Set("DISPLAY") && Set("WAYLAND_DISPLAY") && !Set("SDL_VIDEODRIVER")) ::setenv("SDL_VIDEODRIVER", "wayland", 1);

  TChildProcessStarter starter;
  TIdleWatchServices services;
  services.monitor = monitor.get();
  services.inhibitions = inhibitions.get();
  services.starter = &starter;
  services.saverCommand = saverCommand;
  services.idleMs = idleMs;
  services.tickCount = TickCount;
  services.endRequested = EndSignalReceived;
  services.report = report;
  services.wait = [&](int timeoutMs) {
    pollfd fds[3];
    nfds_t count = 0;
    for (int fd : {WakeDescriptor(), monitor->Descriptor(), inhibitions ? inhibitions->Descriptor() : -1})
      if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
    ::poll(fds, count, timeoutMs);
    DrainWakeDescriptor();
  };
  RunIdleWatch(services);
  ReleaseNamedLock(lockPath, lock);
  return 0;
}

}  // namespace qv::app
