#include "platform/win32/WinMonitors.h"

#include <windows.h>

#include <algorithm>

namespace qv::platform {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    TMonitor m;
    m.x = info.rcMonitor.left;
    m.y = info.rcMonitor.top;
    m.width = info.rcMonitor.right - info.rcMonitor.left;
    m.height = info.rcMonitor.bottom - info.rcMonitor.top;
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    if (m.width > 0 && m.height > 0) reinterpret_cast<std::vector<TMonitor>*>(list)->push_back(m);
  }
  return TRUE;
}

}  // namespace

std::vector<TMonitor> WindowsMonitors() {
  std::vector<TMonitor> monitors;
  if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors))) return {};
  std::stable_partition(monitors.begin(), monitors.end(), [](const TMonitor& m) { return m.primary; });
  return monitors;
}

}  // namespace qv::platform
