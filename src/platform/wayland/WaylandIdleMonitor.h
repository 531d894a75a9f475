// The Wayland compositor's idle notifications (ext-idle-notify-v1, or KDE's
// older org_kde_kwin_idle), for the idle watch in Wayland sessions.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/IdleMonitor.h"

namespace qv::platform {

// A monitor on the compositor in WAYLAND_DISPLAY. Null, with the reason in
// `why`, without a compositor or when it offers neither protocol.
std::unique_ptr<IIdleMonitor> OpenWaylandIdleMonitor(uint32_t idleMs, std::string& why);

}  // namespace qv::platform
