// Picture pipeline of the slideshow: decode a large JPEG, resample it to the
// size it is shown at inside a 1920x1080 screen. The floor is a plain copy of
// one 1920x1080 frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/uGraphicUtil.h"

namespace {

constexpr int kPictureWidth = 4000, kPictureHeight = 3000;
constexpr int kFitWidth = 1440, kFitHeight = 1080;  // a 4:3 picture inside 1920x1080

// A smooth gradient with fine ripples and some hard edges, so the encoder
// has realistic work.
const std::vector<uint8_t>& Jpeg() {
  static const std::vector<uint8_t> bytes = [] {
    qv::TBitmap32 pic(kPictureWidth, kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y) {
      uint32_t* row = pic.Row(y);
      for (int x = 0; x < kPictureWidth; ++x) {
        const int ripple = static_cast<int>(20 * std::sin(x * 0.07) * std::cos(y * 0.05));
        const int r = std::clamp(x * 200 / kPictureWidth + ripple + 20, 0, 255);
        const int g = std::clamp(y * 200 / kPictureHeight - ripple + 20, 0, 255);
        const int b = ((x / 97 + y / 89) % 2) ? 200 : 60;
        row[x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    }
    return qv::EncodeJPEG(pic, 90);
  }();
  return bytes;
}

const qv::TDecodeHint kHint{kFitWidth, kFitHeight};

void BM_DecodeFull(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  for (auto _ : state) benchmark::DoNotOptimize(qv::DecodeJPEG(jpeg.data(), jpeg.size()));
}

void BM_DecodeHinted(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  for (auto _ : state) benchmark::DoNotOptimize(qv::DecodeJPEG(jpeg.data(), jpeg.size(), kHint));
}

void BM_LanczosFromHinted(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  const qv::TPicture pic = qv::DecodeJPEG(jpeg.data(), jpeg.size(), kHint);  // 2000x1500
  qv::TBitmap32 dst(kFitWidth, kFitHeight);
  for (auto _ : state) {
    qv::ResampleLanczos(pic.bitmap, dst);
    benchmark::DoNotOptimize(dst.Bits());
  }
}

void BM_LanczosFromFull(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  const qv::TPicture pic = qv::DecodeJPEG(jpeg.data(), jpeg.size());
  qv::TBitmap32 dst(kFitWidth, kFitHeight);
  for (auto _ : state) {
    qv::ResampleLanczos(pic.bitmap, dst);
    benchmark::DoNotOptimize(dst.Bits());
  }
}

void BM_Pipeline(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  qv::TBitmap32 dst(kFitWidth, kFitHeight);
  for (auto _ : state) {
    const qv::TPicture pic = qv::DecodeJPEG(jpeg.data(), jpeg.size(), kHint);
    qv::ResampleLanczos(pic.bitmap, dst);
    benchmark::DoNotOptimize(dst.Bits());
  }
}

void BM_CopyFrame(benchmark::State& state) {
  qv::TBitmap32 src(1920, 1080), dst(1920, 1080);
  src.Clear(0xFF102030u);
  for (auto _ : state) {
    std::memcpy(dst.Bits(), src.Bits(), size_t{1920} * 1080 * 4);
    benchmark::DoNotOptimize(dst.Bits());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_DecodeFull)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeHinted)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LanczosFromHinted)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LanczosFromFull)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pipeline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
