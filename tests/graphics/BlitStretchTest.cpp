// The stretch primitive against the rule it documents, pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "support/Pictures.h"
#include "graphics/uStretchBlt.h"

using qv::TBitmap32;
using qv::TRect;
using qvtest::Pattern;
using qvtest::SamePicture;

namespace {

// The documented rule written the slow way: every pixel of the destination
// block, its source pixel, both checked against the bitmaps and the clip.
TBitmap32 ByRule(const TBitmap32& dest, const TRect& clip, int dx, int dy, int dw, int dh,
                 const TBitmap32& src, int sx, int sy, int sw, int sh) {
  TBitmap32 out = dest;
  if (sw <= 0 || sh <= 0) return out;
  const int64_t adw = std::llabs(dw), adh = std::llabs(dh);
  for (int64_t j = 0; j < adh; ++j)
    for (int64_t i = 0; i < adw; ++i) {
      const int64_t x = dw > 0 ? dx + i : dx - i, y = dh > 0 ? dy + j : dy - j;
      const int64_t u = sx + i * sw / adw, v = sy + j * sh / adh;
      if (x < std::max(0, clip.Left) || x >= std::min(dest.Width(), clip.Right) ||
          y < std::max(0, clip.Top) || y >= std::min(dest.Height(), clip.Bottom))
        continue;
      if (u < 0 || u >= src.Width() || v < 0 || v >= src.Height()) continue;
      out.SetPixel(static_cast<int>(x), static_cast<int>(y),
                   src.Pixel(static_cast<int>(u), static_cast<int>(v)));
    }
  return out;
}

struct TCase {
  int dx, dy, dw, dh, sx, sy, sw, sh;
};

// Rectangles of every kind: inside, across each edge, mirrored, enlarged,
// shrunk, empty, wholly outside.
std::vector<TCase> Cases(int w, int h) {
  std::vector<TCase> cases = {
      {0, 0, w, h, 0, 0, w, h},          {5, 3, w, h, 0, 0, w, h},
      {-7, -2, w, h, 0, 0, w, h},        {w - 1, 0, -w, h, 0, 0, w, h},
      {0, h - 1, w, -h, 0, 0, w, h},     {w - 1, h - 1, -w, -h, 0, 0, w, h},
      {2, 2, 3 * w, 2 * h, 1, 1, 5, 4},  {-w, -h, 3 * w, 3 * h, w / 3, h / 3, w / 3, h / 3},
      {3, 1, w / 3, h / 2, 0, 0, w, h},  {w / 2, 0, 1, h, 0, 0, w, h},
      {4, 4, 10, 10, -5, -3, 10, 10},    {4, 4, 10, 10, w - 4, h - 6, 10, 10},
      {8, 0, -6, h, -1, 0, 6, h},        {0, 0, 0, h, 0, 0, w, h},
      {0, 0, w, 0, 0, 0, w, h},          {0, 0, w, h, 0, 0, 0, h},
      {0, 0, w, h, 0, 0, w, -h},         {w, 0, 5, 5, 0, 0, 5, 5},
      {0, 0, 5, 5, w, h, 5, 5},          {-5, 0, -3, 5, 0, 0, 3, 5},
  };
  uint32_t s = 12345;
  auto next = [&s](int n) {
    s = s * 1103515245u + 12345u;
    return static_cast<int>((s >> 8) % static_cast<uint32_t>(n));
  };
  for (int k = 0; k < 60; ++k)
    cases.push_back({next(2 * w) - w / 2, next(2 * h) - h / 2, next(3 * w) - w, next(3 * h) - h,
                     next(w + 4) - 2, next(h + 4) - 2, next(w) + 1, next(h) + 1});
  return cases;
}

}  // namespace

