#include "transitions/PSEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "support/Pictures.h"
#include "common/MulDiv.h"
#include "common/Random.h"
#include "transitions/uTransitionRunner.h"

using qv::TBitmap32;
using qvtest::Filled;
using qvtest::Opaque;
using qvtest::Pattern;
using qvtest::SamePicture;

namespace {

// One call of effect n on a copy of old, with the progress the runner gives.
TBitmap32 Frame(int n, const TBitmap32& old, const TBitmap32& fresh, int percent) {
  TBitmap32 work;
  qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent);
  return work;
}

size_t CountDiffering(const TBitmap32& a, const TBitmap32& b) {
  size_t n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

}  // namespace

TEST(EffectTable, HoldsEveryEffectByNumberWithItsStoredName) {
  const auto& table = qv::EffectTable();
  ASSERT_EQ(table.size(), 169u);
  std::set<std::string> names;
  for (const qv::TEffect& e : table) {
    ASSERT_NE(e.Name, nullptr);
    ASSERT_NE(e.Proc, nullptr);
    names.insert(e.Name);
  }
  EXPECT_EQ(names.size(), 169u);
  EXPECT_STREQ(table[0].Name, "Fade");
  EXPECT_STREQ(table[4].Name, "Expand from left");
  EXPECT_STREQ(table[31].Name, "Slide in from top / bottom");
  EXPECT_STREQ(table[120].Name, "Pivot from top left");
  EXPECT_STREQ(table[123].Name, "Pivot from bottom right");
  EXPECT_STREQ(table[135].Name, "Push and sqeeze down");
  EXPECT_STREQ(table[166].Name, "Diagonal Box Out");
  EXPECT_STREQ(table[168].Name, "Random Bars Vertical");
}

// Every effect, on a landscape and a portrait picture of odd sizes.
class EveryEffect : public ::testing::TestWithParam<int> {};

// Effects whose own geometry keeps a frame from being exact on odd sizes;
// the even sizes of the family tests hold them to the rule.
bool ExactAtZeroOnOddSizes(int n) {
  // "Build up" stretches the new picture's edge strip over the rest of the
  // screen from its first frame on: that strip is the effect.
  if (n == 19 || n == 20 || n == 36 || n == 37) return false;
  // Halving an odd size puts a cross or corner pixels of the new picture
  // into the first frame.
  return n != 160 && n != 166;
}
bool ExactAtHundredOnOddSizes(int n) {
  // The halving effects: an odd width or height leaves the middle column or
  // row, or a pixel of it, to the old picture; the zigzags' eleven steps of a
  // tenth do not reach the edge of a narrow picture.
  static const std::set<int> halving = {15,  16,  32,  33,  57,  58,  59,  60,  70,  71,  81,  82,  111, 112,
                                        149, 150, 151, 159, 162, 163, 165, 166, 167};
  return !halving.count(n);
}

TEST_P(EveryEffect, StartsFromTheOldPictureAndEndsExactlyOnTheNewOne) {
  const int n = GetParam();
  for (auto [w, h] : {std::pair{37, 23}, std::pair{23, 37}}) {
    const TBitmap32 old = Opaque(Pattern(w, h, 1)), fresh = Opaque(Pattern(w, h, 2));
    qv::RandSeed = 99;
    if (ExactAtZeroOnOddSizes(n)) {
      EXPECT_TRUE(SamePicture(Frame(n, old, fresh, 0), old)) << w << "x" << h;
    }
    if (ExactAtHundredOnOddSizes(n)) {
      EXPECT_TRUE(SamePicture(Frame(n, old, fresh, 100), fresh)) << w << "x" << h;
    }
  }
}

