#include "transitions/uBlitEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "support/Pictures.h"
#include "transitions/uTransitionRunner.h"

using qv::TBitmap32;
using qvtest::Filled;
using qvtest::Pattern;
using qvtest::SamePicture;

namespace {

std::vector<int> BlitNumbers() {
  std::vector<int> n;
  for (int i = 4; i <= 60; ++i) n.push_back(i);
  for (int i = 130; i <= 137; ++i) n.push_back(i);
  return n;
}

TBitmap32 Frame(int n, const TBitmap32& old, const TBitmap32& fresh, int percent) {
  TBitmap32 work;
  qv::RenderEffectFrame(qv::EffectTable(), n, old, fresh, work, percent);
  return work;
}

TBitmap32 Call(int n, const TBitmap32& old, const TBitmap32& fresh, int X, int Y) {
  TBitmap32 dest = old;
  qv::BlitEffect(n)(dest, fresh, old.Width(), old.Height(), X, Y, 0);
  return dest;
}

TBitmap32 Transposed(const TBitmap32& b) {
  TBitmap32 t(b.Height(), b.Width());
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) t.SetPixel(y, x, b.Pixel(x, y));
  return t;
}

// A picture whose pixel (x, y) is New at where(x, y), or Old where that is
// (-1, -1).
using TWhere = std::function<std::pair<int, int>(int x, int y)>;
TBitmap32 Made(const TBitmap32& old, const TBitmap32& fresh, const TWhere& where) {
  TBitmap32 out = old;
  for (int y = 0; y < old.Height(); ++y)
    for (int x = 0; x < old.Width(); ++x) {
      const auto [u, v] = where(x, y);
      if (u >= 0) out.SetPixel(x, y, fresh.Pixel(u, v));
    }
  return out;
}

// The last frame of effect n. The effects that split the picture into halves
// or quarters of W div 2 (H div 2) leave, at an odd size, the middle column
// (row) of the old picture; those that place the right (lower) half at
// W - W div 2 also draw it one pixel further out than New has it.
TBitmap32 LastFrame(int n, const TBitmap32& old, const TBitmap32& fresh) {
  const int W = old.Width(), H = old.Height(), w2 = W / 2, h2 = H / 2;
  const int oddW = W % 2, oddH = H % 2;
  auto middle = [](int v, int half, int odd) { return odd && v == half; };
  auto shifted = [](int v, int half, int odd) { return v < half ? v : odd && v == half ? -1 : v - odd; };
  switch (n) {
    case 15:
    case 32:
    case 58:
      return Made(old, fresh, [&](int x, int y) {
        const bool hole = (n != 32 && middle(x, w2, oddW)) || (n != 15 && middle(y, h2, oddH));
        return hole ? std::pair{-1, -1} : std::pair{x, y};
      });
    case 16:
    case 33:
    case 59:
      return Made(old, fresh, [&](int x, int y) {
        const int u = n == 33 ? x : shifted(x, w2, oddW), v = n == 16 ? y : shifted(y, h2, oddH);
        return u < 0 || v < 0 ? std::pair{-1, -1} : std::pair{u, v};
      });
    case 57:  // the hole of the frame closes on the centre pixel
      return Made(old, fresh, [&](int x, int y) {
        return oddW && oddH && x == w2 && y == h2 ? std::pair{-1, -1} : std::pair{x, y};
      });
    case 60:  // quarters slid in from the left, top, right and bottom
      return Made(old, fresh, [&](int x, int y) -> std::pair<int, int> {
        if (y < h2 && x < 2 * w2) return {x, y};
        if (y >= h2 && y < 2 * h2 && x >= W - w2) return {x - oddW, y};
        if (y >= H - h2 && x < w2) return {x, y - oddH};
        return {-1, -1};
      });
    default:
      return fresh;
  }
}

// The first frame of effect n: the old picture, but for the build-up effects,
// whose smear of the new picture's edge tenth covers the whole screen from the
// start (X = 0 gives them the whole width to fill).
TBitmap32 FirstFrame(int n, const TBitmap32& old, const TBitmap32& fresh) {
  const int W = old.Width(), H = old.Height();
  switch (n) {
    case 19: return Made(old, fresh, [&](int x, int y) { return std::pair{x * (W / 10) / W, y}; });
    case 20: return Made(old, fresh, [&](int x, int y) { return std::pair{W - W / 10 + x * (W / 10) / W, y}; });
    case 36: return Made(old, fresh, [&](int x, int y) { return std::pair{x, y * (H / 10) / H}; });
    case 37: return Made(old, fresh, [&](int x, int y) { return std::pair{x, H - H / 10 + y * (H / 10) / H}; });
    default: return old;
  }
}

}  // namespace

