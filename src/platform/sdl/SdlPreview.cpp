#include "platform/sdl/SdlPreview.h"

#include <SDL.h>

#include "graphics/Bitmap32.h"
#include "platform/System.h"

namespace qv::platform {

namespace {

// How long a preview waits for its window to be shown before giving up.
constexpr uint32_t kVisibleTimeoutMs = 10000;

class TSdlForeignWindow final : public IPreviewWindow {
 public:
  explicit TSdlForeignWindow(SDL_Window* window) : window_(window) {}
  ~TSdlForeignWindow() override {
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  bool WaitVisible() override {
    const uint32_t start = TickCount();
    while ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0) {
      SDL_PumpEvents();
      SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
      if (TickCount() - start > kVisibleTimeoutMs) return false;
      SleepMs(10);
    }
    return true;
  }

  int Width() const override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return w;
  }
  int Height() const override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return h;
  }

  void Present(const TBitmap32& frame) override {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    // The bitmap's bytes are blue, green, red, alpha: SDL's ARGB8888 on a
    // little-endian machine.
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(frame.Bits()), frame.Width(), frame.Height(), 32, frame.Width() * 4,
        SDL_PIXELFORMAT_ARGB8888);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
  }

 private:
  SDL_Window* window_;
};

}  // namespace

std::unique_ptr<IPreviewWindow> OpenForeignWindow(uint64_t id) {
  if (id == 0) return nullptr;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(id)));
  if (!window) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::make_unique<TSdlForeignWindow>(window);
}

}  // namespace qv::platform
