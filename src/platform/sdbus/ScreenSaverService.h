// org.freedesktop.ScreenSaver for the idle watch in X11 sessions, where
// video players and presentations ask it not to idle. When nothing else on
// the session bus offers it, the watch serves it (Inhibit, UnInhibit,
// SimulateUserActivity, GetActive); when the desktop does, the desktop's
// service is asked whether its own screensaver is active.
#pragma once
#include <memory>
#include <string>

#include "platform/IdleMonitor.h"

namespace qv::platform {

// Null, with the reason in `why`, without a session bus.
std::unique_ptr<IIdleInhibitions> OpenScreenSaverInhibitions(std::string& why);

}  // namespace qv::platform
