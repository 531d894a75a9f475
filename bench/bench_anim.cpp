// Frame time of the animation engine at 1920 x 1080 and 3840 x 2160, beside
// one plain full-frame copy of the same size measured in the same run
// (counters median_ms, x_copy, floor_ms): four water areas over the lower
// half (reflection and perspective on, two of them jittering), then the same
// with 8 moving objects and 1000 snowflakes, each on one thread and with the
// water in bands on two (third argument), then a whole idle pass of an
// animated item at 1920 x 1080 (the objects' moves, its frame, and the
// present into a memory screen).
#include <benchmark/benchmark.h>

#include <cstring>

#include "BenchFloor.h"
#include <memory>

#include "animation/uAnimEngine.h"
#include "animation/uFileLoader.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/MemoryDisplay.h"
#include "platform/doubles/SteppedWorkers.h"
#include "platform/ThreadBands.h"
#include "saver/uAnimatedItem.h"
#include "support/TempDir.h"

namespace {

constexpr int kW = 1920, kH = 1080;

qv::TBitmap32 Landscape(int w, int h) {
  qv::TBitmap32 b(w, h);
  uint32_t v = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      v = v * 1664525u + 1013904223u;
      b.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(y * 255 / h) << 16 | (v >> 24) << 8 | static_cast<uint32_t>(x * 255 / w));
    }
  return b;
}

// Four areas side by side over the lower half, with a ragged top edge.
qv::TBitmap32 FourAreas(int w, int h) {
  qv::TBitmap32 m(w, h);
  for (int x = 0; x < w; ++x)
    for (int y = h / 2 + (x * 13) % 9; y < h; ++y) m.SetPixel(x, y, qv::kAreaColors[x * 4 / w]);
  return m;
}

// A lake: every area moves both ways with perspective, two reflect, two jitter.
void Lake(qv::TProject& p, int w = kW, int h = kH) {
  p.Picture() = Landscape(w, h);
  p.Mask() = FourAreas(w, h);
  for (int k = 0; k < qv::kAreaCount; ++k) {
    qv::TWaveParam& a = p.Area(k);
    a = {4 + k, 6, 10 + 3 * k, k % 2, true, true, true, 360, k < 2 ? 0 : 3, k % 2 == 0};
  }
}

struct TWorld {
  qv::platform::TManualClock clock{1000};
  qv::platform::TSteppedWorkers workers{clock};
  qvtest::TempDir dir;
  std::unique_ptr<qv::platform::TThreadBands> bands;
  explicit TWorld(int threads = 1)
      : bands(threads > 1 ? std::make_unique<qv::platform::TThreadBands>(threads) : nullptr) {}
  qv::TAnimEnvironment env() {
    return {&clock, &workers, [this](const std::string& name) { return dir.file(name); }, bands.get()};
  }
};

// 8 sprites, half still pictures and half GIFs, on four motion models.
std::string ObjectsText(qvtest::TempDir& dir) {
  qv::TBitmap32 boat(120, 60);
  boat.Clear(0xFF804020u);
  boat.SetPixel(0, 59, 0xFF000000u);
  qv::SaveBMP32(boat, dir.file("boat.bmp"));
  std::vector<qv::TBitmap32> frames;
  for (int i = 0; i < 4; ++i) {
    qv::TBitmap32 f(64, 48);
    f.Clear(0xFF000000u | static_cast<uint32_t>(60 * i) << 8);
    frames.push_back(f);
  }
  const std::vector<uint8_t> gif = qv::EncodeGIF(frames, 80);
  qvtest::WriteFile(dir.file("bird.gif"), std::string(gif.begin(), gif.end()));
  std::string text;
  for (int i = 0; i < 8; ++i) {
    text += "[Obj" + std::to_string(i) + "]\nObjType=" + (i % 2 ? "GIF\nFilename=bird.gif\n" : "IMG\nFilename=boat.bmp\n");
    text += "Motion=" + std::to_string(1 + i % 4) + "\nMotionSpeed=40\nPosLeft=" + std::to_string(200 * i + 100) +
            "\nPosTop=" + std::to_string(100 + 90 * i) + "\nDirFlip=1\nOpacity=" + std::to_string(6 + i % 5) + "\n";
  }
  return text;
}

