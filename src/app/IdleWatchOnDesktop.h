// The idle watch on this desktop: picks where the idle time comes from
// (GNOME's idle monitor, the Wayland compositor, the X server), serves or
// asks org.freedesktop.ScreenSaver in X11 sessions, and runs the watch with
// real processes until a signal or the end of the session. Linux only.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv::app {

// Returns the exit code: 0 after an end signal or the end of the session, 1
// when no idle source is there (each one's reason is reported).
int RunIdleWatchOnDesktop(uint32_t idleMs, const std::vector<std::string>& saverCommand,
                          const std::function<void(const std::string&)>& report);

}  // namespace qv::app
