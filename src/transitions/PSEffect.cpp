#include "transitions/PSEffect.h"

#include "transitions/uBlitEffects.h"
#include "transitions/uClipEffects.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "common/MulDiv.h"
#include "common/Random.h"
#include "graphics/uStretchBlt.h"

// The per-pixel loops are written so the compiler vectorises them; on x86-64 an
// AVX2 copy of each is chosen at load time, with the generic one kept beside it
// (an ELF loader's indirect functions: not on Windows). Under ThreadSanitizer
// the choice would run before its runtime is ready, so such a build keeps the
// generic loops only.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(_WIN32)
#define QV_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QV_CLONES
#endif

namespace qv {

namespace {

// Effects are handed W and H with the bitmaps; they only ever touch the part
// that both bitmaps really have.
bool Fits(const TBitmap32& Dest, const TBitmap32& New, int W, int H) {
  return W > 0 && H > 0 && W <= Dest.Width() && H <= Dest.Height() && W <= New.Width() &&
         H <= New.Height();
}

// Eight pixels at a time: the compiler maps these onto AVX2 or SSE2 registers.
typedef uint16_t TU16x16 __attribute__((vector_size(32)));
typedef uint32_t TU32x8 __attribute__((vector_size(32)));

// d + ((a * (n - d)) >> 8) on blue, green and red, with an arithmetic shift.
// Written as ((256 - a) * d + a * n) >> 8, which is the same number and never
// negative, so each channel fits a 16-bit lane: no product exceeds 255 * 256.
QV_CLONES void BlendRun(uint32_t* d, const uint32_t* n, size_t count, uint32_t a) {
  const uint32_t na = 256 - a;
  size_t i = 0;
  const TU16x16 a16 = TU16x16{} + static_cast<uint16_t>(a);
  const TU16x16 na16 = TU16x16{} + static_cast<uint16_t>(na);
  for (; i + 8 <= count; i += 8) {
    TU16x16 dv, nv;
    std::memcpy(&dv, d + i, sizeof dv);
    std::memcpy(&nv, n + i, sizeof nv);
    const TU16x16 lo = ((dv & 0xFF) * na16 + (nv & 0xFF) * a16) >> 8;         // blue, red
    const TU16x16 hi = ((dv >> 8) * na16 + (nv >> 8) * a16) & 0xFF00;  // green, alpha
    TU32x8 out = reinterpret_cast<TU32x8>(lo | hi) & 0x00FFFFFFu;
    out |= reinterpret_cast<TU32x8>(dv) & 0xFF000000u;
    std::memcpy(d + i, &out, sizeof out);
  }
  for (; i < count; ++i) {
    const uint32_t dp = d[i], np = n[i];
    const uint32_t rb = ((na * (dp & 0x00FF00FFu) + a * (np & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    const uint32_t g = ((na * (dp & 0x0000FF00u) + a * (np & 0x0000FF00u)) >> 8) & 0x0000FF00u;
    d[i] = (dp & 0xFF000000u) | rb | g;
  }
}

uint32_t FadeWeight(int Percent) {
  return static_cast<uint32_t>(std::clamp(MulDiv(256, Percent, 100), 0, 256));
}

// One step of the shared generator, applied k times: s -> Mul * s + Add.
struct TLcgJump {
  uint32_t Mul = 1;
  uint32_t Add = 0;
};

TLcgJump LcgJump(uint64_t k) {
  TLcgJump j;
  for (uint64_t i = 0; i < k; ++i) {
    j.Add = j.Add * 134775813u + 1u;
    j.Mul = j.Mul * 134775813u;
  }
  return j;
}

// Random(100) < Percent holds exactly when the new state is below this bound:
// (s * 100) >> 32 < P  <=>  s * 100 < P * 2^32  <=>  s < ceil(P * 2^32 / 100).
uint32_t DrawBound(int Percent) {
  return static_cast<uint32_t>(((static_cast<uint64_t>(Percent) << 32) + 99) / 100);
}

constexpr int kLanes = 16;

// One row of "Dissolve": pixel i takes the state after i + 1 draws from
// `state`. Sixteen interleaved generators, each stepping sixteen draws at a
// time, give the same sequence without the serial dependency. Returns the
// state after the row.
QV_CLONES uint32_t DissolveRow(uint32_t* d, const uint32_t* n, int w, uint32_t state,
                               uint32_t bound, TLcgJump step16, TLcgJump stepRow) {
  uint32_t first[kLanes];
  uint32_t s = state;
  for (int j = 0; j < kLanes; ++j) {
    s = s * 134775813u + 1u;
    first[j] = s;
  }
  TU32x8 lane0, lane1;
  std::memcpy(&lane0, first, sizeof lane0);
  std::memcpy(&lane1, first + 8, sizeof lane1);
  const TU32x8 mul = TU32x8{} + step16.Mul, add = TU32x8{} + step16.Add;
  const TU32x8 limit = TU32x8{} + bound;
  int x = 0;
  for (; x + kLanes <= w; x += kLanes) {
    TU32x8 d0, d1, n0, n1;
    std::memcpy(&d0, d + x, sizeof d0);
    std::memcpy(&d1, d + x + 8, sizeof d1);
    std::memcpy(&n0, n + x, sizeof n0);
    std::memcpy(&n1, n + x + 8, sizeof n1);
    const TU32x8 take0 = reinterpret_cast<TU32x8>(lane0 < limit);
    const TU32x8 take1 = reinterpret_cast<TU32x8>(lane1 < limit);
    d0 = (n0 & take0) | (d0 & ~take0);
    d1 = (n1 & take1) | (d1 & ~take1);
    std::memcpy(d + x, &d0, sizeof d0);
    std::memcpy(d + x + 8, &d1, sizeof d1);
    lane0 = lane0 * mul + add;
    lane1 = lane1 * mul + add;
  }
  std::memcpy(first, &lane0, sizeof lane0);
  std::memcpy(first + 8, &lane1, sizeof lane1);
  for (int j = 0; x < w; ++x, ++j)
    if (first[j] < bound) d[x] = n[x];
  return state * stepRow.Mul + stepRow.Add;
}

QV_CLONES void SelectRun(uint32_t* d, const uint32_t* n, const uint8_t* take, int w) {
  for (int x = 0; x < w; ++x) d[x] = take[x] ? n[x] : d[x];
}

// Narrows [x0, x1) to the x with lo <= a + b * x < hi.
void ClipLinear(int64_t a, int64_t b, int64_t lo, int64_t hi, int64_t& x0, int64_t& x1) {
  auto floorDiv = [](int64_t p, int64_t q) {  // q > 0
    int64_t r = p / q;
    return (p % q != 0 && p < 0) ? r - 1 : r;
  };
  auto ceilDiv = [&](int64_t p, int64_t q) { return -floorDiv(-p, q); };
  if (b > 0) {
    x0 = std::max(x0, ceilDiv(lo - a, b));
    x1 = std::min(x1, ceilDiv(hi - a, b));
  } else if (b < 0) {
    x0 = std::max(x0, floorDiv(a - hi, -b) + 1);
    x1 = std::min(x1, floorDiv(a - lo, -b) + 1);
  } else if (a < lo || a >= hi) {
    x1 = x0;
  }
}

// New rotated by the angle A about (px, py): Dest's pixel (x, y) takes New's
// pixel (px + floor((du C - dv S) / 65536), py + ceil((du S + dv C) / 65536))
// with du = x - px, dv = y - py, when that lies inside New. Along a row both
// numerators are linear in x, so the pixels inside New form one run found by
// arithmetic, and the run itself steps the numerators by C and S.
void Pivot(TBitmap32& Dest, const TBitmap32& New, int W, int H, int px, int py, double A) {
  const int64_t S = static_cast<int64_t>(std::sin(A) * 65536.0);
  const int64_t C = static_cast<int64_t>(std::cos(A) * 65536.0);
  constexpr int64_t K = 65536;
  for (int y = 0; y < H; ++y) {
    const int64_t dv = y - py;
    const int64_t u0 = -int64_t{px} * C - dv * S;  // numerators at x = 0
    const int64_t v0 = -int64_t{px} * S + dv * C;
    int64_t x0 = 0, x1 = W;
    // floor(u / K) in [-px, W - px)  <=>  u in [-px K, (W - px) K)
    ClipLinear(u0, C, -int64_t{px} * K, (int64_t{W} - px) * K, x0, x1);
    // ceil(v / K) in [-py, H - py)  <=>  v in [(-py - 1) K + 1, (H - py - 1) K + 1)
    ClipLinear(v0, S, (-int64_t{py} - 1) * K + 1, (int64_t{H} - py - 1) * K + 1, x0, x1);
    if (x0 >= x1) continue;
    uint32_t* d = Dest.Row(y);
    const uint32_t* nb = New.Bits();
    const size_t stride = static_cast<size_t>(New.Width());
    int64_t u = u0 + x0 * C, v = v0 + x0 * S;
    for (int64_t x = x0; x < x1; ++x, u += C, v += S) {
      const int64_t sx = px + (u >> 16);
      const int64_t sy = py + ((v + (K - 1)) >> 16);
      d[x] = nb[static_cast<size_t>(sy) * stride + static_cast<size_t>(sx)];
    }
  }
}

constexpr double kPi = std::numbers::pi;

}  // namespace

void BlendRect(TBitmap32& Dest, const TBitmap32& New, int Percent, int Left, int Top, int Width,
               int Height) {
  const int w = std::min(Dest.Width(), New.Width()), h = std::min(Dest.Height(), New.Height());
  const int64_t l = std::max<int64_t>(Left, 0), t = std::max<int64_t>(Top, 0);
  const int64_t r = std::min<int64_t>(int64_t{Left} + Width, w);
  const int64_t b = std::min<int64_t>(int64_t{Top} + Height, h);
  if (l >= r || t >= b) return;
  const uint32_t a = FadeWeight(Percent);
  for (int64_t y = t; y < b; ++y)
    BlendRun(Dest.Row(static_cast<int>(y)) + l, New.Row(static_cast<int>(y)) + l,
             static_cast<size_t>(r - l), a);
}

void Fade(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int, int Percent) {
  if (!Fits(Dest, New, W, H)) return;
  const uint32_t a = FadeWeight(Percent);
  if (W == Dest.Width() && W == New.Width()) {
    BlendRun(Dest.Bits(), New.Bits(), static_cast<size_t>(W) * H, a);
  } else {
    for (int y = 0; y < H; ++y) BlendRun(Dest.Row(y), New.Row(y), static_cast<size_t>(W), a);
  }
}

void Pixelate(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  if (!Fits(Dest, New, W, H)) return;
  const TBitmap32* source = &Dest;
  int z = 0;
  if (Percent > 50) {
    source = &New;
    X = W - X;
    Y = H - Y;
    z = 180 + MulDiv(Percent - 100, 82, 50);
  } else {
    z = 180 - MulDiv(Percent, 82, 50);
  }
  const int xs = MulDiv(X, z, 100), ys = MulDiv(Y, z, 100);
  const int sw = std::max(W - 2 * xs, 2), sh = std::max(H - 2 * ys, 2);
  if (Percent > 40 && Percent < 60) {
    BlendRect(Dest, New, Percent * 5 - 200, xs, ys, sw, sh);
    source = &Dest;
  }
  // Only the part inside Dest is drawn; enlarging replicates pixels.
  StretchBlt(Dest, TRect{0, 0, W, H}, -2 * xs, -2 * ys, W + 4 * xs, H + 4 * ys, *source, xs, ys, sw, sh);
}

void Dissolve(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int, int Percent) {
  if (!Fits(Dest, New, W, H) || Percent <= 0) return;
  if (Percent >= 100) {  // every draw is below 100
    for (int y = 0; y < H; ++y) std::memcpy(Dest.Row(y), New.Row(y), static_cast<size_t>(W) * 4);
    return;
  }
  // The generator is set and put back as it was; its states are worked out
  // here directly rather than drawn one by one.
  const uint32_t bound = DrawBound(Percent);
  const TLcgJump step16 = LcgJump(kLanes), stepRow = LcgJump(static_cast<uint64_t>(W));
  uint32_t state = static_cast<uint32_t>(W + H);
  for (int y = H - 1; y >= 0; --y)
    state = DissolveRow(Dest.Row(y), New.Row(y), W, state, bound, step16, stepRow);
}

void RandomBarsHorizontal(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int,
                          int Percent) {
  if (!Fits(Dest, New, W, H)) return;
  TRandomStateGuard guard;
  RandSeed = static_cast<uint32_t>(W + H);
  for (int y = H - 1; y >= 0; --y)
    if (static_cast<int64_t>(Random(100)) < Percent)
      std::memcpy(Dest.Row(y), New.Row(y), static_cast<size_t>(W) * 4);
}

void RandomBarsVertical(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int,
                        int Percent) {
  if (!Fits(Dest, New, W, H)) return;
  std::vector<uint8_t> take(static_cast<size_t>(W));
  {
    TRandomStateGuard guard;
    RandSeed = static_cast<uint32_t>(W + H);
    for (int x = 0; x < W; ++x)
      take[static_cast<size_t>(x)] = static_cast<int64_t>(Random(100)) < Percent;
  }
  for (int y = 0; y < H; ++y) SelectRun(Dest.Row(y), New.Row(y), take.data(), W);
}

void PivotFromTopLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int, int Percent) {
  if (Fits(Dest, New, W, H)) Pivot(Dest, New, W, H, -1, H, (100 - Percent) * kPi / 200);
}

void PivotFromBottomLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int,
                         int Percent) {
  if (Fits(Dest, New, W, H)) Pivot(Dest, New, W, H, -1, -1, (Percent - 100) * kPi / 200);
}

void PivotFromTopRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int,
                       int Percent) {
  if (Fits(Dest, New, W, H)) Pivot(Dest, New, W, H, W, H, (Percent - 100) * kPi / 200);
}

void PivotFromBottomRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int, int,
                          int Percent) {
  if (Fits(Dest, New, W, H)) Pivot(Dest, New, W, H, W, -1, (100 - Percent) * kPi / 200);
}

