// GNOME's idle monitor on the session bus (org.gnome.Mutter.IdleMonitor),
// for the idle watch in GNOME sessions, X11 or Wayland.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/IdleMonitor.h"

namespace qv::platform {

// Null, with the reason in `why`, without a session bus or when nothing on
// it offers the idle monitor.
std::unique_ptr<IIdleMonitor> OpenMutterIdleMonitor(uint32_t idleMs, std::string& why);

}  // namespace qv::platform
