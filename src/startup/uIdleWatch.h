// The idle watch: when the session has been idle for the set time it starts
// the saver as a process of its own, lets it run until it ends (the saver
// ends itself on input) and watches again; never two savers at once, and
// none while something inhibits idle. Plain policy against the platform's
// idle monitor, inhibitions and process starter, so doubles can drive it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/IdleMonitor.h"
#include "platform/Process.h"

namespace qv {

struct TIdleWatchServices {
  platform::IIdleMonitor* monitor = nullptr;
  platform::IIdleInhibitions* inhibitions = nullptr;  // none: nothing is asked
  platform::IProcessStarter* starter = nullptr;
  std::vector<std::string> saverCommand;
  // The idle time the monitor was made for: counted again from an inhibition's
  // end or reported activity.
  uint32_t idleMs = 0;
  std::function<uint32_t()> tickCount;
  // Waits until a source has news, an end signal came, a child ended, or
  // `timeoutMs` passed (-1: no limit).
  std::function<void(int timeoutMs)> wait;
  std::function<bool()> endRequested;
  std::function<void(const std::string&)> report;
};

enum class TWatchEnd { Signal, SessionEnded };

// Runs until an end signal or the end of the session; a saver it started is
// stopped before it returns.
TWatchEnd RunIdleWatch(const TIdleWatchServices& services);

// How long a stopped saver is given to tidy up before it is ended for good.
inline constexpr uint32_t kSaverStopGraceMs = 5000;

}  // namespace qv
