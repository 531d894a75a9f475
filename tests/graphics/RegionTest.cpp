#include "graphics/Region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using qv::TPoint;
using qv::TRect;
using qv::TRegion;

namespace {

TRegion Poly(std::vector<TPoint> points) { return TRegion::Polygon(points); }

// The region mirrored left to right and top to bottom inside (0, 0, w, h).
bool SymmetricIn(const TRegion& r, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (r.Contains(x, y) != r.Contains(w - 1 - x, y) || r.Contains(x, y) != r.Contains(x, h - 1 - y))
        return false;
  return true;
}

}  // namespace

TEST(RegionAlgebra, UnionIntersectionAndSymmetricDifferenceOfTwoRectangles) {
  const TRegion a(TRect{0, 0, 10, 10}), b(TRect{5, 5, 15, 15});
  EXPECT_EQ(TRegion(a).Union(b).Area(), 175);
  EXPECT_EQ(TRegion(a).Intersect(b), TRegion(TRect{5, 5, 10, 10}));
  TRegion x = TRegion(a).Xor(b);
  EXPECT_EQ(x.Area(), 150);
  EXPECT_TRUE(x.Contains(0, 0));
  EXPECT_FALSE(x.Contains(7, 7));
  EXPECT_TRUE(x.Contains(14, 14));
  EXPECT_EQ(x.Bounds(), (TRect{0, 0, 15, 15}));
  EXPECT_EQ(TRegion(a).Xor(a), TRegion());  // the "in" effects rely on A xor A being empty
  EXPECT_EQ(TRegion(a).Xor(TRegion()), a);
}

TEST(RegionAlgebra, RectanglesInAnyOrderOverlappingOrEmptyMakeTheirUnion) {
  const std::vector<TRect> rects = {{5, 5, 8, 8}, {0, 0, 6, 6}, {3, 3, 3, 9}, {9, 0, 7, 2}, {0, 0, 6, 6}};
  const TRegion r = TRegion::FromRects(rects);
  EXPECT_EQ(r.Area(), 36 + 9 - 1);
  EXPECT_TRUE(TRegion::FromRects({}).IsEmpty());
  EXPECT_TRUE(TRegion(TRect{4, 4, 2, 8}).IsEmpty());
  EXPECT_EQ(TRegion().Bounds(), TRect{});
}

TEST(RegionAlgebra, OffsetCopyAndMoveKeepTheShape) {
  TRegion r(TRect{0, 0, 3, 2});
  r.Offset(-5, 7);
  EXPECT_EQ(r, TRegion(TRect{-5, 7, -2, 9}));
  TRegion copy = r;
  copy.Union(TRegion(TRect{0, 0, 1, 1}));
  EXPECT_EQ(r.Area(), 6);
  TRegion moved = std::move(copy);
  EXPECT_EQ(moved.Area(), 7);
  r = moved;
  EXPECT_EQ(r, moved);
}

TEST(RegionRaster, APolygonCoversThePixelsWhoseCentresAreInsideWithLeftEdgesOnly) {
  // The hypotenuse is a right edge: the centres on it (x + y = 3) stay out.
  const TRegion t = Poly({{0, 0}, {4, 0}, {0, 4}});
  EXPECT_EQ(t.Area(), 6);
  EXPECT_TRUE(t.Contains(2, 0));
  EXPECT_FALSE(t.Contains(3, 0));
  EXPECT_EQ(Poly({{0, 4}, {4, 0}, {0, 0}}), t);  // either orientation
  // The diagonal is the right edge of one half and the left edge of the
  // other: the two halves tile the square without overlap.
  const TRegion lower = Poly({{0, 0}, {4, 4}, {0, 4}}), upper = Poly({{0, 0}, {4, 0}, {4, 4}});
  EXPECT_EQ(TRegion(lower).Union(upper), TRegion(TRect{0, 0, 4, 4}));
  EXPECT_TRUE(TRegion(lower).Intersect(upper).IsEmpty());
  EXPECT_EQ(Poly({{1, 1}, {5, 1}, {5, 4}, {1, 4}}), TRegion(TRect{1, 1, 5, 4}));
}