void Objects(qv::TProject& p, qvtest::TempDir& dir) { p.Objects() = qv::ReadObjectDescriptions(ObjectsText(dir)); }

void BM_FrameCopy(benchmark::State& state) {
  const qv::TBitmap32 from = Landscape(kW, kH);
  qv::TBitmap32 to(kW, kH);
  for (auto _ : state) {
    std::memcpy(to.Bits(), from.Bits(), static_cast<size_t>(kW) * kH * 4);
    benchmark::DoNotOptimize(to.Bits());
    benchmark::ClobberMemory();
  }
}

void BM_WaterFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  TWorld world(static_cast<int>(state.range(2)));
  qv::TProject project;
  Lake(project, w, h);
  qv::TAnimEngine engine(world.env());
  engine.Bind(project);
  engine.Start(world.clock.TickCount());
  qvbench::TFrameTimes times(state, w, h);
  for (auto _ : state) {
    world.clock.Advance(33);
    times.Start();
    engine.Frame(world.clock.TickCount());
    times.Stop();
    benchmark::DoNotOptimize(engine.Output().Bits());
  }
}

void BM_WaterObjectsSnowFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  TWorld world(static_cast<int>(state.range(2)));
  qv::TProject project;
  Lake(project, w, h);
  Objects(project, world.dir);
  project.Weather() = {1, 1000, 6, 0, 0, 9};
  qv::TAnimEngine engine(world.env());
  engine.Bind(project);
  engine.SetWeather(false);
  engine.Start(world.clock.TickCount());
  engine.SetWeather(true);
  qvbench::TFrameTimes times(state, w, h);
  for (auto _ : state) {
    // The objects' moves are their workers' time, not the frame's.
    state.PauseTiming();
    world.workers.Advance(33);
    state.ResumeTiming();
    times.Start();
    engine.Frame(world.clock.TickCount());
    times.Stop();
    benchmark::DoNotOptimize(engine.Output().Bits());
  }
}

// One idle pass of the saver window for an animated item at 1920 x 1080:
// its next frame (objects stepped, water, objects, snow), drawn into the
// screen bitmap and presented to a memory screen, which copies it.
void BM_AnimatedIdlePass(benchmark::State& state) {
  TWorld world;
  qv::TProjectFileParts parts;
  parts.picture = qv::EncodeJPEG(Landscape(kW, kH), 90);
  parts.preview = qv::EncodeJPEG(Landscape(160, 90), 80);
  parts.mask = qv::EncodeMask(FourAreas(kW, kH));
  for (int k = 0; k < qv::kAreaCount; ++k)
    parts.areas[static_cast<size_t>(k)] = {4 + k, 6, 10 + 3 * k, k % 2, true, true, true, 360, k < 2 ? 0 : 3, k % 2 == 0};
  parts.weather = {1, 1000, 6, 0, 0, 9};
  parts.objects = ObjectsText(world.dir);
  const std::vector<uint8_t> bytes = qv::EncodeProjectFile(parts);
  qvtest::WriteFile(world.dir.file("lake.qvp"), std::string(bytes.begin(), bytes.end()));

  qv::TProject project;
  qv::TAnimEngine engine(world.env());
  qv::TAnimatedItemContext context;
  context.clock = &world.clock;
  context.stepWorkers = [&world] { world.workers.RunDue(); };
  qv::TAnimatedItem item(project, engine, context);
  qv::TItemFitting fitting;
  fitting.screen = {kW, kH};
  fitting.stretch = false;
  item.Load(world.dir.file("lake.qvp"), fitting);
  qv::platform::TMemoryDisplay display(world.clock, kW, kH, 0);
  qv::TBitmap32 screen(kW, kH);
  for (auto _ : state) {
    world.clock.Advance(33);
    item.Advance();
    item.Frame().DrawTo(screen, 0, 0);
    display.PresentScreen(screen);
    benchmark::DoNotOptimize(display.Screen().Bits());
  }
}

}  // namespace

BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMillisecond);
void Sizes(benchmark::internal::Benchmark* b) {
  for (int threads : {1, 2}) b->Args({1920, 1080, threads})->Args({3840, 2160, threads});
}

BENCHMARK(BM_WaterFrame)->Apply(Sizes)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaterObjectsSnowFrame)->Apply(Sizes)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedIdlePass)->Unit(benchmark::kMillisecond);
