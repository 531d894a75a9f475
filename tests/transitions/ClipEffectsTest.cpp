#include "transitions/uClipEffects.h"

#include <gtest/gtest.h>

#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "support/Pictures.h"
#include "common/Random.h"
#include "transitions/uRegionBuilders.h"
#include "transitions/uTransitionRunner.h"

using qv::TBitmap32;
using qv::TPoint;
using qv::TRect;
using qv::TRegion;
using qvtest::Opaque;
using qvtest::Pattern;
using qvtest::SamePicture;

namespace {

std::vector<int> ClipNumbers() {
  std::vector<int> numbers;
  for (int n = 1; n <= qv::kEffectCount; ++n)
    if (qv::ClipRegionEffect(n)) numbers.push_back(n);
  return numbers;
}

TBitmap32 Frame(int n, const TBitmap32& old, const TBitmap32& fresh, int percent) {
  TBitmap32 work;
  qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent);
  return work;
}

// Where a frame of an odd-sized picture is not the whole old or new picture,
// because the table halves an odd width or height (a ÷ 2) and the shape then
// falls one pixel short of an edge or the middle.
const std::map<int, const char*> kOddAtFull = {
    {70, "shreds out from the middle reach m +- (W - 1) / 2: the last column stays"},
    {71, "shreds in from both sides stop (W - 1) / 2 short of each other: the middle column stays"},
    {81, "as 70 for rows"},
    {82, "as 71 for rows"},
    {111, "70 and 81 together leave the bottom right pixel"},
    {112, "71 and 82 together leave the centre pixel"},
    {149, "the rectangle (cx - W / 2, ..., cx + W / 2) ends one short of the right and bottom edges"},
    {150, "the star's inner corners fall on the last column and row"},
    {151, "as 149"},
    {159, "the four triangles meet at (W / 2, H / 2), not at the true centre"},
    {165, "the bottom right pixel's centre lies on the diamond's right edge"},
    {166, "the inverted diamond around the centre still holds two pixels"},
    {167, "the outer diamond misses the bottom corners"},
};
const std::map<int, const char*> kOddAtZero = {
    {160, "Full xor triangles that meet off the true centre leave a cross of new pixels"},
    {166, "Full xor a diamond a pixel too small leaves three corner pixels"},
};

}  // namespace

TEST(ClipRegionEffect, CoversExactlyTheClipRegionNumbersOfTheTable) {
  std::set<int> want;
  for (int n = 61; n <= 120; ++n) want.insert(n);
  for (int n = 125; n <= 129; ++n) want.insert(n);
  for (int n = 138; n <= 167; ++n) want.insert(n);
  const std::vector<int> got = ClipNumbers();
  EXPECT_EQ(std::set<int>(got.begin(), got.end()), want);
  EXPECT_EQ(qv::ClipRegionEffect(0), nullptr);
  EXPECT_EQ(qv::ClipRegionEffect(170), nullptr);
  for (int n : got) EXPECT_EQ(qv::EffectTable()[static_cast<size_t>(n - 1)].Proc, qv::ClipRegionEffect(n));
}

TEST(ClipEffects, StartFromTheOldPictureAndEndOnTheNewOneAtEvenAndOddSizes) {
  for (auto [w, h] : {std::pair{320, 240}, std::pair{321, 239}}) {
    const bool odd = w % 2 != 0;
    const TBitmap32 old = Opaque(Pattern(w, h, 1)), fresh = Opaque(Pattern(w, h, 2));
    for (int n : ClipNumbers()) {
      qv::RandSeed = 1234;
      const bool zeroExempt = odd && kOddAtZero.count(n), fullExempt = odd && kOddAtFull.count(n);
      EXPECT_EQ(SamePicture(Frame(n, old, fresh, 0), old), !zeroExempt) << n << " at " << w << "x" << h;
      EXPECT_EQ(SamePicture(Frame(n, old, fresh, 100), fresh), !fullExempt) << n << " at " << w << "x" << h;
    }
  }
}

TEST(ClipEffects, ChangeOnlyThePixelsOfTheirRegionToTheNewPicture) {
  const int w = 321, h = 239;
  const TBitmap32 old = Opaque(Pattern(w, h, 1)), fresh = Opaque(Pattern(w, h, 2));
  for (int n : ClipNumbers())
    for (int percent : {13, 50, 87}) {
      const qv::TProgress p = qv::ProgressAt(w, h, percent);
      qv::RandSeed = 77;
      const std::optional<TRegion> region = qv::ClipEffectRegion(n, w, h, p.X, p.Y, percent);
      qv::RandSeed = 77;
      TBitmap32 frame = old;
      qv::ClipRegionEffect(n)(frame, fresh, w, h, p.X, p.Y, percent);
      ASSERT_TRUE(region.has_value()) << n;
      TBitmap32 want = old;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (region->Contains(x, y)) want.SetPixel(x, y, fresh.Pixel(x, y));
      ASSERT_TRUE(SamePicture(frame, want)) << n << " at " << percent << "%";
      EXPECT_FALSE(region->IsEmpty()) << n << " at " << percent << "%";
    }
}

