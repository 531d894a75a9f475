// Picture pipeline of the slideshow: decode a large JPEG, resample it to the
// size it is shown at inside a 1920x1080 screen. The floor is a plain copy of
// one 1920x1080 frame. The photo pipelines take the same 12 MP picture as a
// PNG, a lossy WebP, and a JPEG stored on its side (EXIF orientation 6) with
// an Adobe RGB profile, each decoded, fitted and colour-converted as the
// slideshow does; their plain_jpeg counter is their time over the plain JPEG
// pipeline's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/ImageFormats/WebPWriter.h"
#include "graphics/uGraphicUtil.h"

namespace {

constexpr int kPictureWidth = 4000, kPictureHeight = 3000;
constexpr int kFitWidth = 1440, kFitHeight = 1080;  // a 4:3 picture inside 1920x1080

// A smooth gradient with fine ripples and some hard edges, so the encoder
// has realistic work.
qv::TBitmap32 Scene(int width, int height) {
    qv::TBitmap32 pic(width, height);
    for (int y = 0; y < height; ++y) {
      uint32_t* row = pic.Row(y);
      for (int x = 0; x < width; ++x) {
        const int ripple = static_cast<int>(20 * std::sin(x * 0.07) * std::cos(y * 0.05));
        const int r = std::clamp(x * 200 / width + ripple + 20, 0, 255);
        const int g = std::clamp(y * 200 / height - ripple + 20, 0, 255);
        const int b = ((x / 97 + y / 89) % 2) ? 200 : 60;
        row[x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    }
    return pic;
}

const std::vector<uint8_t>& Jpeg() {
  static const std::vector<uint8_t> bytes = qv::EncodeJPEG(Scene(kPictureWidth, kPictureHeight), 90);
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

// The plain JPEG pipeline's median, for the photo pipelines' ratio.
double gPlainJpegMs = 0;

void PhotoPipeline(benchmark::State& state, const std::vector<uint8_t>& file, bool plain) {
  qv::TBitmap32 dst(kFitWidth, kFitHeight);
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    // As the slideshow does: turned while decoded, colours converted once fitted.
    qv::TDecodeHint hint = kHint;
    hint.keepColourProfile = true;
    const qv::TPicture pic = qv::DecodePicture(file, "photo", hint);
    qv::ResampleLanczos(pic.bitmap, dst);
    if (!pic.colourProfile.empty()) qv::ConvertToSRGB(dst, pic.colourProfile.data(), pic.colourProfile.size());
    benchmark::DoNotOptimize(dst.Bits());
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
  const double median = ms[ms.size() / 2];
  state.counters["median_ms"] = median;
  if (plain) gPlainJpegMs = median;
  if (gPlainJpegMs > 0) state.counters["plain_jpeg"] = median / gPlainJpegMs;
}

// A portrait 12 MP photo as a phone stores it: landscape pixels, turned by
// its EXIF tag, in Adobe RGB.
const std::vector<uint8_t>& OrientedProfiledJpeg() {
  static const std::vector<uint8_t> bytes =
      qv::EncodeJPEG(Scene(kPictureWidth, kPictureHeight), 90,
                     {.exif = qv::ExifBlock(6), .colourProfile = qv::MakeRGBProfile(qv::kAdobeRGB1998)});
  return bytes;
}

void BM_PhotoPlainJpeg(benchmark::State& state) { PhotoPipeline(state, Jpeg(), true); }
void BM_PhotoOrientedProfiledJpeg(benchmark::State& state) {
  // The same hint and fitted size as the plain one: only the turn and the
  // colours differ.
  PhotoPipeline(state, OrientedProfiledJpeg(), false);
}
void BM_PhotoPng(benchmark::State& state) {
  static const std::vector<uint8_t> png = qv::EncodePNG(Scene(kPictureWidth, kPictureHeight));
  PhotoPipeline(state, png, false);
}
void BM_PhotoLossyWebP(benchmark::State& state) {
  static const std::vector<uint8_t> webp = qv::EncodeWebP(Scene(kPictureWidth, kPictureHeight), {.quality = 90});
  PhotoPipeline(state, webp, false);
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
BENCHMARK(BM_PhotoPlainJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PhotoOrientedProfiledJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PhotoPng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PhotoLossyWebP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
