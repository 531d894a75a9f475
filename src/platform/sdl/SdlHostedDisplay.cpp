#include "platform/sdl/SdlHostedDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>

#include "graphics/Bitmap32.h"
#include "platform/System.h"
#include "platform/x11/X11Window.h"

namespace qv::platform {

struct TSdlHostedDisplay::TX {
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  ~TX() {
    if (!display) return;
    if (gc) XFreeGC(display, gc);
    XCloseDisplay(display);
  }
};

std::unique_ptr<TSdlHostedDisplay> TSdlHostedDisplay::Create(uint64_t window, std::string& error) {
  auto x = std::make_unique<TX>();
  x->display = XOpenDisplay(nullptr);
  if (!x->display) {
    error = "no display could be opened (DISPLAY is not set or refuses the connection)";
    return nullptr;
  }
  x->window = window ? static_cast<Window>(window) : DefaultRootWindow(x->display);
  TX11Probe probe;
  const TWindowInfo info = probe.Query(x->window);
  if (info.state == TWindowState::Gone) {
    error = "the window " + std::to_string(window) + " to draw into does not exist";
    return nullptr;
  }
  XWindowAttributes attrs{};
  XGetWindowAttributes(x->display, x->window, &attrs);
  // Pixels go to the window as they are held: 32 bits, bytes blue, green, red.
  if ((attrs.depth != 24 && attrs.depth != 32) || attrs.visual->c_class != TrueColor ||
      attrs.visual->red_mask != 0xFF0000 || attrs.visual->green_mask != 0xFF00 || attrs.visual->blue_mask != 0xFF) {
    error = "the window's pixels are not 24-bit true colour";
    return nullptr;
  }
  x->visual = attrs.visual;
  x->depth = attrs.depth;
  x->gc = XCreateGC(x->display, x->window, 0, nullptr);
  // Only what tells us to draw again or that the window went; input stays
  // with the daemon.
  XSelectInput(x->display, x->window, StructureNotifyMask | ExposureMask);
  XSync(x->display, False);
  auto display = std::unique_ptr<TSdlHostedDisplay>(new TSdlHostedDisplay(std::move(x)));
  display->width_ = std::max(1, attrs.width);
  display->height_ = std::max(1, attrs.height);
  return display;
}

TSdlHostedDisplay::TSdlHostedDisplay(std::unique_ptr<TX> x) : x_(std::move(x)) {}

TSdlHostedDisplay::~TSdlHostedDisplay() = default;

void TSdlHostedDisplay::PresentScreen(const TBitmap32& screen) {
  if (gone_ || screen.Empty()) return;
  XImage* image = XCreateImage(x_->display, x_->visual, static_cast<unsigned>(x_->depth), ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<uint32_t*>(screen.Bits())),
                               static_cast<unsigned>(screen.Width()), static_cast<unsigned>(screen.Height()), 32,
                               screen.Width() * 4);
  if (!image) return;
  XPutImage(x_->display, x_->window, x_->gc, image, 0, 0, 0, 0, static_cast<unsigned>(std::min(width_, screen.Width())),
            static_cast<unsigned>(std::min(height_, screen.Height())));
  image->data = nullptr;  // the bitmap keeps its pixels
  XDestroyImage(image);
  XFlush(x_->display);
}

void TSdlHostedDisplay::AddEventHandler(std::function<bool(const SDL_Event&)> handler) {
  handlers_.push_back(std::move(handler));
}

void TSdlHostedDisplay::ProcessMessages(IWindowEvents& events) {
  if (EndSignalReceived()) events.CloseRequested();
  if (SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event e;
    while (SDL_PollEvent(&e))
      for (auto& handler : handlers_)
        if (handler(e)) break;
  }
  while (!gone_ && XPending(x_->display)) {
    XEvent e;
    XNextEvent(x_->display, &e);
    if (e.xany.window != x_->window) continue;
    switch (e.type) {
      case ConfigureNotify:
        if (e.xconfigure.width != width_ || e.xconfigure.height != height_) {
          width_ = std::max(1, e.xconfigure.width);
          height_ = std::max(1, e.xconfigure.height);
          events.Resized();
        }
        break;
      case Expose:
        if (e.xexpose.count == 0) events.Exposed();
        break;
      case DestroyNotify:
        // Nothing is left to draw into: the saver ends.
        gone_ = true;
        events.CloseRequested();
        break;
      default: break;
    }
  }
}

void TSdlHostedDisplay::WaitMessage(uint32_t ms) {
  pollfd fd{ConnectionNumber(x_->display), POLLIN, 0};
  ::poll(&fd, 1, static_cast<int>(std::min<uint32_t>(ms, 50)));
}

}  // namespace qv::platform
