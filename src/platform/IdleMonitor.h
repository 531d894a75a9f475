// Where the idle watch learns that the session has been idle for a set time
// and when it is active again (the X server, the Wayland compositor, the
// desktop's idle monitor), and what asks the desktop not to idle. Each is
// waited on with poll() through its descriptor, then asked what happened.
#pragma once
#include <string>
#include <vector>

namespace qv::platform {

enum class TIdleChange {
  Idle,    // idle for the time the monitor was made for
  Active,  // input again after Idle
  Lost,    // the session is gone (the display closed, the compositor or the desktop ended)
};

class IIdleMonitor {
 public:
  virtual ~IIdleMonitor() = default;
  // What the idle time comes from, for the one line on stderr.
  virtual std::string Name() const = 0;
  // Readable when there is news; -1 when the monitor only looks again after
  // NextCheckMs.
  virtual int Descriptor() const = 0;
  // Takes what arrived, without waiting: the changes in order.
  virtual std::vector<TIdleChange> Dispatch() = 0;
  // How long until the monitor wants to look again without news; -1: only
  // on news.
  virtual int NextCheckMs() = 0;
};

// The requests of other programs (a video player, a presentation) that the
// desktop should not idle.
class IIdleInhibitions {
 public:
  virtual ~IIdleInhibitions() = default;
  // How they are learnt, for the one line on stderr.
  virtual std::string Name() const = 0;
  virtual int Descriptor() const = 0;
  // Takes what arrived, without waiting. True when a program reported user
  // activity since the last call, or an inhibition ended.
  virtual bool Dispatch() = 0;
  // Asked before a saver starts: true while something inhibits idle (or the
  // desktop's own screensaver already shows), with who in `who`.
  virtual bool Inhibited(std::string& who) = 0;
  // Whether the watch's saver shows now, for those who ask.
  virtual void SaverShown(bool shown) = 0;
};

}  // namespace qv::platform