TEST_P(EveryEffect, DrawsEveryPercentOfTinyPicturesInsideTheBitmap) {
  // Under the address sanitizer this guards the edges: a picture of one or two
  // pixels a side is smaller than some effects' minimum rectangles. Effects
  // that do not blend show only pixels taken from the two pictures.
  const int n = GetParam();
  const bool blends = qv::EffectTable()[static_cast<size_t>(n - 1)].Proc == qv::Fade;
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{2, 5}}) {
    const TBitmap32 old = Opaque(Pattern(w, h, 1)), fresh = Opaque(Pattern(w, h, 2));
    std::set<uint32_t> known(old.Bits(), old.Bits() + w * h);
    known.insert(fresh.Bits(), fresh.Bits() + w * h);
    for (int percent = 0; percent <= 100; ++percent) {
      if (n == 2 && percent > 40 && percent < 60) continue;  // blends in the middle
      const TBitmap32 frame = Frame(n, old, fresh, percent);
      for (int i = 0; i < w * h && !blends; ++i)
        ASSERT_TRUE(known.count(frame.Bits()[i])) << w << "x" << h << " at " << percent << "%";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllNumbers, EveryEffect, ::testing::Range(1, 170));

TEST(Fade, HalfwayTakesBlueFrom0Towards255To127) {
  TBitmap32 dest = Filled(4, 3, 0xFF000000u);
  const TBitmap32 fresh = Filled(4, 3, 0xFF0000FFu);
  qv::Fade(dest, fresh, 4, 3, 2, 2, 50);
  EXPECT_EQ(dest.Pixel(3, 2) & 0xFF, 127u);
}

TEST(Fade, ShiftsArithmeticallyWhenTheNewByteIsSmaller) {
  TBitmap32 dest = Filled(2, 2, 0xFF0000FFu);
  const TBitmap32 fresh = Filled(2, 2, 0xFF000000u);
  qv::Fade(dest, fresh, 2, 2, 1, 1, 50);  // 255 + (128 * -255 >> 8) = 255 - 128
  EXPECT_EQ(dest.Pixel(0, 0) & 0xFF, 127u);
  qv::Fade(dest, fresh, 2, 2, 0, 0, 1);  // a = 3: 127 + (3 * -127 >> 8) = 127 - 2
  EXPECT_EQ(dest.Pixel(0, 0) & 0xFF, 125u);
}

TEST(Fade, MixesEachColourByteAndLeavesTheFourthAlone) {
  TBitmap32 dest = Filled(3, 1, 0x10204080u);
  const TBitmap32 fresh = Filled(3, 1, 0xF0C0A060u);
  qv::Fade(dest, fresh, 3, 1, 1, 0, 25);  // a = 64
  // red 0x20 + (64 * 0xA0 >> 8) = 0x48; green 0x40 + (64 * 0x60 >> 8) = 0x58;
  // blue 0x80 + (64 * -0x20 >> 8) = 0x78
  EXPECT_EQ(dest.Pixel(1, 0), 0x10485878u);
}

TEST(Fade, EveryPercentMatchesTheByteRuleOnEveryByteValue) {
  // All 256 x 256 pairs of old and new bytes, in each colour channel at once.
  TBitmap32 old(256, 256), fresh(256, 256);
  for (uint32_t d = 0; d < 256; ++d)
    for (uint32_t n = 0; n < 256; ++n) {
      old.SetPixel(static_cast<int>(n), static_cast<int>(d), 0x5A000000u | d << 16 | n << 8 | d);
      fresh.SetPixel(static_cast<int>(n), static_cast<int>(d), 0xA5000000u | n << 16 | d << 8 | n);
    }
  for (int percent : {1, 33, 50, 77, 99}) {
    TBitmap32 dest = old;
    qv::Fade(dest, fresh, 256, 256, 0, 0, percent);
    const int a = qv::MulDiv(256, percent, 100);
    auto rule = [a](int d, int n) { return static_cast<uint32_t>((d + ((a * (n - d)) >> 8)) & 0xFF); };
    for (int d = 0; d < 256; ++d)
      for (int n = 0; n < 256; ++n) {
        const uint32_t want = 0x5A000000u | rule(d, n) << 16 | rule(n, d) << 8 | rule(d, n);
        ASSERT_EQ(dest.Pixel(n, d), want) << percent << "% d=" << d << " n=" << n;
      }
  }
}

TEST(BlendRect, BlendsOnlyInsideTheRectangleAndClipsToTheBitmap) {
  const TBitmap32 old = Filled(10, 8, 0xFF000000u), fresh = Filled(10, 8, 0xFF0000FFu);
  TBitmap32 dest = old;
  qv::BlendRect(dest, fresh, 50, 7, -2, 10, 5);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(dest.Pixel(x, y), x >= 7 && y < 3 ? 0xFF00007Fu : 0xFF000000u) << x << "," << y;
}

TEST(Pixelate, HalfwayOn1000By1000StretchesTheCentral20PixelSquare) {
  // With old and new alike the blend changes nothing, so the frame is the
  // 20 x 20 square at (490, 490) stretched to 2960 x 2960 at (-980, -980): one
  // source pixel per 148 pixels, the first 56 columns and rows from pixel 496.
  const TBitmap32 old = Pattern(1000, 1000, 7);
  TBitmap32 dest = old;
  qv::Pixelate(dest, old, 1000, 1000, 500, 500, 50);
  EXPECT_EQ(dest.Pixel(0, 0), old.Pixel(496, 496));
  EXPECT_EQ(dest.Pixel(55, 55), old.Pixel(496, 496));
  EXPECT_EQ(dest.Pixel(56, 0), old.Pixel(497, 496));
  EXPECT_EQ(dest.Pixel(203, 56), old.Pixel(497, 497));
  EXPECT_EQ(dest.Pixel(204, 999), old.Pixel(498, 503));
  EXPECT_EQ(dest.Pixel(999, 999), old.Pixel(503, 503));
}

TEST(Pixelate, HalfwayBlendsTheNewPictureIntoTheSourceSquareFirst) {
  const TBitmap32 old = Filled(1000, 1000, 0xFF000000u), fresh = Filled(1000, 1000, 0xFF0000FFu);
  TBitmap32 dest = old;
  qv::Pixelate(dest, fresh, 1000, 1000, 500, 500, 50);  // weight 50
  EXPECT_EQ(dest.Pixel(0, 0), 0xFF00007Fu);
  EXPECT_EQ(dest.Pixel(999, 500), 0xFF00007Fu);
}

TEST(Pixelate, ZoomsIntoTheOldPictureThenOutOfTheNewOne) {
  const TBitmap32 old = Filled(200, 100, 0xFF112233u), fresh = Filled(200, 100, 0xFF445566u);
  EXPECT_EQ(Frame(2, old, fresh, 30), old);  // blocks of the old picture only
  EXPECT_EQ(Frame(2, old, fresh, 70), fresh);
}

TEST(Dissolve, On1024By768SwitchesThePixelsTheSeed1792Picks) {
  const int w = 1024, h = 768;
  const TBitmap32 old = Filled(w, h, 0xFF000000u), fresh = Filled(w, h, 0xFFFFFFFFu);
  for (int percent : {3, 50, 97}) {
    TBitmap32 dest = old;
    qv::RandSeed = 12345;
    qv::Dissolve(dest, fresh, w, h, 0, 0, percent);
    EXPECT_EQ(qv::RandSeed, 12345u) << "the generator is left as it was";

    // The reference: one draw per pixel in storage order, bottom row first.
    qv::RandSeed = 1792;
    size_t mismatches = 0;
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        const bool switched = static_cast<int>(qv::Random(100)) < percent;
        mismatches += dest.Pixel(x, y) != (switched ? 0xFFFFFFFFu : 0xFF000000u);
      }
    EXPECT_EQ(mismatches, 0u) << percent << "%";
  }
}

