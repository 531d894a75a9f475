// Frame time of the effects: the copy of the old picture into the working
// bitmap and the effect at 50 %, as the runner draws every frame, beside one
// plain full-frame copy measured in the same run. The pixel effects at two
// sizes, and every blit and clip-region effect at 1920 x 1080
// (--benchmark_filter=BM_FamilyFrame).
#include <benchmark/benchmark.h>

#include <cstring>

#include "graphics/Bitmap32.h"
#include "transitions/PSEffect.h"
#include "transitions/uBlitEffects.h"
#include "transitions/uClipEffects.h"
#include "transitions/uTransitionRunner.h"

namespace {

qv::TBitmap32 Picture(int w, int h, uint32_t salt) {
  qv::TBitmap32 b(w, h);
  uint32_t v = salt * 2654435761u + 1;
  for (int i = 0; i < w * h; ++i) {
    v = v * 1664525u + 1013904223u;
    b.Bits()[i] = 0xFF000000u | (v >> 8);
  }
  return b;
}

void BM_FrameCopy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const qv::TBitmap32 old = Picture(w, h, 1);
  qv::TBitmap32 work(w, h);
  for (auto _ : state) {
    std::memcpy(work.Bits(), old.Bits(), static_cast<size_t>(w) * h * 4);
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}

void BM_EffectFrame(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
  const qv::TBitmap32 old = Picture(w, h, 1), fresh = Picture(w, h, 2);
  qv::TBitmap32 work(w, h);
  state.SetLabel(qv::EffectTable()[static_cast<size_t>(n - 1)].Name);
  for (auto _ : state) {
    qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, 50);
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}

// A whole transition: the frames at 0, 1, ..., 100 % in turn, so the time is
// the mean frame over every stage of the effect, not only its middle.
void BM_EffectSweep(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
  const qv::TBitmap32 old = Picture(w, h, 1), fresh = Picture(w, h, 2);
  qv::TBitmap32 work(w, h);
  state.SetLabel(qv::EffectTable()[static_cast<size_t>(n - 1)].Name);
  int percent = 0;
  for (auto _ : state) {
    qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent);
    percent = percent == 100 ? 0 : percent + 1;
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Args({3840, 2160});
}

constexpr int kPixelEffects[] = {1, 2, 3, 121, 122, 123, 124, 168, 169};

void EffectsAndSizes(benchmark::internal::Benchmark* b) {
  for (int n : kPixelEffects)
    for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) b->Args({n, w, h});
}

void EffectsFullHd(benchmark::internal::Benchmark* b) {
  for (int n : kPixelEffects) b->Args({n, 1920, 1080});
}

void BM_FamilyFrame(benchmark::State& state) { BM_EffectFrame(state); }

void BlitAndClipFullHd(benchmark::internal::Benchmark* b) {
  for (int n = 1; n <= qv::kEffectCount; ++n)
    if (qv::BlitEffect(n) || qv::ClipRegionEffect(n)) b->Args({n, 1920, 1080});
}

}  // namespace

BENCHMARK(BM_FamilyFrame)->Apply(BlitAndClipFullHd)->MinTime(0.05)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectFrame)->Apply(EffectsAndSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectSweep)->Apply(EffectsFullHd)->Iterations(303)->Unit(benchmark::kMillisecond);
