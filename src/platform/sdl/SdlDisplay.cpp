#include "platform/sdl/SdlDisplay.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/Bitmap32.h"
#include "graphics/TextFormats/TextEncoding.h"
#include "platform/System.h"
#include "platform/sdl/SdlBlit.h"
#if defined(_WIN32)
#include "platform/win32/WinMonitors.h"
#else
#include "platform/x11/X11Window.h"
#endif

namespace qv::platform {

namespace {

// Keys that produce a character but no text event: Enter, Escape, Backspace,
// Tab, and Ctrl with a letter (a control character).
char32_t ControlCharacter(const SDL_KeyboardEvent& key) {
  switch (key.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return U'\r';
    case SDLK_ESCAPE: return 27;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return U'\t';
    default: break;
  }
  if ((key.keysym.mod & KMOD_CTRL) && key.keysym.sym >= SDLK_a && key.keysym.sym <= SDLK_z)
    return static_cast<char32_t>(key.keysym.sym - SDLK_a + 1);
  return 0;
}

// Drivers that draw nowhere; the engine uses one only when asked to by
// name (tests and headless runs set SDL_VIDEODRIVER).
bool DrawsNowhere(const char* driver) {
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// The video driver SDL runs on is this one.
bool Driver(const char* name) {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, name) == 0;
}

bool AskedFor(const char* driver) {
  const char* wanted = std::getenv("SDL_VIDEODRIVER");
  return wanted && driver && std::strstr(wanted, driver) != nullptr;
}

}  // namespace

bool StartVideo(std::string& error) {
#if !defined(_WIN32)
  // Without a display to talk to, the video library's own complaint (about
  // the Wayland runtime folder) would come before ours: ours alone says why.
  const auto unset = [](const char* name) {
    const char* value = std::getenv(name);
    return !value || !*value;
  };
  if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("SDL_VIDEODRIVER")) {
    error = "no display could be opened (DISPLAY is not set)";
    return false;
  }
#endif
  // A screensaver never keeps the desktop's own screensaver or the display's
  // power saving from starting.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    error = std::string("no display could be opened: ") + SDL_GetError();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (DrawsNowhere(driver) && !AskedFor(driver)) {
    error = "no display could be opened (DISPLAY is not set or refuses the connection)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
#if !defined(_WIN32)
  KeepLostConnectionHandler();
#endif
  // On X11 the window surface is a plain copy into the window (shared
  // memory), not a texture of the GL driver: the GL driver can crash inside
  // a call when the display goes away, where the plain copy reports a lost
  // connection that ends the saver cleanly (and costs a fifth of the CPU).
  // Other drivers (Wayland) have no plain copy and keep the texture.
  if (driver && std::strcmp(driver, "x11") == 0)
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  return true;
}

std::unique_ptr<TSdlDisplay> TSdlDisplay::Create(std::string& error) {
  // While the saver runs, keys and the pointer come to it alone, whatever
  // other window opens meanwhile.
  SDL_SetHint(SDL_HINT_GRAB_KEYBOARD, "1");
  if (!StartVideo(error)) return nullptr;
  constexpr Uint32 kFlags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP;
  // With several monitors the slideshow plays on the primary one and the
  // others are covered black, each by a window of its own.
  const std::vector<TMonitor> monitors = Monitors();
  // Wayland places no window at a position: each is made full-screen on its
  // output instead.
  const bool onOutputs = Driver("wayland");
  const auto create = [&](int index, const TMonitor& m) {
    return onOutputs ? SDL_CreateWindow(" ", SDL_WINDOWPOS_UNDEFINED_DISPLAY(index), SDL_WINDOWPOS_UNDEFINED_DISPLAY(index),
                                        m.width, m.height, kFlags | SDL_WINDOW_FULLSCREEN_DESKTOP)
                     : SDL_CreateWindow(" ", m.x, m.y, m.width, m.height, kFlags);
  };
  SDL_Window* window = nullptr;
  int width = 0, height = 0;
  if (monitors.size() >= 2) {
    const TMonitor& primary = monitors[0];
    window = create(0, primary);
    width = primary.width;
    height = primary.height;
  } else {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
      error = SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
      return nullptr;
    }
    window = SDL_CreateWindow(" ", 0, 0, mode.w, mode.h, kFlags | SDL_WINDOW_FULLSCREEN_DESKTOP);
    width = mode.w;
    height = mode.h;
  }
  if (!window) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return nullptr;
  }
  auto display = std::unique_ptr<TSdlDisplay>(new TSdlDisplay(window, width, height));
  if (!monitors.empty()) display->screens_[0].area = monitors[0];
  for (size_t i = 1; i < monitors.size(); ++i) {
    if (SDL_Window* other = create(static_cast<int>(i), monitors[i])) {
      TScreenWindow screen;
      screen.window = other;
      screen.area = monitors[i];
      display->screens_.push_back(screen);
      FillBlack(other);
    }
  }
  SDL_RaiseWindow(window);
  SDL_SetWindowGrab(window, SDL_TRUE);
  SDL_StartTextInput();
  return display;
}