TEST(StretchBlt, FollowsTheNearestPixelRuleFromAnotherBitmap) {
  const int w = 37, h = 23;
  const TBitmap32 dest = Pattern(w, h, 1), src = Pattern(w, h, 2);
  const TRect whole{0, 0, w, h}, clip{3, 2, 30, 20};
  for (const TCase& c : Cases(w, h))
    for (const TRect& r : {whole, clip}) {
      TBitmap32 got = dest;
      qv::StretchBlt(got, r, c.dx, c.dy, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh);
      ASSERT_TRUE(SamePicture(got, ByRule(dest, r, c.dx, c.dy, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh)))
          << c.dx << "," << c.dy << " " << c.dw << "x" << c.dh << " from " << c.sx << "," << c.sy << " "
          << c.sw << "x" << c.sh << " clip " << r.Left;
    }
}

TEST(StretchBlt, ReadsItselfAsItWasBeforeTheCopy) {
  const int w = 41, h = 29;
  const TBitmap32 before = Pattern(w, h, 3);
  for (const TCase& c : Cases(w, h)) {
    TBitmap32 got = before;
    qv::StretchBlt(got, c.dx, c.dy, c.dw, c.dh, got, c.sx, c.sy, c.sw, c.sh);
    ASSERT_TRUE(SamePicture(got, ByRule(before, {0, 0, w, h}, c.dx, c.dy, c.dw, c.dh, before, c.sx,
                                        c.sy, c.sw, c.sh)))
        << c.dx << "," << c.dy << " " << c.dw << "x" << c.dh << " from " << c.sx << "," << c.sy << " "
        << c.sw << "x" << c.sh;
  }
}

TEST(StretchBlt, MirrorsFromTheStartPixelItselfAndReplicatesOrDropsPixels) {
  TBitmap32 src(4, 1);
  for (int x = 0; x < 4; ++x) src.SetPixel(x, 0, 10u + x);
  TBitmap32 dest(8, 1);
  dest.Clear(0);
  qv::StretchBlt(dest, 5, 0, -4, 1, src, 0, 0, 4, 1);  // pixels 5, 4, 3, 2
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dest.Pixel(x, 0), x >= 2 && x <= 5 ? 15u - x : 0u) << x;

  qv::StretchBlt(dest, 0, 0, 8, 1, src, 0, 0, 4, 1);  // each pixel twice
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dest.Pixel(x, 0), 10u + x / 2) << x;

  dest.Clear(0);
  qv::StretchBlt(dest, 0, 0, 2, 1, src, 0, 0, 4, 1);  // every other pixel, from the first
  EXPECT_EQ(dest.Pixel(0, 0), 10u);
  EXPECT_EQ(dest.Pixel(1, 0), 12u);
  EXPECT_EQ(dest.Pixel(2, 0), 0u);
}

TEST(StretchBlt, DrawsNothingForEmptySizesOrBlocksOutsideEitherBitmap) {
  const TBitmap32 before = Pattern(16, 9, 4), src = Pattern(16, 9, 5);
  for (const TCase& c : std::vector<TCase>{{0, 0, 0, 9, 0, 0, 16, 9},
                                           {0, 0, 16, 0, 0, 0, 16, 9},
                                           {0, 0, 16, 9, 0, 0, 0, 9},
                                           {0, 0, 16, 9, 0, 0, 16, -9},
                                           {16, 0, 4, 4, 0, 0, 4, 4},
                                           {0, -4, 4, 4, 0, 0, 4, 4},
                                           {0, 0, 4, 4, -4, 0, 4, 4},
                                           {0, 0, 4, 4, 0, 9, 4, 4}}) {
    TBitmap32 got = before;
    qv::StretchBlt(got, c.dx, c.dy, c.dw, c.dh, src, c.sx, c.sy, c.sw, c.sh);
    EXPECT_EQ(got, before);
  }
  TBitmap32 got = before;
  qv::BitBlt(got, 0, 0, -4, 4, src, 0, 0);
  EXPECT_EQ(got, before) << "a copy of negative size is empty, not mirrored";
  qv::BitBlt(got, 2, 1, 3, 2, src, 5, 6);
  EXPECT_EQ(got.Pixel(2, 1), src.Pixel(5, 6));
  EXPECT_EQ(got.Pixel(4, 2), src.Pixel(7, 7));
  EXPECT_EQ(got.Pixel(5, 2), before.Pixel(5, 2));
}