TEST(BlitEffects, AreTheProceduresOfTheirNumbersInTheTable) {
  for (int n = -1; n <= 171; ++n) {
    const bool blit = (n >= 4 && n <= 60) || (n >= 130 && n <= 137);
    EXPECT_EQ(qv::BlitEffect(n) != nullptr, blit) << n;
    if (blit) {
      EXPECT_EQ(qv::EffectTable()[static_cast<size_t>(n - 1)].Proc, qv::BlitEffect(n)) << n;
    }
  }
}

TEST(BlitEffects, StartOnTheOldPictureAndEndOnTheNewOneAtEvenAndOddSizes) {
  for (auto [w, h] : {std::pair{320, 240}, std::pair{321, 239}}) {
    const TBitmap32 old = Pattern(w, h, 1), fresh = Pattern(w, h, 2);
    for (int n : BlitNumbers()) {
      EXPECT_TRUE(SamePicture(Frame(n, old, fresh, 0), FirstFrame(n, old, fresh)))
          << "effect " << n << " at 0% on " << w << "x" << h;
      EXPECT_TRUE(SamePicture(Frame(n, old, fresh, 100), LastFrame(n, old, fresh)))
          << "effect " << n << " at 100% on " << w << "x" << h;
    }
  }
}

TEST(BlitEffects, AtEvenSizesOnlyTheBuildUpEffectsLeaveTheOldPictureAtOnce) {
  const TBitmap32 old = Pattern(320, 240, 1), fresh = Pattern(320, 240, 2);
  for (int n : BlitNumbers()) {
    EXPECT_EQ(Frame(n, old, fresh, 100), fresh) << n;
    const bool buildUp = n == 19 || n == 20 || n == 36 || n == 37;
    EXPECT_EQ(Frame(n, old, fresh, 0) == old, !buildUp) << n;
  }
}

TEST(BlitEffects, VerticalStripsAndPushesAreTheHorizontalOnesTransposed) {
  // The unroll shading is the exception: row bands take their offsets from the
  // lowest row, column bands from the leftmost column.
  const TBitmap32 old = Pattern(53, 31, 3), fresh = Pattern(53, 31, 4);
  const TBitmap32 oldT = Transposed(old), freshT = Transposed(fresh);
  std::vector<std::pair<int, int>> twins;
  for (int n = 4; n <= 20; ++n)
    if (n != 17 && n != 18) twins.push_back({n, n + 17});
  for (int n = 130; n <= 133; ++n) twins.push_back({n, n + 4});
  for (auto [across, down] : twins)
    for (int X : {0, 1, 6, 26, 27, 40, 52, 53}) {
      const int Y = X * 31 / 53;
      EXPECT_TRUE(SamePicture(Call(down, oldT, freshT, Y, X), Transposed(Call(across, old, fresh, X, Y))))
          << across << " and " << down << " at X = " << X;
    }
}

TEST(BlitEffects, MidwayFramesFollowTheirRows) {
  const int W = 40, H = 30, X = 10, Y = 7;
  const TBitmap32 old = Pattern(W, H, 5), fresh = Pattern(W, H, 6);
  // Slide in from right: New's left part at W - X.
  EXPECT_TRUE(SamePicture(Call(6, old, fresh, X, Y), Made(old, fresh, [&](int x, int y) {
    return x >= W - X ? std::pair{x - (W - X), y} : std::pair{-1, -1};
  })));
  // Expand from left: the whole of New squeezed into X columns, every fourth.
  EXPECT_TRUE(SamePicture(Call(5, old, fresh, X, Y), Made(old, fresh, [&](int x, int y) {
    return x < X ? std::pair{x * 4, y} : std::pair{-1, -1};
  })));
  // Expand out from middle at X = 1: one column of New's first column, in the middle.
  EXPECT_TRUE(SamePicture(Call(13, old, fresh, 1, 1), Made(old, fresh, [&](int x, int y) {
    return x == (W - 1) / 2 ? std::pair{0, y} : std::pair{-1, -1};
  })));
  // Push right: the old picture moved X to the right, New's right part behind it.
  const TBitmap32 pushed = Call(130, old, fresh, X, Y);
  for (int x = 0; x < W; ++x)
    ASSERT_EQ(pushed.Pixel(x, 3), x < X ? fresh.Pixel(W - X + x, 3) : old.Pixel(x - X, 3)) << x;
  // Push and squeeze up: the old picture squeezed into the top H - Y rows.
  const TBitmap32 squeezed = Call(137, old, fresh, X, 10);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(squeezed.Pixel(9, y), old.Pixel(9, y * 30 / 20)) << y;
  for (int y = 20; y < 30; ++y) EXPECT_EQ(squeezed.Pixel(9, y), fresh.Pixel(9, y - 20)) << y;
  // Reveal in to centre: a frame X / 2 wide and Y / 2 high closing in.
  const TBitmap32 framed = Call(57, old, fresh, X, Y);
  EXPECT_EQ(framed.Pixel(4, 15), fresh.Pixel(4, 15));
  EXPECT_EQ(framed.Pixel(5, 15), old.Pixel(5, 15));
  EXPECT_EQ(framed.Pixel(20, 2), fresh.Pixel(20, 2));
  EXPECT_EQ(framed.Pixel(20, 3), old.Pixel(20, 3));
  EXPECT_EQ(framed.Pixel(35, 26), fresh.Pixel(35, 26));
  EXPECT_EQ(framed.Pixel(34, 26), old.Pixel(34, 26));
}