TSdlDisplay::TSdlDisplay(SDL_Window* window, int width, int height)
    : window_(window),
      screens_{TScreenWindow{window, TMonitor{0, 0, width, height, true}}},
      width_(width),
      height_(height) {}

std::vector<TMonitor> TSdlDisplay::Monitors() {
#if defined(_WIN32)
  if (Driver("windows")) return WindowsMonitors();
#else
  if (Driver("x11")) return X11Monitors();
#endif
  // Wayland's outputs as SDL lists them, the first as the primary one (the
  // compositor names none).
  std::vector<TMonitor> monitors;
  const int count = Driver("wayland") ? SDL_GetNumVideoDisplays() : 0;
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) return {};
    monitors.push_back({0, 0, mode.w, mode.h, i == 0});
  }
  return monitors;
}

void TSdlDisplay::FillBlack(SDL_Window* window) {
  if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(window);
  }
}

TSdlDisplay::~TSdlDisplay() {
  SDL_SetWindowGrab(window_, SDL_FALSE);
  SDL_ShowCursor(SDL_ENABLE);
  SDL_StopTextInput();
  for (size_t i = screens_.size(); i-- > 0;) {
    TScreenWindow& screen = screens_[i];
    if (screen.texture) SDL_DestroyTexture(screen.texture);
    if (screen.renderer) SDL_DestroyRenderer(screen.renderer);
    SDL_DestroyWindow(screen.window);
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

TMonitor TSdlDisplay::Screen(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= screens_.size()) return {};
  TMonitor m = screens_[static_cast<size_t>(index)].area;
  if (index == 0) {
    m.width = width_;
    m.height = height_;
  }
  return m;
}

void TSdlDisplay::PresentScreenOn(int index, const TBitmap32& bitmap) {
  if (index == 0) return PresentScreen(bitmap);
  if (index < 0 || static_cast<size_t>(index) >= screens_.size()) return;
  TScreenWindow& screen = screens_[static_cast<size_t>(index)];
  if (screen.renderer) return;
  screen.presented = true;
  PresentOnWindowSurface(screen.window, bitmap);
}

void TSdlDisplay::PresentAcceleratedOn(int index, const TBitmap32& surface) {
  if (index == 0) return PresentAccelerated(surface);
  if (!Renderer() || index < 0 || static_cast<size_t>(index) >= screens_.size()) return;
  TScreenWindow& screen = screens_[static_cast<size_t>(index)];
  // Only the primary window's renderer waits for the refresh: one wait per frame.
  if (!screen.renderer) screen.renderer = SDL_CreateRenderer(screen.window, -1, SDL_RENDERER_ACCELERATED);
  if (!screen.renderer) return;
  screen.presented = true;
  PresentThroughRenderer(screen, surface);
}

uint32_t TSdlDisplay::FramePeriodMs() const {
  SDL_DisplayMode mode{};
  const int index = SDL_GetWindowDisplayIndex(window_);
  int rate = index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0 ? mode.refresh_rate : 0;
  if (rate <= 0) rate = 60;
  // A present that waits for the refresh paces the loop at the display's
  // own rate; otherwise the loop waits, at most 60 frames a second.
  if (PresentWaitsForRefresh()) return static_cast<uint32_t>(1000 / rate);
  return std::max<uint32_t>(17, static_cast<uint32_t>((1000 + rate - 1) / rate));
}

bool TSdlDisplay::PresentWaitsForRefresh() const {
  SDL_RendererInfo info{};
  return Renderer() && SDL_GetRendererInfo(Renderer(), &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0 &&
         std::string(info.name) != "software";
}

int TSdlDisplay::ScreenBitDepth() const {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 16;
  return SDL_BITSPERPIXEL(mode.format) == 24 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
}

void TSdlDisplay::PresentScreen(const TBitmap32& screen) {
  if (Renderer()) return;  // the window has its renderer: only the accelerated path draws
  PresentOnWindowSurface(window_, screen);
}

bool TSdlDisplay::StartAccelerated() {
  if (Renderer()) return true;
  screens_[0].renderer = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!Renderer()) return false;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_SetRenderDrawColor(Renderer(), 0, 0, 0, 255);
  SDL_RenderClear(Renderer());
  SDL_RenderPresent(Renderer());
  return true;
}

void TSdlDisplay::PresentAccelerated(const TBitmap32& surface) {
  if (!Renderer()) return;
  PresentThroughRenderer(screens_[0], surface);
}

void TSdlDisplay::PresentThroughRenderer(TScreenWindow& screen, const TBitmap32& surface) {
  SDL_Renderer* renderer = screen.renderer;
  if (surface.Empty()) return;
  SDL_Texture*& texture = screen.texture;
  if (!texture || screen.textureWidth != surface.Width() || screen.textureHeight != surface.Height()) {
    if (texture) SDL_DestroyTexture(texture);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, surface.Width(),
                                surface.Height());
    if (!texture) return;
    screen.textureWidth = surface.Width();
    screen.textureHeight = surface.Height();
  }
  // The surface is stretched to the screen with its proportions, centred.
  // The window's own coordinates stay screen pixels, so the pointer keeps
  // its meaning (a logical renderer size would rescale the mouse events).
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer, &w, &h);
  const double scale = std::min(static_cast<double>(w) / surface.Width(), static_cast<double>(h) / surface.Height());
  const int dw = static_cast<int>(surface.Width() * scale + 0.5), dh = static_cast<int>(surface.Height() * scale + 0.5);
  const SDL_Rect target{(w - dw) / 2, (h - dh) / 2, dw, dh};
  SDL_UpdateTexture(texture, nullptr, surface.Bits(), surface.Width() * 4);
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, &target);
  SDL_RenderPresent(renderer);
}

