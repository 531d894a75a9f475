#include "graphics/FastBMP.h"

#include <gtest/gtest.h>

#include <array>

namespace qv {
namespace {

using TBGR = std::array<int, 3>;

TBGR At(const TFastBMP& b, int row, int x) {
  const uint8_t* p = b.Rows(row) + 3 * x;
  return {p[0], p[1], p[2]};
}

void Set(TFastBMP& b, int row, int x, TBGR c) {
  uint8_t* p = b.Rows(row) + 3 * x;
  for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(c[i]);
}

TEST(FastBMPLayout, AWidthOfFiveHasSixteenRowBytesAndAGapOfOne) {
  TFastBMP b;
  b.SetDimensions(5, 3);
  EXPECT_EQ(b.RowBytes(), 16);
  EXPECT_EQ(b.Gap(), 1);
  EXPECT_EQ(b.Size(), 48u);
  EXPECT_EQ(b.Rows(2) - b.Rows(0), 32);
  EXPECT_EQ(b.Header().biWidth, 5);
  EXPECT_EQ(b.Header().biHeight, 3);
  EXPECT_EQ(b.Header().biBitCount, 24);
}

TEST(FastBMPLayout, AWidthOfFourHasTwelveRowBytesAndNoGap) {
  TFastBMP b;
  b.SetDimensions(4, 1);
  EXPECT_EQ(b.RowBytes(), 12);
  EXPECT_EQ(b.Gap(), 0);
}

TEST(FastBMPLayout, RowZeroIsTheBottomOfThePictureAndDrawingPutsItBack) {
  TBitmap32 pic(2, 2);
  pic.Clear(0xFF000000u);
  pic.SetPixel(0, 0, 0xFFFF0000u);
  pic.SetPixel(1, 1, 0xFF0000FFu);
  TFastBMP b;
  b.LoadFromBitmap(pic);
  EXPECT_EQ(At(b, 1, 0), (TBGR{0, 0, 255}));
  EXPECT_EQ(At(b, 0, 1), (TBGR{255, 0, 0}));
  TBitmap32 back(2, 2);
  b.DrawAt(back, 0, 0);
  EXPECT_EQ(back, pic);
  TBitmap32 shifted(2, 2);
  b.DrawAt(shifted, -1, -1);
  EXPECT_EQ(shifted.Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(shifted.Pixel(1, 0), 0u);
}

TEST(FastBMPLayout, CopiesKeepTheirOwnRowTable) {
  TFastBMP a;
  a.SetDimensions(3, 2);
  Set(a, 1, 2, {1, 2, 3});
  TFastBMP b = a;
  Set(a, 1, 2, {9, 9, 9});
  EXPECT_EQ(At(b, 1, 2), (TBGR{1, 2, 3}));
  TFastBMP c = std::move(b);
  EXPECT_EQ(At(c, 1, 2), (TBGR{1, 2, 3}));
}

TEST(FastBMPBilinear, TheSameSizeCopiesThePicture) {
  TFastBMP a, b;
  a.SetDimensions(3, 3);
  for (int i = 0; i < 3; ++i) Set(a, i, i, {10 * i, 20, 255});
  b.SetDimensions(3, 3);
  a.ResampleBilinear(b);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(At(b, i, i), (TBGR{10 * i, 20, 255}));
}

TEST(FastBMPBilinear, StepsAreFifteenBitFixedPoint) {
  TFastBMP a, b;
  a.SetDimensions(2, 1);
  Set(a, 0, 0, {0, 0, 0});
  Set(a, 0, 1, {255, 255, 255});
  b.SetDimensions(3, 1);
  a.ResampleBilinear(b);  // steps of 10922 / 32768
  EXPECT_EQ(At(b, 0, 0)[0], 0);
  EXPECT_EQ(At(b, 0, 1)[0], 84);
  EXPECT_EQ(At(b, 0, 2)[0], 169);

  a.SetDimensions(2, 2);
  Set(a, 0, 0, {0, 0, 0});
  Set(a, 0, 1, {0, 0, 0});
  Set(a, 1, 0, {200, 200, 200});
  Set(a, 1, 1, {200, 200, 200});
  b.SetDimensions(2, 4);  // rows at 0, 1/4, 1/2, 3/4 of the way
  a.ResampleBilinear(b);
  EXPECT_EQ(At(b, 1, 0)[1], 50);
  EXPECT_EQ(At(b, 3, 1)[1], 150);
}

TEST(FastBMPBilinear, AOnePixelWideSourceUsesNearestPixels) {
  TFastBMP a, b;
  a.SetDimensions(1, 1);
  Set(a, 0, 0, {7, 8, 9});
  b.SetDimensions(3, 2);
  a.ResampleBilinear(b);
  EXPECT_EQ(At(b, 1, 2), (TBGR{7, 8, 9}));
}

TEST(FastBMPNearest, ShrinkingTakesThePixelAtTheTruncatedPosition) {
  TFastBMP a, b;
  a.SetDimensions(4, 1);
  for (int x = 0; x < 4; ++x) Set(a, 0, x, {x, 0, 0});
  b.SetDimensions(2, 1);
  a.ResampleNearest(b);
  EXPECT_EQ(At(b, 0, 0)[0], 0);
  EXPECT_EQ(At(b, 0, 1)[0], 2);
}

TEST(FastBMPNearest, EnlargingWritesEachPixelAsABlock) {
  TFastBMP a, b;
  a.SetDimensions(2, 2);
  Set(a, 0, 0, {1, 0, 0});
  Set(a, 0, 1, {2, 0, 0});
  Set(a, 1, 0, {3, 0, 0});
  Set(a, 1, 1, {4, 0, 0});
  b.SetDimensions(5, 5);  // a factor of 2.5: blocks of 3 starting at 0 and 2
  a.ResampleNearest(b);
  const int expected[5][5] = {{1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}, {3, 3, 4, 4, 4},
                              {3, 3, 4, 4, 4}, {3, 3, 4, 4, 4}};
  for (int row = 0; row < 5; ++row)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(b, row, x)[0], expected[row][x]) << row << "," << x;
}

TEST(FastBMPSaturation, AmountOneTurnsPureRedGrey) {
  TFastBMP b;
  b.SetDimensions(1, 1);
  Set(b, 0, 0, {0, 0, 255});
  b.AdjustSaturation(1);
  EXPECT_EQ(At(b, 0, 0), (TBGR{85, 85, 85}));
}

TEST(FastBMPSaturation, Amount256LeavesThePictureAndLargerAmountsClamp) {
  TFastBMP b;
  b.SetDimensions(1, 1);
  Set(b, 0, 0, {100, 100, 200});
  b.AdjustSaturation(256);
  EXPECT_EQ(At(b, 0, 0), (TBGR{100, 100, 200}));
  b.AdjustSaturation(512);  // grey 133, base -133
  EXPECT_EQ(At(b, 0, 0), (TBGR{67, 67, 255}));
}

}  // namespace
}  // namespace qv
