// Frame time of every one of the 169 effects at 1920 x 1080: the copy of the
// old picture into the working bitmap and the effect at 50 %, as the runner
// draws every frame, beside one plain full-frame copy measured in the same run.
// Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true;
// --benchmark_filter=Blit or =Clip picks a family.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "graphics/Bitmap32.h"
#include "transitions/PSEffect.h"
#include "transitions/uBlitEffects.h"
#include "transitions/uClipEffects.h"
#include "transitions/uTransitionRunner.h"

namespace {

constexpr int kW = 1920, kH = 1080;

qv::TBitmap32 Picture(uint32_t salt) {
  qv::TBitmap32 b(kW, kH);
  uint32_t v = salt * 2654435761u + 1;
  for (int i = 0; i < kW * kH; ++i) {
    v = v * 1664525u + 1013904223u;
    b.Bits()[i] = 0xFF000000u | (v >> 8);
  }
  return b;
}

void BM_FrameCopy(benchmark::State& state) {
  const qv::TBitmap32 old = Picture(1);
  qv::TBitmap32 work(kW, kH);
  for (auto _ : state) {
    std::memcpy(work.Bits(), old.Bits(), static_cast<size_t>(kW) * kH * 4);
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}

void EffectFrame(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const qv::TBitmap32 old = Picture(1), fresh = Picture(2);
  qv::TBitmap32 work(kW, kH);
  state.SetLabel(qv::EffectTable()[static_cast<size_t>(n - 1)].Name);
  for (auto _ : state) {
    qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, 50);
    benchmark::DoNotOptimize(work.Bits());
    benchmark::ClobberMemory();
  }
}
void BM_PixelEffect(benchmark::State& state) { EffectFrame(state); }
void BM_BlitEffect(benchmark::State& state) { EffectFrame(state); }
void BM_ClipEffect(benchmark::State& state) { EffectFrame(state); }

void PixelNumbers(benchmark::internal::Benchmark* b) {
  for (int n = 1; n <= qv::kEffectCount; ++n)
    if (!qv::BlitEffect(n) && !qv::ClipRegionEffect(n)) b->Arg(n);
}
void BlitNumbers(benchmark::internal::Benchmark* b) {
  for (int n = 1; n <= qv::kEffectCount; ++n)
    if (qv::BlitEffect(n)) b->Arg(n);
}
void ClipNumbers(benchmark::internal::Benchmark* b) {
  for (int n = 1; n <= qv::kEffectCount; ++n)
    if (qv::ClipRegionEffect(n)) b->Arg(n);
}

}  // namespace

BENCHMARK(BM_FrameCopy)->MinTime(0.05)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixelEffect)->Apply(PixelNumbers)->MinTime(0.05)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlitEffect)->Apply(BlitNumbers)->MinTime(0.05)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipEffect)->Apply(ClipNumbers)->MinTime(0.05)->Unit(benchmark::kMillisecond);