namespace {

// The names, and the procedures of the pixel effects built here.
constexpr std::array<TEffect, kEffectCount> kNamedTable{{
      {"Fade", Fade},
      {"Pixelate", Pixelate},
      {"Dissolve", Dissolve},
      {"Expand from right", nullptr},
      {"Expand from left", nullptr},
      {"Slide in from right", nullptr},
      {"Slide in from left", nullptr},
      {"Reveal from left", nullptr},
      {"Reveal from right", nullptr},
      {"Expand in from right", nullptr},
      {"Expand in from left", nullptr},
      {"Expand in to middle", nullptr},
      {"Expand out from middle", nullptr},
      {"Reveal out from middle", nullptr},
      {"Reveal in from sides", nullptr},
      {"Expand in from sides", nullptr},
      {"Unroll from left", nullptr},
      {"Unroll from right", nullptr},
      {"Build up from right", nullptr},
      {"Build up from left", nullptr},
      {"Expand from bottom", nullptr},
      {"Expand from top", nullptr},
      {"Slide in from bottom", nullptr},
      {"Slide in from top", nullptr},
      {"Reveal from top", nullptr},
      {"Reveal from bottom", nullptr},
      {"Expand in from bottom", nullptr},
      {"Expand in from top", nullptr},
      {"Expand in to middle (horiz)", nullptr},
      {"Expand out from middle (horiz)", nullptr},
      {"Reveal from middle (horiz)", nullptr},
      {"Slide in from top / bottom", nullptr},
      {"Expand in from top / bottom", nullptr},
      {"Unroll from top", nullptr},
      {"Unroll from bottom", nullptr},
      {"Expand gradually from bottom", nullptr},
      {"Expand in gradually from top", nullptr},
      {"Expand from bottom right", nullptr},
      {"Expand from top right", nullptr},
      {"Expand from top left", nullptr},
      {"Expand from bottom left", nullptr},
      {"Slide in from bottom right", nullptr},
      {"Slide in from top right", nullptr},
      {"Slide in from top left", nullptr},
      {"Slide in from bottom left", nullptr},
      {"Reveal from top left", nullptr},
      {"Reveal from bottom left", nullptr},
      {"Reveal from bottom right", nullptr},
      {"Reveal from top right", nullptr},
      {"Appear and Contract to top left", nullptr},
      {"Appear and Contract to bottom left", nullptr},
      {"Appear and Contract to bottom right", nullptr},
      {"Appear and Contract to top right", nullptr},
      {"Appear and Contract to middle", nullptr},
      {"Expand out from centre", nullptr},
      {"Reveal out from centre", nullptr},
      {"Reveal in to centre", nullptr},
      {"Quarters Reveal in to middle", nullptr},
      {"Quarters Expand to middle", nullptr},
      {"Quarters Slide in to middle", nullptr},
      {"Curved Reveal from left", nullptr},
      {"Curved Reveal from right", nullptr},
      {"Bars in from right", nullptr},
      {"Bars in from left", nullptr},
      {"Bars left then right", nullptr},
      {"Bars right then left", nullptr},
      {"Bars from both sides", nullptr},
      {"Uneven shred from right", nullptr},
      {"Uneven shred from left", nullptr},
      {"Uneven shred out from middle (horiz)", nullptr},
      {"Uneven shred in to middle (horiz)", nullptr},
      {"Curved Reveal from top", nullptr},
      {"Curved Reveal from bottom", nullptr},
      {"Bars from bottom", nullptr},
      {"Bars from top", nullptr},
      {"Bars top then bottom", nullptr},
      {"Bars bottom then top", nullptr},
      {"Bars from top and bottom", nullptr},
      {"Uneven shred from bottom", nullptr},
      {"Uneven shred from top", nullptr},
      {"Uneven shred from horizon", nullptr},
      {"Uneven shred in to horizon", nullptr},
      {"Curved reveal from top left", nullptr},
      {"Curved reveal from top right", nullptr},
      {"Curved reveal from bottom left", nullptr},
      {"Curved reveal from bottom right", nullptr},
      {"Elliptic reveal out from centre", nullptr},
      {"Elliptic reveal in to centre", nullptr},
      {"Criss Cross from bottom right", nullptr},
      {"Criss Cross from top right", nullptr},
      {"Criss Cross from bottom left", nullptr},
      {"Criss Cross from top left", nullptr},
      {"Criss Cross bounce from top left", nullptr},
      {"Criss Cross bounce from bottom left", nullptr},
      {"Criss Cross bounce from top right", nullptr},
      {"Criss Cross bounce from bottom right", nullptr},
      {"Criss Cross from right top and bottom", nullptr},
      {"Criss Cross from left top and bottom", nullptr},
      {"Criss Cross from left right and bottom", nullptr},
      {"Criss Cross from left right and top", nullptr},
      {"Criss Cross from top left and bottom", nullptr},
      {"Criss Cross from bottom left top right", nullptr},
      {"Uneven shred from bottom and right", nullptr},
      {"Uneven shred from top and right", nullptr},
      {"Uneven shred from bottom and left", nullptr},
      {"Uneven shred from top and left", nullptr},
      {"Uneven shred from horiz and right", nullptr},
      {"Uneven shred from horiz and left", nullptr},
      {"Uneven shred from bottom and vert middle", nullptr},
      {"Uneven shred from top and vert middle", nullptr},
      {"Uneven shred from centre", nullptr},
      {"Uneven shred to centre", nullptr},
      {"Reveal diagonal from top left", nullptr},
      {"Reveal diagonal from top right", nullptr},
      {"Reveal diagonal from bottom left", nullptr},
      {"Reveal diagonal from bottom right", nullptr},
      {"Diagonal sweep anticlockwise", nullptr},
      {"Diagonal sweep clockwise", nullptr},
      {"Starburst clockwise from center", nullptr},
      {"Triangular shred", nullptr},
      {"Pivot from top left", PivotFromTopLeft},
      {"Pivot from bottom left", PivotFromBottomLeft},
      {"Pivot from top right", PivotFromTopRight},
      {"Pivot from bottom right", PivotFromBottomRight},
      {"Speckle appear from right", nullptr},
      {"Speckle appear from left", nullptr},
      {"Speckle appear from bottom", nullptr},
      {"Speckle appear from top", nullptr},
      {"Random squares appear", nullptr},
      {"Push right", nullptr},
      {"Push left", nullptr},
      {"Push and squeeze right", nullptr},
      {"Push and squeeze left", nullptr},
      {"Push down", nullptr},
      {"Push up", nullptr},
      {"Push and sqeeze down", nullptr},
      {"Push and sqeeze up", nullptr},
      {"Blind vertically", nullptr},
      {"Blind horizontally", nullptr},
      {"Uneven blind from left", nullptr},
      {"Uneven blind from right", nullptr},
      {"Uneven blind from top", nullptr},
      {"Uneven blind from bottom", nullptr},
      {"Rectangular shred", nullptr},
      {"Rectangles from left to right", nullptr},
      {"Rectangles from right to left", nullptr},
      {"Rectangles from up to bottom", nullptr},
      {"Rectangles from bottom to up", nullptr},
      {"Rotational rectangle in center", nullptr},
      {"Rotational star in center", nullptr},
      {"Spiral rectangle", nullptr},
      {"Circular shred", nullptr},
      {"Reveal V from left", nullptr},
      {"Reveal V from right", nullptr},
      {"Reveal V from top", nullptr},
      {"Reveal V from bottom", nullptr},
      {"Bow Tie Horizontal", nullptr},
      {"Bow Tie Vertical", nullptr},
      {"Diagonal Cross In", nullptr},
      {"Diagonal Cross Out", nullptr},
      {"Starburst anticlockwise from center", nullptr},
      {"Zigzag Horizontal", nullptr},
      {"Zigzag Vertical", nullptr},
      {"Diamond shred", nullptr},
      {"Reveal diamond out from centre", nullptr},
      {"Reveal diamond in to centre", nullptr},
      {"Diagonal Box Out", nullptr},
      {"Random Bars Horizontal", RandomBarsHorizontal},
      {"Random Bars Vertical", RandomBarsVertical},
}};

}  // namespace

// The blit effects (4 to 60, 130 to 137) and the clip-region effects (61 to
// 120, 125 to 129, 138 to 167) come from their own modules by number; every
// number has its procedure in exactly one family.
const std::array<TEffect, kEffectCount>& EffectTable() {
  static const std::array<TEffect, kEffectCount> table = [] {
    std::array<TEffect, kEffectCount> t = kNamedTable;
    for (int n = 1; n <= kEffectCount; ++n) {
      TEffect& e = t[static_cast<size_t>(n - 1)];
      if (!e.Proc) e.Proc = BlitEffect(n);
      if (!e.Proc) e.Proc = ClipRegionEffect(n);
    }
    return t;
  }();
  return table;
}

}  // namespace qv