TEST(Unroll, RollWidthsOnAThousandPixelScreen) {
  EXPECT_EQ(qv::RollWidth(1000, 0, 1000), 0);
  EXPECT_EQ(qv::RollWidth(1000, 50, 950), 50);  // grows out of the edge
  EXPECT_EQ(qv::RollWidth(1000, 100, 900), 100);
  EXPECT_EQ(qv::RollWidth(1000, 500, 500), 100);
  EXPECT_EQ(qv::RollWidth(1000, 900, 100), 50);  // shrinks into the far edge
  EXPECT_EQ(qv::RollWidth(1000, 901, 99), 49);
  EXPECT_EQ(qv::RollWidth(1000, 1000, 0), 0);
}

TEST(Unroll, ShadeClimbsFromFortyEightDarkerAndTurnsAtTheMiddle) {
  EXPECT_TRUE(qv::RollShade(0).empty());
  EXPECT_TRUE(qv::RollShade(1).empty());
  // m = 5 below 48: steps of 48 div 5 = 9, turning after entry 5.
  EXPECT_EQ(qv::RollShade(10), (std::vector<int>{-48, -39, -30, -21, -12, -21, -30, -39, -48, -57}));
  EXPECT_EQ(qv::RollShade(2), (std::vector<int>{-48, -96}));
  // m = 100: a step of 1 at every second entry, up below 100, down from it.
  const std::vector<int> wide = qv::RollShade(200);
  EXPECT_EQ(wide[0], -48);
  EXPECT_EQ(wide[98], -48 + 49);
  EXPECT_EQ(wide[99], wide[98] - 1);
  EXPECT_EQ(wide[199], -48 + 49 - 51);
}

TEST(Unroll, FromLeftShowsNewMirroredInTheShadedRoll) {
  // A 1000-pixel screen at X = 900: the roll is 50 wide, over columns
  // [900, 950), mirroring New's columns [950, 1000), darkened by the table.
  const int W = 1000, H = 4;
  TBitmap32 fresh(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) fresh.SetPixel(x, y, 0x7F000000u | (x % 200) << 16 | 0x2000u | 200u);
  const TBitmap32 old = Filled(W, H, 0xFF000000u);
  const TBitmap32 f = Call(17, old, fresh, 900, H);
  const std::vector<int> o = qv::RollShade(50);
  auto shade = [](uint32_t p, int d) {
    auto c = [&](int s) { return static_cast<uint32_t>(std::clamp(int((p >> s) & 255) + d, 0, 255)) << s; };
    return (p & 0xFF000000u) | c(16) | c(8) | c(0);
  };
  for (int x = 0; x < W; ++x) {
    const uint32_t want = x < 900 ? fresh.Pixel(x, 2)
                          : x < 950 ? shade(fresh.Pixel(949 + 950 - x, 2), o[static_cast<size_t>(x - 900)])
                                    : old.Pixel(x, 2);
    ASSERT_EQ(f.Pixel(x, 2), want) << x;
  }
  EXPECT_EQ(f.Pixel(900, 0) & 0xFF00u, 0u) << "green 0x20 less 48 stops at 0";
  EXPECT_EQ(Call(17, old, fresh, W, H), fresh) << "no roll is left at the end";
}

TEST(Unroll, FromBottomTakesTheShadeFromTheRollsLowestRow) {
  const int W = 3, H = 100, Y = 40;  // roll height 10 over rows [60 - 10, 60)
  const TBitmap32 old = Filled(W, H, 0xFF000000u), fresh = Filled(W, H, 0xFF808080u);
  const TBitmap32 f = Call(35, old, fresh, W, Y);
  const std::vector<int> o = qv::RollShade(10);
  for (int k = 0; k < 10; ++k)
    EXPECT_EQ(f.Pixel(1, 59 - k) & 0xFF, static_cast<uint32_t>(0x80 + o[static_cast<size_t>(k)])) << k;
  EXPECT_EQ(f.Pixel(1, 49), old.Pixel(1, 49));
  EXPECT_EQ(f.Pixel(1, 60), fresh.Pixel(1, 60));
}