TEST(RegionRaster, APolygonIsFilledByTheWindingRule) {
  // A five-pointed star drawn in one stroke winds twice round its centre.
  std::vector<TPoint> star;
  for (int i = 0; i < 5; ++i) {
    const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
    star.push_back({static_cast<int>(std::lround(50 + 40 * std::cos(a))),
                    static_cast<int>(std::lround(50 + 40 * std::sin(a)))});
  }
  const TRegion r = Poly(star);
  EXPECT_TRUE(r.Contains(50, 50));
  EXPECT_TRUE(r.Contains(50, 15));
  EXPECT_FALSE(r.Contains(20, 80));
  // A square run round twice is the square.
  EXPECT_EQ(Poly({{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {6, 0}, {6, 6}, {0, 6}}), TRegion(TRect{0, 0, 6, 6}));
  EXPECT_TRUE(Poly({{0, 0}, {5, 5}}).IsEmpty());
  EXPECT_TRUE(Poly({{3, 3}, {3, 3}, {3, 3}}).IsEmpty());
}

TEST(RegionRaster, AnEllipseHoldsThePixelsWhoseCentresAreStrictlyInside) {
  EXPECT_EQ(TRegion::Ellipse(0, 0, 2, 2), TRegion(TRect{0, 0, 2, 2}));
  // A 4 x 4 circle loses its four corner pixels: their centres lie 1.5 and
  // 1.5 from its centre (4.5 > 2^2); the edge pixels' lie 1.5 and 0.5 (2.5).
  const TRegion small = TRegion::Ellipse(0, 0, 4, 4);
  EXPECT_TRUE(small.Contains(0, 1));
  EXPECT_FALSE(small.Contains(0, 0));
  EXPECT_EQ(small.Area(), 12);
  const TRegion big = TRegion::Ellipse(10, 20, 110, 80);
  EXPECT_TRUE(SymmetricIn(TRegion(big).Offset(-10, -20), 100, 60));
  EXPECT_NEAR(static_cast<double>(big.Area()), std::numbers::pi * 50 * 30, 60.0);
  EXPECT_EQ(big.Bounds(), (TRect{10, 20, 110, 80}));
  EXPECT_FALSE(big.Contains(10, 20));
  EXPECT_TRUE(big.Contains(10, 50));
  EXPECT_FALSE(big.Contains(110, 50));
}

TEST(RegionRaster, ARoundedRectangleClampsItsCornersAndIsPlainBelowTwo) {
  EXPECT_EQ(TRegion::RoundRect(0, 0, 10, 4, 100, 100), TRegion::Ellipse(0, 0, 10, 4));
  EXPECT_EQ(TRegion::RoundRect(0, 0, 10, 4, 1, 30), TRegion(TRect{0, 0, 10, 4}));
  EXPECT_TRUE(TRegion::RoundRect(5, 0, 4, 10, 2, 2).IsEmpty());
  const TRegion r = TRegion::RoundRect(0, 0, 40, 30, 10, 8);
  EXPECT_TRUE(SymmetricIn(r, 40, 30));
  EXPECT_FALSE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(5, 0));   // the straight top edge starts at the corner's middle
  EXPECT_TRUE(r.Contains(0, 4));
  EXPECT_TRUE(r.Contains(20, 29));
  EXPECT_FALSE(r.Contains(40, 15));
}

TEST(CopyThroughRegion, CopiesOnlyInsideTheRegionAndClipsItToTheBitmaps) {
  qv::TBitmap32 dest(8, 6), src(8, 6);
  dest.Clear(1);
  src.Clear(2);
  TRegion r(TRect{-5, -5, 2, 2});
  r.Union(TRegion(TRect{6, 4, 100, 100}));
  qv::CopyThroughRegion(dest, src, r);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(dest.Pixel(x, y), ((x < 2 && y < 2) || (x >= 6 && y >= 4)) ? 2u : 1u) << x << "," << y;
  qv::CopyThroughRegion(dest, src, TRegion());
  EXPECT_EQ(dest.Pixel(3, 3), 1u);
}
