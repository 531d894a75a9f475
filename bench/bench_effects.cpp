// Frame time of the transition effects: the old picture copied into the
// working bitmap and the effect drawn, as the runner draws every frame,
// against one plain full-frame copy of the same size measured in the same run
// (counters median_ms, x_copy, floor_ms). Every effect at 1920 x 1080 and
// 3840 x 2160, on one thread in place (threads 1) and in bands on both cores
// (threads 2), at 50 % (BM_EffectFrame) and over a whole transition
// (BM_EffectSweep, the pixel effects).
//   --benchmark_filter='BM_EffectFrame/.*/3840/2160/2'   every effect at 4K on both cores
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "BenchFloor.h"
#include "graphics/Bitmap32.h"
#include "platform/ThreadBands.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace {

qv::TBitmap32 Picture(int w, int h, uint32_t salt) { return qvbench::NoisePicture(w, h, salt); }

void BM_FrameCopy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const qv::TBitmap32 old = Picture(w, h, 1);
  qv::TBitmap32 work(w, h);
  qvbench::TFrameTimes times(state, w, h);
  for (auto _ : state) {
    times.Start();
    std::memcpy(work.Bits(), old.Bits(), static_cast<size_t>(w) * h * 4);
    benchmark::ClobberMemory();
    times.Stop();
    benchmark::DoNotOptimize(work.Bits());
  }
}

// The bands of a run on `threads` threads; none for one thread.
std::unique_ptr<qv::platform::TThreadBands> Bands(int threads) {
  return threads > 1 ? std::make_unique<qv::platform::TThreadBands>(threads) : nullptr;
}

void EffectFrames(benchmark::State& state, bool sweep) {
  const int n = static_cast<int>(state.range(0));
  const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
  const auto bands = Bands(static_cast<int>(state.range(3)));
  const qv::TBitmap32 old = Picture(w, h, 1), fresh = Picture(w, h, 2);
  qv::TBitmap32 work(w, h), scratch;
  state.SetLabel(qv::EffectTable()[static_cast<size_t>(n - 1)].Name);
  int percent = sweep ? 0 : 50;
  // Working bitmaps are the runner's from one transition to the next: their
  // first use is not timed.
  qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent, bands.get(), &scratch);
  qvbench::TFrameTimes times(state, w, h);
  for (auto _ : state) {
    times.Start();
    qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent, bands.get(), &scratch);
    times.Stop();
    if (sweep) percent = percent == 100 ? 0 : percent + 1;
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}

void BM_EffectFrame(benchmark::State& state) { EffectFrames(state, false); }

// A whole transition: the frames at 0, 1, ..., 100 % in turn, so the time is
// the mean frame over every stage of the effect, not only its middle.
void BM_EffectSweep(benchmark::State& state) { EffectFrames(state, true); }

void Sizes(benchmark::internal::Benchmark* b) { b->Args({1920, 1080})->Args({3840, 2160}); }

constexpr int kPixelEffects[] = {1, 2, 3, 121, 122, 123, 124, 168, 169};

void EveryEffect(benchmark::internal::Benchmark* b) {
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
    for (int threads : {1, 2})
      for (int n = 1; n <= qv::kEffectCount; ++n) b->Args({n, w, h, threads});
}

void PixelEffectSweeps(benchmark::internal::Benchmark* b) {
  for (int threads : {1, 2})
    for (int n : kPixelEffects) b->Args({n, 1920, 1080, threads});
}

}  // namespace

BENCHMARK(BM_FrameCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectFrame)->Apply(EveryEffect)->MinTime(0.05)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectSweep)->Apply(PixelEffectSweeps)->Iterations(303)->UseRealTime()->Unit(benchmark::kMillisecond);
