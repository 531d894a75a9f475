#include "graphics/Bitmap32.h"

#include <gtest/gtest.h>

#include "common/Error.h"

namespace qv {
namespace {

TEST(Bitmap32Size, AnEmptyBitmapHasNoPixels) {
  TBitmap32 b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(3, 2);
  EXPECT_FALSE(b.Empty());
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32Size, SizesBeyondThePictureCapsAreRefusedAndLeaveTheBitmapAsItWas) {
  TBitmap32 b(2, 2);
  b.Clear(0xFF123456u);
  EXPECT_THROW(b.SetSize(100000, 100000), EQVError);
  EXPECT_THROW(b.SetSize(0, 5), EQVError);
  EXPECT_THROW(b.SetSize(-1, 5), EQVError);
  ASSERT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF123456u);
}

TEST(Bitmap32Pixels, PixelsAreStoredBlueGreenRedAlphaTopDown) {
  TBitmap32 b(2, 2);
  b.SetPixel(1, 0, 0x80FF2010u);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(b.Bits());
  EXPECT_EQ(bytes[4], 0x10);
  EXPECT_EQ(bytes[5], 0x20);
  EXPECT_EQ(bytes[6], 0xFF);
  EXPECT_EQ(bytes[7], 0x80);
}

TEST(Bitmap32Draw, AnOpaqueDrawCopiesAndClipsAtEveryEdge) {
  TBitmap32 src(3, 3), dst(4, 4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src.SetPixel(x, y, 0xFF000000u | (y * 3 + x));
  dst.Clear(0xFFFFFFFFu);
  src.DrawTo(dst, -1, 2);
  EXPECT_EQ(dst.Pixel(0, 2), 0xFF000001u);
  EXPECT_EQ(dst.Pixel(1, 3), 0xFF000005u);
  EXPECT_EQ(dst.Pixel(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(dst.Pixel(0, 1), 0xFFFFFFFFu);
  src.DrawTo(dst, 1000000, -2000000000);  // far outside: nothing happens
}

TEST(Bitmap32Draw, BlendModeMixesByPixelAlphaScaledByMasterAlpha) {
  TBitmap32 src(1, 1), dst(1, 1);
  src.SetPixel(0, 0, 0xFFFFFFFFu);
  src.SetDrawMode(TDrawMode::Blend);
  src.SetMasterAlpha(128);
  dst.Clear(0xFF000000u);
  src.DrawTo(dst, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF808080u);

  src.SetPixel(0, 0, 0x00FFFFFFu);  // fully transparent leaves dst alone
  dst.Clear(0xFF000000u);
  src.DrawTo(dst, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF000000u);
}

TEST(Bitmap32Draw, StretchedDrawRepeatsNearestPixels) {
  TBitmap32 src(2, 1), dst(4, 2);
  src.SetPixel(0, 0, 1);
  src.SetPixel(1, 0, 2);
  src.DrawTo(dst, TRect{0, 0, 4, 2}, TRect{0, 0, 2, 1});
  EXPECT_EQ(dst.Pixel(1, 1), 1u);
  EXPECT_EQ(dst.Pixel(2, 0), 2u);
}

}  // namespace
}  // namespace qv
