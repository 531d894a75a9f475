#include "platform/sdl/SdlPreview.h"

#include <SDL.h>

#include <string>

#include "graphics/Bitmap32.h"
#include "platform/System.h"
#include "platform/sdl/SdlBlit.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/x11/X11Window.h"

namespace qv::platform {

namespace {

// How long a preview waits for its window to be shown before giving up.
constexpr uint32_t kVisibleTimeoutMs = 10000;

// The window is watched on an X connection of our own until it shows; SDL
// adopts it only then, so a window that never shows or has gone costs
// nothing but the wait.
class TSdlForeignWindow final : public IPreviewWindow {
 public:
  explicit TSdlForeignWindow(uint64_t id) : id_(id) {}
  ~TSdlForeignWindow() override {
    if (window_) SDL_DestroyWindow(window_);
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }

  bool Exists() {
    return probe_.Connected() && probe_.Query(id_).state != TWindowState::Gone;
  }

  bool WaitVisible() override {
    const uint32_t start = TickCount();
    for (;;) {
      const TWindowInfo info = probe_.Query(id_);
      if (info.state == TWindowState::Gone || EndSignalReceived()) return false;
      if (info.state == TWindowState::Mapped) break;
      if (TickCount() - start > kVisibleTimeoutMs) return false;
      SleepMs(10);
    }
    std::string error;
    video_ = StartVideo(error);
    if (!video_) return false;
    window_ = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(id_)));
    return window_ != nullptr && probe_.Query(id_).state == TWindowState::Mapped;
  }

  int Width() const override { return Size().x; }
  int Height() const override { return Size().y; }

  void Present(const TBitmap32& frame) override {
    if (window_) PresentOnWindowSurface(window_, frame);
  }

 private:
  SDL_Point Size() const {
    SDL_Point size{0, 0};
    if (window_) SDL_GetWindowSize(window_, &size.x, &size.y);
    return size;
  }

  uint64_t id_;
  TX11Probe probe_;
  bool video_ = false;
  SDL_Window* window_ = nullptr;
};

}  // namespace

std::unique_ptr<IPreviewWindow> OpenForeignWindow(uint64_t id) {
  if (id == 0) return nullptr;
  auto window = std::make_unique<TSdlForeignWindow>(id);
  if (!window->Exists()) return nullptr;
  return window;
}

}  // namespace qv::platform