TEST(ClipEffects, WithoutProgressTheBlindsAndRectanglesMakeNoRegion) {
  for (int n : {140, 141, 142, 143, 145, 146, 147, 148})
    EXPECT_FALSE(qv::ClipEffectRegion(n, 320, 240, 0, 0, 0).has_value()) << n;
  for (int n : {63, 68, 89, 103, 125, 138, 144})
    EXPECT_TRUE(qv::ClipEffectRegion(n, 320, 240, 0, 0, 0).value().IsEmpty()) << n;
}

TEST(ComplexRegion, CollectsRectanglesInBlocksOf500AndMakesNoRegionWhenEmpty) {
  qv::TComplexRegion b;
  EXPECT_FALSE(b.CreateRegion().has_value());
  EXPECT_EQ(b.Bounds(), (TRect{2147483647, 2147483647, -2147483647, -2147483647}));
  b.AddRect(3, 4, 3, 9);  // empty, but a rectangle was added
  EXPECT_EQ(b.Capacity(), 500);
  ASSERT_TRUE(b.CreateRegion().has_value());
  EXPECT_TRUE(b.CreateRegion()->IsEmpty());
  for (int i = 0; i < 500; ++i) b.AddRect(i, 0, i + 2, 1);
  EXPECT_EQ(b.Count(), 501);
  EXPECT_EQ(b.Capacity(), 1000);
  EXPECT_EQ(b.Bounds(), (TRect{0, 0, 501, 9}));
  EXPECT_EQ(*b.CreateRegion(), TRegion(TRect{0, 0, 501, 1}));
  EXPECT_EQ(b.CreateRegion()->Area(), 501);  // still usable after making a region
  b.Clear();
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(b.Capacity(), 0);
  EXPECT_FALSE(b.CreateRegion().has_value());
}

TEST(BarsRegion, StripsOfThicknessMinOver50PlusOneFromNothingToTheWholePicture) {
  const int w = 1024, h = 768;  // e = 16
  const TRegion none = *qv::BarsRegion(0, 0, w, h, 1, 0);
  EXPECT_TRUE(none.IsEmpty());
  // Half way the A strips, rows [0, 16), [32, 48), ..., are full and the B strips empty.
  const TRegion half = qv::BarsRegion(w, 0, w, h, 1, 0)->Intersect(TRegion(TRect{0, 0, w, h}));
  EXPECT_EQ(half.Area(), int64_t{w} * 16 * 24);
  EXPECT_TRUE(half.Contains(0, 15));
  EXPECT_FALSE(half.Contains(w - 1, 16));
  EXPECT_TRUE(half.Contains(0, 32));
  // Three quarters: the B strips have grown from the right by a half.
  const TRegion later = *qv::BarsRegion(w + w / 2, 0, w, h, 1, 0);
  EXPECT_TRUE(later.Contains(w / 2, 16));
  EXPECT_FALSE(later.Contains(w / 2 - 1, 16));
  const TRect all{0, 0, w, h};
  for (int kind : {1, 2, 4, 5}) {
    TRegion full = *qv::BarsRegion(2 * w, 0, w, h, kind, 0);
    EXPECT_EQ(full.Intersect(TRegion(all)), TRegion(all)) << kind;
    TRegion down = *qv::BarsRegion(0, 2 * h, w, h, 0, kind);
    EXPECT_EQ(down.Intersect(TRegion(all)), TRegion(all)) << kind;
  }
  TRegion both = *qv::BarsRegion(w, 0, w, h, 3, 0);
  EXPECT_EQ(both.Intersect(TRegion(all)), TRegion(all));
}

TEST(ShredRegion, JittersAroundTheProgressFromTheRunningGeneratorAndIsExactAtTheEnd) {
  const int w = 400, h = 300;  // e = 2, jitter 40
  qv::RandSeed = 5;
  const TRegion a = *qv::ShredRegion(200, 0, w, h, 2, 0);
  EXPECT_NE(qv::RandSeed, 5u);  // drawn, not re-seeded
  const TRegion b = *qv::ShredRegion(200, 0, w, h, 2, 0);
  EXPECT_NE(a, b);
  for (const TRect& r : a.Rects()) {
    EXPECT_EQ(r.Left, 0);
    EXPECT_GE(r.Right, 160);
    EXPECT_LT(r.Right, 240);
  }
  const TRect all{0, 0, w, h};
  for (int kind : {1, 2, 3, 4}) {
    TRegion full = *qv::ShredRegion(w, h, w, h, kind, kind);
    EXPECT_EQ(full.Intersect(TRegion(all)), TRegion(all)) << kind;
  }
  // Past the end the strips are exactly XP long.
  EXPECT_EQ(*qv::ShredRegion(w, 0, w, h, 2, 0), TRegion(TRect{0, 0, w, h}));
  EXPECT_TRUE(qv::ShredRegion(0, 0, w, h, 1, 0)->IsEmpty());
}