TEST(Dissolve, ASwitchedPixelStaysSwitchedAsPercentGrows) {
  const TBitmap32 old = Filled(61, 17, 0u), fresh = Filled(61, 17, 1u);
  TBitmap32 before = Frame(3, old, fresh, 20), after = Frame(3, old, fresh, 60);
  size_t switchedBefore = 0, switchedAfter = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 61; ++x) {
      switchedBefore += before.Pixel(x, y);
      switchedAfter += after.Pixel(x, y);
      if (before.Pixel(x, y)) {
        EXPECT_EQ(after.Pixel(x, y), 1u);
      }
    }
  EXPECT_GT(switchedAfter, switchedBefore);
  EXPECT_GT(switchedBefore, 0u);
}

TEST(RandomBars, VerticalCopiesNothingAtZeroAndEveryColumnAt100) {
  const TBitmap32 old = Pattern(64, 48, 3), fresh = Pattern(64, 48, 4);
  TBitmap32 dest = old;
  qv::RandomBarsVertical(dest, fresh, 64, 48, 0, 0, 0);
  EXPECT_EQ(dest, old);
  qv::RandomBarsVertical(dest, fresh, 64, 48, 64, 48, 100);
  EXPECT_EQ(dest, fresh);
}

TEST(RandomBars, VerticalSwitchesWholeColumnsDrawnLeftToRight) {
  const TBitmap32 old = Filled(50, 9, 0u), fresh = Filled(50, 9, 1u);
  TBitmap32 dest = old;
  qv::RandSeed = 4242;
  qv::RandomBarsVertical(dest, fresh, 50, 9, 0, 0, 40);
  EXPECT_EQ(qv::RandSeed, 4242u);
  qv::RandSeed = 59;
  for (int x = 0; x < 50; ++x) {
    const uint32_t want = qv::Random(100) < 40 ? 1u : 0u;
    for (int y = 0; y < 9; ++y) ASSERT_EQ(dest.Pixel(x, y), want) << x << "," << y;
  }
}