void TSdlDisplay::ShowCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void TSdlDisplay::AllowOtherWindows(bool allow) {
  SDL_SetWindowAlwaysOnTop(window_, allow ? SDL_FALSE : SDL_TRUE);
  if (!allow) {
    // The keyboard comes back to the saver, focus and all.
    SDL_RaiseWindow(window_);
    SDL_SetWindowInputFocus(window_);
  }
  SDL_SetWindowGrab(window_, allow ? SDL_FALSE : SDL_TRUE);
  SDL_PumpEvents();
}

void TSdlDisplay::Hide() {
  SDL_SetWindowGrab(window_, SDL_FALSE);
  for (TScreenWindow& screen : screens_) SDL_HideWindow(screen.window);
  SDL_PumpEvents();
}

void TSdlDisplay::AddEventHandler(std::function<bool(const SDL_Event&, IWindowEvents&)> handler) {
  handlers_.push_back(std::move(handler));
}

void TSdlDisplay::ProcessMessages(IWindowEvents& events) {
  if (EndSignalReceived()) events.CloseRequested();
  SDL_Event e;
  while (SDL_PollEvent(&e)) Dispatch(e, events);
}

void TSdlDisplay::WaitMessage(uint32_t ms) { SDL_WaitEventTimeout(nullptr, static_cast<int>(ms)); }

void TSdlDisplay::Dispatch(const SDL_Event& e, IWindowEvents& events) {
  for (auto& handler : handlers_)
    if (handler(e, events)) return;
  switch (e.type) {
    case SDL_MOUSEMOTION: events.FormMouseMove(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN: events.FormMouseDown(); break;
    case SDL_TEXTINPUT: events.FormKeyPress(FirstCodePoint(e.text.text)); break;
    case SDL_KEYDOWN: {
      events.FormKeyDown(e.key.keysym.sym == SDLK_F1 ? TKey::F1 : TKey::Other);
      if (char32_t c = ControlCharacter(e.key)) events.FormKeyPress(c);
      break;
    }
    case SDL_QUIT: events.CloseRequested(); break;
    case SDL_WINDOWEVENT:
      if (e.window.windowID != SDL_GetWindowID(window_)) {
        // A black window over another monitor draws itself; one the saver
        // draws on is drawn again by the saver.
        if (e.window.event != SDL_WINDOWEVENT_EXPOSED) break;
        for (TScreenWindow& screen : screens_)
          if (SDL_GetWindowID(screen.window) == e.window.windowID) {
            if (screen.presented) events.Exposed();
            else if (!screen.renderer) FillBlack(screen.window);
          }
        break;
      }
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) events.CloseRequested();
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        events.Exposed();
      break;
    default: break;
  }
}

}  // namespace qv::platform
