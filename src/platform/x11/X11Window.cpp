#include "platform/x11/X11Window.h"

#include <X11/Xlib.h>

namespace qv::platform {

namespace {

// Set by the error handler; read right after the call that may fail.
volatile int lastError = 0;

int NoteError(::Display*, XErrorEvent* event) {
  lastError = event->error_code;
  return 0;
}

::Display* Dpy(void* display) { return static_cast<::Display*>(display); }

}  // namespace

void CatchX11Errors() { XSetErrorHandler(NoteError); }

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
