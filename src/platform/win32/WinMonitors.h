// The monitors of the Windows desktop, for the saver to cover every one.
#pragma once
#include <vector>

#include "platform/Display.h"

namespace qv::platform {

// Every monitor in desktop pixels (the program is aware of each monitor's
// own scaling), the primary one first; empty when they cannot be told.
std::vector<TMonitor> WindowsMonitors();

}  // namespace qv::platform
