// The X server's idle time (the MIT-SCREEN-SAVER extension), for the idle
// watch in X11 sessions.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/IdleMonitor.h"

namespace qv::platform {

// A monitor on the display in DISPLAY that reports Idle once no input came
// for `idleMs`. Null, with the reason in `why`, without a display or the
// extension.
std::unique_ptr<IIdleMonitor> OpenX11IdleMonitor(uint32_t idleMs, std::string& why);

}  // namespace qv::platform