TEST(RandomBars, HorizontalSwitchesWholeRowsDrawnFromTheBottomRow) {
  const TBitmap32 old = Filled(9, 50, 0u), fresh = Filled(9, 50, 1u);
  TBitmap32 dest = old;
  qv::RandSeed = 4242;
  qv::RandomBarsHorizontal(dest, fresh, 9, 50, 0, 0, 40);
  EXPECT_EQ(qv::RandSeed, 4242u);
  qv::RandSeed = 59;
  for (int y = 49; y >= 0; --y) {
    const uint32_t want = qv::Random(100) < 40 ? 1u : 0u;
    for (int x = 0; x < 9; ++x) ASSERT_EQ(dest.Pixel(x, y), want) << x << "," << y;
  }
}

TEST(SeededEffects, LeaveTheGeneratorAsTheyFoundIt) {
  const TBitmap32 old = Pattern(40, 30, 5), fresh = Pattern(40, 30, 6);
  for (int n : {3, 168, 169}) {
    qv::RandSeed = 0xDEADBEEFu;
    Frame(n, old, fresh, 45);
    EXPECT_EQ(qv::RandSeed, 0xDEADBEEFu) << "effect " << n;
  }
}

// The rule the pivots follow, pixel by pixel: New rotated about (px, py).
TBitmap32 PivotByRule(const TBitmap32& old, const TBitmap32& fresh, int px, int py, double a) {
  const int w = old.Width(), h = old.Height();
  const int64_t s = static_cast<int64_t>(std::sin(a) * 65536), c = static_cast<int64_t>(std::cos(a) * 65536);
  auto floorDiv = [](int64_t p) { return p >= 0 ? p / 65536 : -((-p + 65535) / 65536); };
  TBitmap32 out = old;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int64_t du = x - px, dv = y - py;
      const int64_t sx = px + floorDiv(du * c - dv * s);
      const int64_t sy = py - floorDiv(-(du * s + dv * c));
      if (sx >= 0 && sx < w && sy >= 0 && sy < h)
        out.SetPixel(x, y, fresh.Pixel(static_cast<int>(sx), static_cast<int>(sy)));
    }
  return out;
}

TEST(Pivots, DrawTheNewPictureTurnedAboutAPointOutsideTheirCorner) {
  const int w = 71, h = 43;
  const TBitmap32 old = Pattern(w, h, 8), fresh = Pattern(w, h, 9);
  const double pi = 3.14159265358979323846;
  for (int percent : {1, 17, 50, 83, 99}) {
    const double down = (100 - percent) * pi / 200, up = (percent - 100) * pi / 200;
    EXPECT_TRUE(SamePicture(Frame(121, old, fresh, percent), PivotByRule(old, fresh, -1, h, down))) << percent;
    EXPECT_TRUE(SamePicture(Frame(122, old, fresh, percent), PivotByRule(old, fresh, -1, -1, up))) << percent;
    EXPECT_TRUE(SamePicture(Frame(123, old, fresh, percent), PivotByRule(old, fresh, w, h, up))) << percent;
    EXPECT_TRUE(SamePicture(Frame(124, old, fresh, percent), PivotByRule(old, fresh, w, -1, down))) << percent;
  }
}

TEST(Pivots, HalfwayShowsPartsOfBothPictures) {
  const TBitmap32 old = Filled(80, 60, 0u), fresh = Filled(80, 60, 1u);
  for (int n = 121; n <= 124; ++n) {
    const size_t changed = CountDiffering(Frame(n, old, fresh, 50), old);
    EXPECT_GT(changed, 80u * 60 / 4) << n;
    EXPECT_LT(changed, 80u * 60) << n;
  }
}
