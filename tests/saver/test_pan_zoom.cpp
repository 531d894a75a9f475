// Pan and zoom of still pictures: the framings stay inside the picture and
// keep the least share in view, a path is four draws, the motion is eased,
// and the resampling is the same in bands as on one thread.
#include <gtest/gtest.h>

#include <cmath>

#include "common/Random.h"
#include "graphics/uBilinear.h"
#include "graphics/uPixelMix.h"
#include "platform/ThreadBands.h"
#include "saver/uPanZoom.h"

namespace {

using qv::TSize;

TEST(PanZoomFrame, TheViewStaysInThePictureAndKeepsTheLeastShareInView) {
  const TSize pictures[] = {{1600, 900}, {4000, 3000}, {900, 1600}, {3200, 900}, {1000, 1000}, {640, 480}, {7, 5000}};
  const TSize screens[] = {{1920, 1080}, {1080, 1920}, {1024, 768}, {3840, 2160}};
  for (TSize picture : pictures)
    for (TSize screen : screens)
      for (int percent : {40, 50, 75, 90, 100, 120}) {
        const qv::TPanZoomFrame f = qv::PanZoomFrame(picture, screen, percent);
        const double p = std::clamp(percent, 50, 100) / 100.0;
        ASSERT_LE(f.box.width, screen.width);
        ASSERT_LE(f.box.height, screen.height);
        // A letterboxed box touches two sides of the screen.
        ASSERT_TRUE(f.box.width == screen.width || f.box.height == screen.height);
        qv::RandSeed = static_cast<uint32_t>(picture.width * 31 + percent);
        const qv::TPanZoomPath path = qv::ChoosePanZoomPath(f, 12000);
        for (uint64_t t = 0; t <= 50000; t += 250) {
          const qv::TViewRect v = qv::PanZoomView(f, path, t);
          const std::string at = std::to_string(picture.width) + "x" + std::to_string(picture.height) + " on " +
                                 std::to_string(screen.width) + "x" + std::to_string(screen.height) + " at " +
                                 std::to_string(percent) + "%, " + std::to_string(t) + " ms";
          ASSERT_GE(v.x, -1e-9) << at;
          ASSERT_GE(v.y, -1e-9) << at;
          ASSERT_LE(v.x + v.w, picture.width + 1e-6) << at;
          ASSERT_LE(v.y + v.h, picture.height + 1e-6) << at;
          ASSERT_GE(v.w, p * picture.width - 1e-6) << at;
          ASSERT_GE(v.h, p * picture.height - 1e-6) << at;
          ASSERT_NEAR(v.w / v.h, f.shape, 1e-9 * f.shape) << at;
          // The box is whole screen pixels: its shape is the views', one side
          // rounded to the nearest pixel.
          ASSERT_LE(std::min(std::abs(f.box.width - f.box.height * f.shape), std::abs(f.box.height - f.box.width / f.shape)),
                    0.5 + 1e-9)
              << at;
        }
      }
}

TEST(PanZoomFrame, APictureTooFarFromTheScreensShapeIsLetterboxedAndDriftsAlongItsLongAxis) {
  // A panorama on a 16:9 screen: filled, only a quarter of it would show.
  qv::TPanZoomFrame f = qv::PanZoomFrame({4000, 1000}, {1920, 1080}, 75);
  EXPECT_EQ(f.box.width, 1920);
  EXPECT_EQ(f.box.height, 640);  // 1920 / (0.75 * 4)
  EXPECT_TRUE(f.alongX);
  EXPECT_DOUBLE_EQ(f.widest, 3000);
  EXPECT_DOUBLE_EQ(f.narrowest, 3000);
  // A portrait picture on a landscape screen: a narrower box, drifting down.
  f = qv::PanZoomFrame({900, 1600}, {1920, 1080}, 75);
  EXPECT_EQ(f.box.height, 1080);
  EXPECT_LT(f.box.width, 1920);
  EXPECT_FALSE(f.alongX);
  // A picture of the screen's shape fills it and zooms from the whole
  // picture to three quarters of it.
  f = qv::PanZoomFrame({3840, 2160}, {1920, 1080}, 75);
  EXPECT_EQ(f.box.width, 1920);
  EXPECT_EQ(f.box.height, 1080);
  EXPECT_DOUBLE_EQ(f.widest, 3840);
  EXPECT_DOUBLE_EQ(f.narrowest, 2880);
}

TEST(PanZoomPath, IsFourDrawsAndEasesThereAndBack) {
  const qv::TPanZoomFrame f = qv::PanZoomFrame({3840, 2160}, {1920, 1080}, 75);
  qv::RandSeed = 5;
  const qv::TPanZoomPath a = qv::ChoosePanZoomPath(f, 10000);
  const uint32_t after = qv::RandSeed;
  qv::RandSeed = 5;
  for (int i = 0; i < 4; ++i) qv::Random(2);
  EXPECT_EQ(qv::RandSeed, after) << "four draws";
  qv::RandSeed = 5;
  const qv::TPanZoomPath b = qv::ChoosePanZoomPath(f, 10000);
  EXPECT_EQ(a.fromPlace, b.fromPlace);
  EXPECT_EQ(a.toWidth, b.toWidth);
  EXPECT_NE(a.fromWidth, a.toWidth) << "it zooms";
  const qv::TViewRect start = qv::PanZoomView(f, a, 0), end = qv::PanZoomView(f, a, 10000),
                      back = qv::PanZoomView(f, a, 20000);
  EXPECT_DOUBLE_EQ(start.w, a.fromWidth);
  EXPECT_DOUBLE_EQ(end.w, a.toWidth);
  EXPECT_DOUBLE_EQ(back.w, a.fromWidth) << "and back again";
  // At rest at the ends, moving in the middle: speed is a function of time alone.
  auto speed = [&](uint64_t t) { return std::abs(qv::PanZoomView(f, a, t + 1).w - qv::PanZoomView(f, a, t).w); };
  EXPECT_LT(speed(0), speed(5000) / 100);
  EXPECT_LT(speed(9999), speed(5000) / 100);
}

qv::TBitmap32 Noise(int w, int h) {
  qv::TBitmap32 b(w, h);
  uint32_t v = 3;
  for (int i = 0; i < w * h; ++i) {
    v = v * 1664525u + 1013904223u;
    b.Bits()[i] = v;
  }
  return b;
}

TEST(Bilinear, BandsOnThreadsGiveThePixelsOfOneThreadAndTheFormula) {
  const qv::TBitmap32 src = Noise(301, 203);
  qv::TOneBand one;
  qv::platform::TThreadBands threads(3);
  for (qv::TAreaF area : {qv::TAreaF{10.3, 7.9, 240.2, 135.1}, qv::TAreaF{0, 0, 301, 203},
                          qv::TAreaF{-3.5, 2.25, 100, 150}, qv::TAreaF{250.5, 190.5, 80, 40}}) {
    qv::TBitmap32 a(257, 143), b(257, 143);
    qv::DrawAreaBilinear(src, area, a, {3, 2, 250, 140}, one);
    qv::DrawAreaBilinear(src, area, b, {3, 2, 250, 140}, threads);
    ASSERT_TRUE(a == b);
    // Pixel (i, j) of the target between the four around its sample point.
    const double sx = area.x + (10 + 0.5) * area.w / 247 - 0.5, sy = area.y + (20 + 0.5) * area.h / 138 - 0.5;
    if (sx >= 0 && sy >= 0 && sx < src.Width() - 1 && sy < src.Height() - 1) {
      const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
      const uint32_t wx = static_cast<uint32_t>((sx - x0) * 256), wy = static_cast<uint32_t>((sy - y0) * 256);
      const uint32_t top = qv::MixPixel(src.Pixel(x0, y0), src.Pixel(x0, y0 + 1), wy);
      const uint32_t bottom = qv::MixPixel(src.Pixel(x0 + 1, y0), src.Pixel(x0 + 1, y0 + 1), wy);
      const uint32_t want = qv::MixPixel(top, bottom, wx);
      for (int c = 0; c < 32; c += 8)
        EXPECT_NEAR(static_cast<int>((a.Pixel(13, 22) >> c) & 0xFF), static_cast<int>((want >> c) & 0xFF), 2) << c;
    }
  }
}

}  // namespace
