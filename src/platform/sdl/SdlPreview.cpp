#include "platform/sdl/SdlPreview.h"

#include <SDL.h>

#include "graphics/Bitmap32.h"
#include "platform/sdl/SdlBlit.h"
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
    PresentOnWindowSurface(window_, frame);
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