TEST(SpeckleRegion, AddsAFringeOfBlocksBeforeTheSolidEdgeUntilTheEnd) {
  const int w = 400, h = 300;  // fringe 40, blocks of 2
  qv::RandSeed = 9;
  const TRegion mid = *qv::SpeckleRegion(200, 0, w, h, 2, 0);
  EXPECT_NE(qv::RandSeed, 9u);
  EXPECT_EQ(TRegion(mid).Intersect(TRegion(TRect{0, 0, 200, h})), TRegion(TRect{0, 0, 200, h}));
  const int64_t fringe = mid.Area() - 200 * h;
  EXPECT_GT(fringe, 0);
  EXPECT_EQ(TRegion(mid).Intersect(TRegion(TRect{240, 0, w, h})), TRegion());
  // The last band reaches a pixel past the picture.
  EXPECT_EQ(*qv::SpeckleRegion(w, 0, w, h, 2, 0), TRegion(TRect{0, 0, w, h + 1}));
  EXPECT_EQ(*qv::SpeckleRegion(0, h, w, h, 0, 1), TRegion(TRect{0, 0, w + 1, h}));
  EXPECT_TRUE(qv::SpeckleRegion(0, 0, w, h, 1, 0)->IsEmpty());
}

TEST(PolygonRegion, TakesAFlatListOfCoordinates) {
  const int coords[] = {0, 0, 4, 0, 4, 3, 0, 3};
  EXPECT_EQ(qv::PolygonRegion(std::span<const int>(coords)), TRegion(TRect{0, 0, 4, 3}));
}

TEST(RotatePoints, LeavesPointsAtAngleZeroAndTurnsClockwiseOnScreen) {
  std::vector<TPoint> points = {{110, 50}, {97, 41}, {100, 50}};
  qv::RotatePoints(points, 100, 50, 0.0);
  EXPECT_EQ(points, (std::vector<TPoint>{{110, 50}, {97, 41}, {100, 50}}));
  qv::RotatePoints(points, 100, 50, std::numbers::pi / 2);
  EXPECT_EQ(points, (std::vector<TPoint>{{100, 60}, {109, 47}, {100, 50}}));
  qv::RotatePoints(points, 100, 50, std::numbers::pi);
  EXPECT_EQ(points, (std::vector<TPoint>{{100, 40}, {91, 53}, {100, 50}}));
}

TEST(UnevenBlind, FromLeftAt300And30PercentOpensFourSlatsOf90) {
  const TRegion r = *qv::ClipEffectRegion(140, 1000, 750, 300, 225, 30);
  EXPECT_EQ(r, TRegion::FromRects(std::vector<TRect>{
                   {0, 0, 90, 750}, {300, 0, 390, 750}, {600, 0, 690, 750}, {900, 0, 990, 750}}));
}

TEST(RandomSquares, SeedsFromTheScreenAndShowsTheSamePatternInEveryFrame) {
  const int w = 1024, h = 768;  // squares of 32, seed 16 * 1792 = 28672
  qv::RandSeed = 4242;
  const TRegion at30 = *qv::ClipEffectRegion(129, w, h, 0, 0, 30);
  EXPECT_EQ(qv::RandSeed, 4242u);  // the caller's sequence is untouched
  qv::RandSeed = 1;
  EXPECT_EQ(*qv::ClipEffectRegion(129, w, h, 0, 0, 30), at30);
  const TRegion at60 = *qv::ClipEffectRegion(129, w, h, 0, 0, 60);
  EXPECT_EQ(TRegion(at30).Intersect(at60), at30);  // once shown, stays shown
  EXPECT_GT(at60.Area(), at30.Area());
  // The squares column by column, as the generator seeded with 28672 draws them.
  qv::RandSeed = 28672;
  std::vector<TRect> want;
  for (int x = 0; x < w; x += 32)
    for (int y = 0; y < h; y += 32)
      if (qv::Random(100) < 30) want.push_back({x, y, x + 32, y + 32});
  EXPECT_EQ(at30, TRegion::FromRects(want));
  EXPECT_FALSE(qv::ClipEffectRegion(129, w, h, 0, 0, 0).has_value());
}

TEST(RotationalRectangle, IsHalfTheScreenTurnedByPiAtHalfWayAndTheWholeScreenAtTheEnd) {
  const int w = 320, h = 240;
  EXPECT_EQ(*qv::ClipEffectRegion(149, w, h, 160, 120, 50), TRegion(TRect{80, 60, 240, 180}));
  EXPECT_EQ(*qv::ClipEffectRegion(149, w, h, 320, 240, 100), TRegion(TRect{0, 0, w, h}));
  // A quarter turn of the half-size rectangle stands it on end about the centre.
  const TRegion quarter = *qv::ClipEffectRegion(149, w, h, 80, 60, 25);
  EXPECT_EQ(quarter.Bounds(), (TRect{160 - 30, 120 - 40, 160 + 30, 120 + 40}));
}
