#include "platform/x11/X11IdleMonitor.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include "platform/System.h"

namespace qv::platform {

namespace {

// Xlib ends the process when its connection breaks, unless the exit is
// taken over: the monitor notes it and reports the session's end instead.
int QuietIOError(::Display*) { return 0; }

// While idle, the monitor looks this often for input again; the saver (which
// ends on input itself) is showing then, so this costs nothing noticeable.
constexpr int kIdleLookMs = 1000;

class TX11IdleMonitor final : public IIdleMonitor {
 public:
  TX11IdleMonitor(::Display* display, uint32_t idleMs) : display_(display), idleMs_(idleMs) {
    XSetIOErrorExitHandler(display_, &TX11IdleMonitor::ConnectionLost, this);
    info_ = XScreenSaverAllocInfo();
  }
  ~TX11IdleMonitor() override {
    if (info_) XFree(info_);
    if (!lost_) XCloseDisplay(display_);
  }

  std::string Name() const override { return "the X server's idle time (MIT-SCREEN-SAVER)"; }
  int Descriptor() const override { return lost_ ? -1 : ConnectionNumber(display_); }

  std::vector<TIdleChange> Dispatch() override {
    std::vector<TIdleChange> changes;
    if (!lost_) {
      // Nothing is asked for, but what comes must be read (and a closed
      // connection shows itself here).
      while (!lost_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
      }
    }
    if (lost_ || !info_ || !XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_) || lost_) {
      if (!reportedLost_) changes.push_back(TIdleChange::Lost);
      reportedLost_ = lost_ = true;
      return changes;
    }
    const unsigned long idle = info_->idle;
    lookedAt_ = TickCount();
    if (!idle_ && idle >= idleMs_) {
      idle_ = true;
      changes.push_back(TIdleChange::Idle);
    } else if (idle_ && idle < lastIdle_) {
      // Input (or a program resetting the screensaver) set it back.
      idle_ = false;
      changes.push_back(TIdleChange::Active);
      if (idle >= idleMs_) {
        idle_ = true;
        changes.push_back(TIdleChange::Idle);
      }
    }
    lastIdle_ = idle;
    return changes;
  }

  int NextCheckMs() override {
    if (lost_) return -1;
    if (idle_) return kIdleLookMs;
    // Not idle yet: look again when the time would be up, were there no
    // input meanwhile.
    const uint32_t since = TickCount() - lookedAt_;
    const uint64_t due = static_cast<uint64_t>(idleMs_) > lastIdle_ + since ? idleMs_ - lastIdle_ - since : 0;
    return static_cast<int>(due + 5);
  }

 private:
  static void ConnectionLost(::Display*, void* self) { static_cast<TX11IdleMonitor*>(self)->lost_ = true; }

  ::Display* display_;
  XScreenSaverInfo* info_ = nullptr;
  uint32_t idleMs_;
  bool idle_ = false;
  bool lost_ = false;
  bool reportedLost_ = false;
  unsigned long lastIdle_ = 0;
  uint32_t lookedAt_ = 0;
};

}  // namespace

std::unique_ptr<IIdleMonitor> OpenX11IdleMonitor(uint32_t idleMs, std::string& why) {
  XSetIOErrorHandler(QuietIOError);
  ::Display* display = XOpenDisplay(nullptr);
  if (!display) {
    why = "no X display (DISPLAY is not set or refuses the connection)";
    return nullptr;
  }
  int event = 0, error = 0;
  if (!XScreenSaverQueryExtension(display, &event, &error)) {
    XCloseDisplay(display);
    why = "the X server has no MIT-SCREEN-SAVER extension";
    return nullptr;
  }
  return std::make_unique<TX11IdleMonitor>(display, idleMs);
}

}  // namespace qv::platform
