// The cost of presenting one slideshow frame on both paths: the window
// surface (the picture drawn into the screen image, then shown) and the
// renderer of the working size, next to a plain copy of the frame.
#include <benchmark/benchmark.h>
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/Bitmap32.h"
#include "platform/sdl/SdlDisplay.h"

namespace {

struct Screen {
  std::unique_ptr<qv::platform::TSdlDisplay> display;
  std::string error;
  Screen() {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    display = qv::platform::TSdlDisplay::Create(error);
  }
};

qv::TBitmap32 Picture(int w, int h) {
  qv::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Row(y)[x] = 0xFF000000u | (x * 255 / w) << 16 | (y * 255 / h) << 8 | 0x40;
  return b;
}

void BM_FrameCopy(benchmark::State& state) {
  qv::TBitmap32 a = Picture(1920, 1080), b(1920, 1080);
  for (auto _ : state) {
    std::memcpy(b.Bits(), a.Bits(), 1920u * 1080u * 4u);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMillisecond);

void BM_PaintFrameWindowPath(benchmark::State& state) {
  Screen screen;
  if (!screen.display) {
    state.SkipWithError(("no screen: " + screen.error).c_str());
    return;
  }
  const int w = screen.display->ScreenWidth(), h = screen.display->ScreenHeight();
  qv::TBitmap32 shadow(w, h), picture = Picture(w, h * 3 / 4);
  for (auto _ : state) {
    picture.DrawTo(shadow, 0, h / 8);
    screen.display->PresentScreen(shadow);
  }
  state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}
BENCHMARK(BM_PaintFrameWindowPath)->Unit(benchmark::kMillisecond);

void BM_PaintFrameAcceleratedPath(benchmark::State& state) {
  Screen screen;
  if (!screen.display || !screen.display->StartAccelerated()) {
    state.SkipWithError("no accelerated surface here");
    return;
  }
  qv::TBitmap32 surface = Picture(1024, 768);
  for (auto _ : state) screen.display->PresentAccelerated(surface);
  state.SetLabel("1024x768 working size");
}
BENCHMARK(BM_PaintFrameAcceleratedPath)->Unit(benchmark::kMillisecond);

}  // namespace
