#include "platform/x11/X11Window.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <string>

#include "platform/LastResort.h"

namespace qv::platform {

namespace {

// Set by the error handler; read right after the call that may fail.
volatile int lastError = 0;

int NoteError(::Display*, XErrorEvent* event) {
  lastError = event->error_code;
  return 0;
}

::Display* Dpy(void* display) { return static_cast<::Display*>(display); }

const char* programName = "qvsaver";

// Xlib ends the process when this returns, so it does not.
int LostConnection(::Display*) {
  EndAtOnce(std::string(programName) + ": the connection to the display was lost", 1);
}

}  // namespace

void CatchX11Errors(const char* program) {
  programName = program;
  XSetErrorHandler(NoteError);
  XSetIOErrorHandler(LostConnection);
}

void KeepLostConnectionHandler() { XSetIOErrorHandler(LostConnection); }

std::vector<TMonitor> X11Monitors() {
  std::vector<TMonitor> monitors;
  ::Display* display = XOpenDisplay(nullptr);
  if (!display) return monitors;
  int event = 0, error = 0, major = 0, minor = 0;
  if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    XRRMonitorInfo* info = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; info && i < count; ++i)
      monitors.push_back({info[i].x, info[i].y, info[i].width, info[i].height, info[i].primary != 0});
    if (info) XRRFreeMonitors(info);
  }
  XCloseDisplay(display);
  std::stable_partition(monitors.begin(), monitors.end(), [](const TMonitor& m) { return m.primary; });
  return monitors;
}

TX11Probe::TX11Probe() : display_(XOpenDisplay(nullptr)) {}

TX11Probe::~TX11Probe() {
  if (display_) XCloseDisplay(Dpy(display_));
}

TWindowInfo TX11Probe::Query(uint64_t window) {
  TWindowInfo info;
  if (!display_ || window == 0) return info;
  XSetErrorHandler(NoteError);
  lastError = 0;
  XWindowAttributes attrs{};
  const int ok = XGetWindowAttributes(Dpy(display_), static_cast<Window>(window), &attrs);
  XSync(Dpy(display_), False);
  if (!ok || lastError != 0) return info;
  info.state = attrs.map_state == IsViewable ? TWindowState::Mapped : TWindowState::Unmapped;
  info.width = attrs.width;
  info.height = attrs.height;
  return info;
}

}  // namespace qv::platform
