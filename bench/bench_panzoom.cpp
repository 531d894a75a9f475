// One frame of a panned and zoomed still picture: the bilinear resampling of
// its copy (about one copy pixel per screen pixel at the deepest zoom) into
// the screen, at 1920 x 1080 and 3840 x 2160, on one thread and in bands on
// both cores, against one plain full-frame copy of the same size measured in
// the same run (counters median_ms, x_copy, floor_ms).
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchFloor.h"
#include "common/Random.h"
#include "graphics/Bitmap32.h"
#include "platform/ThreadBands.h"
#include "saver/uPanZoom.h"
#include "graphics/uBilinear.h"

namespace {

void BM_PanZoomFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int threads = static_cast<int>(state.range(2));
  // A picture of the screen's shape, kept 75 % in view: its copy is a third
  // larger than the screen each way.
  const qv::TSize picture{w * 2, h * 2};
  const qv::TPanZoomFrame frame = qv::PanZoomFrame(picture, {w, h}, 75);
  const qv::TBitmap32 copy = qvbench::NoisePicture(w * 4 / 3, h * 4 / 3, 77);
  qv::RandSeed = 1;
  const qv::TPanZoomPath path = qv::ChoosePanZoomPath(frame, 20000);
  qv::TBitmap32 screen(w, h);
  qv::TOneBand one;
  qv::platform::TThreadBands both(2);
  qv::IBands& bands = threads > 1 ? static_cast<qv::IBands&>(both) : one;
  const double k = static_cast<double>(copy.Width()) / picture.width;
  uint64_t t = 0;
  qvbench::TFrameTimes times(state, w, h);
  for (auto _ : state) {
    const qv::TViewRect v = qv::PanZoomView(frame, path, t += 17);
    times.Start();
    qv::DrawAreaBilinear(copy, {v.x * k, v.y * k, v.w * k, v.h * k}, screen, {0, 0, w, h}, bands);
    times.Stop();
    benchmark::DoNotOptimize(screen.Bits());
  }
}

}  // namespace

BENCHMARK(BM_PanZoomFrame)
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 2})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
