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
#include "common/Simd.h"
#include "graphics/uPixelMix.h"
#include "graphics/uStretchBlt.h"

#if QV_X86_PICK
#include <immintrin.h>
#endif

namespace qv {

namespace {

// Effects are handed W and H with the bitmaps; they only ever touch the part
// that both bitmaps really have.
bool Fits(const TBitmap32& Dest, const TBitmap32& New, int W, int H) {
  return W > 0 && H > 0 && W <= Dest.Width() && H <= Dest.Height() && W <= New.Width() &&
         H <= New.Height();
}

// d + ((a * (n - d)) >> 8) on blue, green and red, the alpha kept from d,
// written to out (which may be d).
void BlendRun(uint32_t* out, const uint32_t* d, const uint32_t* n, size_t count, uint32_t a) {
  MixPixels(out, d, n, count, a, TMixAlpha::First);
}

uint32_t FadeWeight(int Percent) {
  return static_cast<uint32_t>(std::clamp(MulDiv(256, Percent, 100), 0, 256));
}

// One step of the shared generator, applied k times: s -> Mul * s + Add.
struct TLcgJump {
  uint32_t Mul = 1;
  uint32_t Add = 0;
};

// One jump after the other; jumps of the same step commute.
TLcgJump Then(TLcgJump first, TLcgJump second) {
  return {second.Mul * first.Mul, second.Mul * first.Add + second.Add};
}

TLcgJump LcgJump(uint64_t k) {
  TLcgJump j, power{134775813u, 1u};
  for (; k != 0; k >>= 1, power = Then(power, power))
    if (k & 1) j = Then(j, power);
  return j;
}

uint32_t Jumped(uint32_t state, TLcgJump j) { return state * j.Mul + j.Add; }

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

QV_CLONES void SelectRun(uint32_t* out, const uint32_t* d, const uint32_t* n, const uint8_t* take, int w) {
  for (int x = 0; x < w; ++x) out[x] = take[x] ? n[x] : d[x];
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

// The pixels of one run of a turned picture: pixel i takes the source pixel
// (sx0 + floor((fu + i C) / 65536), sy0 + floor((fv + i S) / 65536)). The
// fractions start below 65536 and a run is at most 16384 pixels, so every sum
// fits 32 bits.
//
// A run reads New along a slant that crosses many of its rows, which the
// processor's own prefetching does not follow: each new row would wait for
// memory. So every eighth pixel also asks for the pixel the run a few rows
// below will read there (`ahead` pixels further on), which is then in the
// cache when that run comes. A prefetch never faults, so the address is only
// computed, never read, and may lie outside New.
struct TPivotRun {
  const uint32_t* origin;  // New's pixel (sx0, sy0); only ever read inside New
  int stride;
  int32_t fu, fv, C, S;
  intptr_t ahead;
};

constexpr int kPivotAheadRows = 8;

void PrefetchAhead(const TPivotRun& r, int32_t index) {
  __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(r.origin) +
                                                   static_cast<uintptr_t>((r.ahead + index) * 4)));
}

void PivotRunPlain(uint32_t* d, const TPivotRun& r, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t dx = (r.fu + i * r.C) >> 16, dy = (r.fv + i * r.S) >> 16;
    const int32_t index = dy * r.stride + dx;
    if ((i & 7) == 0) PrefetchAhead(r, index);
    d[i] = r.origin[index];
  }
}

#if QV_X86_PICK
// The same eight pixels at a time, read with one gather.
QV_TARGET_AVX2 void PivotRunAvx2(uint32_t* d, const TPivotRun& r, int32_t count) {
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i u = _mm256_add_epi32(_mm256_set1_epi32(r.fu), _mm256_mullo_epi32(lane, _mm256_set1_epi32(r.C)));
  __m256i v = _mm256_add_epi32(_mm256_set1_epi32(r.fv), _mm256_mullo_epi32(lane, _mm256_set1_epi32(r.S)));
  const __m256i stepU = _mm256_set1_epi32(r.C * 8), stepV = _mm256_set1_epi32(r.S * 8);
  const __m256i stride = _mm256_set1_epi32(r.stride);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i index =
        _mm256_add_epi32(_mm256_srai_epi32(u, 16), _mm256_mullo_epi32(_mm256_srai_epi32(v, 16), stride));
    PrefetchAhead(r, _mm256_extract_epi32(index, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                        _mm256_i32gather_epi32(reinterpret_cast<const int*>(r.origin), index, 4));
    u = _mm256_add_epi32(u, stepU);
    v = _mm256_add_epi32(v, stepV);
  }
  for (; i < count; ++i) d[i] = r.origin[((r.fv + i * r.S) >> 16) * r.stride + ((r.fu + i * r.C) >> 16)];
}
#endif

using TPivotRunProc = void (*)(uint32_t*, const TPivotRun&, int32_t);

// The copy this processor runs best, chosen once; each gives the same pixels.
TPivotRunProc PivotRunProc() {
#if QV_X86_PICK
  static const TPivotRunProc chosen = CpuHasAvx2() ? PivotRunAvx2 : PivotRunPlain;
  return chosen;
#else
  return PivotRunPlain;
#endif
}

// New rotated about (px, py) by the angle whose sine and cosine are S / 65536
// and C / 65536: Dest's pixel (x, y) takes New's pixel
// (px + floor((du C - dv S) / 65536), py + ceil((du S + dv C) / 65536)) with
// du = x - px, dv = y - py, when that lies inside New, else Old's. Along a row
// both numerators are linear in x, so the pixels inside New form one run found
// by arithmetic, and the run itself steps the numerators by C and S.
void PivotRows(const TBandedFrame& f, int W, int H, int px, int py, int64_t S, int64_t C, int first, int last) {
  constexpr int64_t K = 65536;
  const TPivotRunProc run = PivotRunProc();
  // Where the run kPivotAheadRows rows below reads, against this one: its
  // numerators differ by (-rows S, rows C).
  const int64_t stride = f.New.Width();
  const intptr_t ahead = static_cast<intptr_t>(std::llround(kPivotAheadRows * static_cast<double>(C) / K) * stride -
                                               std::llround(kPivotAheadRows * static_cast<double>(S) / K));
  for (int y = first; y < last; ++y) {
    const int64_t dv = y - py;
    const int64_t u0 = -int64_t{px} * C - dv * S;  // numerators at x = 0
    const int64_t v0 = -int64_t{px} * S + dv * C;
    int64_t x0 = 0, x1 = W;
    // floor(u / K) in [-px, W - px)  <=>  u in [-px K, (W - px) K)
    ClipLinear(u0, C, -int64_t{px} * K, (int64_t{W} - px) * K, x0, x1);
    // ceil(v / K) in [-py, H - py)  <=>  v in [(-py - 1) K + 1, (H - py - 1) K + 1)
    ClipLinear(v0, S, (-int64_t{py} - 1) * K + 1, (int64_t{H} - py - 1) * K + 1, x0, x1);
    if (x0 >= x1) x0 = x1 = 0;
    uint32_t* d = f.Dest.Row(y);
    if (&f.Dest != &f.Old) {  // the old picture around the run
      const uint32_t* o = f.Old.Row(y);
      std::memcpy(d, o, static_cast<size_t>(x0) * 4);
      std::memcpy(d + x1, o + x1, static_cast<size_t>(f.Dest.Width() - x1) * 4);
    }
    if (x0 == x1) continue;
    const int64_t u = u0 + x0 * C, v = v0 + x0 * S + (K - 1);
    const TPivotRun r{f.New.Bits() + (py + (v >> 16)) * stride + px + (u >> 16),
                      static_cast<int>(stride),
                      static_cast<int32_t>(u & 0xFFFF),
                      static_cast<int32_t>(v & 0xFFFF),
                      static_cast<int32_t>(C),
                      static_cast<int32_t>(S),
                      ahead};
    run(d + x0, r, static_cast<int32_t>(x1 - x0));
  }
}

void Pivot(const TBandedFrame& f, int W, int H, int px, int py, double A) {
  const int64_t S = static_cast<int64_t>(std::sin(A) * 65536.0);
  const int64_t C = static_cast<int64_t>(std::cos(A) * 65536.0);
  f.Bands.Run(H, [&](int first, int last) { PivotRows(f, W, H, px, py, S, C, first, last); });
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
  for (int64_t y = t; y < b; ++y) {
    uint32_t* d = Dest.Row(static_cast<int>(y)) + l;
    BlendRun(d, d, New.Row(static_cast<int>(y)) + l, static_cast<size_t>(r - l), a);
  }
}

void StartRows(TBitmap32& Dest, const TBitmap32& Old, int first, int last) {
  if (&Dest == &Old) return;
  const size_t bytes = static_cast<size_t>(std::min(Dest.Width(), Old.Width())) * 4;
  last = std::min({last, Dest.Height(), Old.Height()});
  for (int y = std::max(first, 0); y < last; ++y) std::memcpy(Dest.Row(y), Old.Row(y), bytes);
}

namespace {

// Effects are handed W and H with the bitmaps; they only ever touch the part
// that both bitmaps really have. A frame that cannot be drawn is the old
// picture.
bool Drawable(const TBandedFrame& f, int W, int H) {
  if (Fits(f.Dest, f.New, W, H)) return true;
  f.Bands.Run(f.Dest.Height(), [&](int first, int last) { StartRows(f.Dest, f.Old, first, last); });
  return false;
}

void FadeBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (!Drawable(f, W, H)) return;
  const uint32_t a = FadeWeight(Percent);
  const bool whole = W == f.Dest.Width() && W == f.Old.Width() && W == f.New.Width();
  f.Bands.Run(H, [&](int first, int last) {
    if (whole) {
      BlendRun(f.Dest.Row(first), f.Old.Row(first), f.New.Row(first), static_cast<size_t>(W) * (last - first), a);
      return;
    }
    for (int y = first; y < last; ++y) BlendRun(f.Dest.Row(y), f.Old.Row(y), f.New.Row(y), static_cast<size_t>(W), a);
  });
}

// Zooms into the old picture up to the middle, out of the new one after it,
// and blends the two around the middle.
void PixelateBands(const TBandedFrame& f, int W, int H, int X, int Y, int Percent) {
  if (!Drawable(f, W, H)) return;
  const bool fromNew = Percent > 50;
  int z = 0;
  if (fromNew) {
    X = W - X;
    Y = H - Y;
    z = 180 + MulDiv(Percent - 100, 82, 50);
  } else {
    z = 180 - MulDiv(Percent, 82, 50);
  }
  const int xs = MulDiv(X, z, 100), ys = MulDiv(Y, z, 100);
  const int sw = std::max(W - 2 * xs, 2), sh = std::max(H - 2 * ys, 2);
  const bool blend = Percent > 40 && Percent < 60;
  if (&f.Dest == &f.Old) {
    // In place, on one thread: the blend goes into Dest, which the stretch
    // then reads as it was before it draws.
    const TBitmap32* source = fromNew ? &f.New : &f.Dest;
    if (blend) {
      BlendRect(f.Dest, f.New, Percent * 5 - 200, xs, ys, sw, sh);
      source = &f.Dest;
    }
    // Only the part inside Dest is drawn; enlarging replicates pixels.
    StretchBlt(f.Dest, TRect{0, 0, W, H}, -2 * xs, -2 * ys, W + 4 * xs, H + 4 * ys, *source, xs, ys, sw, sh);
    return;
  }
  // The stretch reads the source block only; when that lies inside the
  // picture it covers every pixel of the frame.
  const bool covers = xs >= 0 && ys >= 0 && xs + sw <= W && ys + sh <= H;
  const TBitmap32* source = fromNew ? &f.New : &f.Old;
  int sx = xs, sy = ys;
  if (blend) {
    if (!covers) {
      // A frame too small for the block: drawn as in place, on one thread.
      f.Bands.Run(H, [&](int first, int last) { StartRows(f.Dest, f.Old, first, last); });
      BlendRect(f.Dest, f.New, Percent * 5 - 200, xs, ys, sw, sh);
      StretchBlt(f.Dest, TRect{0, 0, W, H}, -2 * xs, -2 * ys, W + 4 * xs, H + 4 * ys, f.Dest, xs, ys, sw, sh);
      return;
    }
    // The block blended towards the new picture is all the stretch reads:
    // drawn once into Scratch (a small block: the blend comes around the
    // middle, where the zoom is deepest).
    f.Scratch.Reshape(sw, sh);
    const uint32_t a = FadeWeight(Percent * 5 - 200);
    for (int y = 0; y < sh; ++y)
      BlendRun(f.Scratch.Row(y), f.Old.Row(ys + y) + xs, f.New.Row(ys + y) + xs, static_cast<size_t>(sw), a);
    source = &f.Scratch;
    sx = sy = 0;
  }
  f.Bands.Run(H, [&](int first, int last) {
    if (!covers) StartRows(f.Dest, f.Old, first, last);
    StretchBlt(f.Dest, TRect{0, first, W, last}, -2 * xs, -2 * ys, W + 4 * xs, H + 4 * ys, *source, sx, sy, sw, sh);
  });
}

void DissolveBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (!Drawable(f, W, H)) return;
  if (Percent <= 0) {
    f.Bands.Run(H, [&](int first, int last) { StartRows(f.Dest, f.Old, first, last); });
    return;
  }
  if (Percent >= 100) {  // every draw is below 100
    f.Bands.Run(H, [&](int first, int last) {
      StartRows(f.Dest, f.Old, first, last);
      for (int y = first; y < last; ++y) std::memcpy(f.Dest.Row(y), f.New.Row(y), static_cast<size_t>(W) * 4);
    });
    return;
  }
  // The generator is set to W + H for the bottom row's first pixel and put
  // back as it was; its states are worked out here directly rather than
  // drawn one by one, so a band starts at its own bottom row's state.
  const uint32_t bound = DrawBound(Percent);
  const TLcgJump step16 = LcgJump(kLanes), stepRow = LcgJump(static_cast<uint64_t>(W));
  const uint32_t seed = static_cast<uint32_t>(W + H);
  f.Bands.Run(H, [&](int first, int last) {
    StartRows(f.Dest, f.Old, first, last);
    uint32_t state = Jumped(seed, LcgJump(static_cast<uint64_t>(H - last) * static_cast<uint64_t>(W)));
    for (int y = last - 1; y >= first; --y)
      state = DissolveRow(f.Dest.Row(y), f.New.Row(y), W, state, bound, step16, stepRow);
  });
}

void RandomBarsHorizontalBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (!Drawable(f, W, H)) return;
  std::vector<uint8_t> take(static_cast<size_t>(H));
  {
    TRandomStateGuard guard;
    RandSeed = static_cast<uint32_t>(W + H);
    for (int y = H - 1; y >= 0; --y) take[static_cast<size_t>(y)] = static_cast<int64_t>(Random(100)) < Percent;
  }
  f.Bands.Run(H, [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      if (take[static_cast<size_t>(y)]) std::memcpy(f.Dest.Row(y), f.New.Row(y), static_cast<size_t>(W) * 4);
      else StartRows(f.Dest, f.Old, y, y + 1);
    }
  });
}

void RandomBarsVerticalBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (!Drawable(f, W, H)) return;
  std::vector<uint8_t> take(static_cast<size_t>(W));
  {
    TRandomStateGuard guard;
    RandSeed = static_cast<uint32_t>(W + H);
    for (int x = 0; x < W; ++x) take[static_cast<size_t>(x)] = static_cast<int64_t>(Random(100)) < Percent;
  }
  f.Bands.Run(H, [&](int first, int last) {
    for (int y = first; y < last; ++y) SelectRun(f.Dest.Row(y), f.Old.Row(y), f.New.Row(y), take.data(), W);
  });
}

void PivotFromTopLeftBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (Drawable(f, W, H)) Pivot(f, W, H, -1, H, (100 - Percent) * kPi / 200);
}

void PivotFromBottomLeftBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (Drawable(f, W, H)) Pivot(f, W, H, -1, -1, (Percent - 100) * kPi / 200);
}

void PivotFromTopRightBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (Drawable(f, W, H)) Pivot(f, W, H, W, H, (Percent - 100) * kPi / 200);
}

void PivotFromBottomRightBands(const TBandedFrame& f, int W, int H, int, int, int Percent) {
  if (Drawable(f, W, H)) Pivot(f, W, H, W, -1, (100 - Percent) * kPi / 200);
}

}  // namespace

void Fade(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<FadeBands>(Dest, New, W, H, X, Y, Percent);
}

void Pixelate(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<PixelateBands>(Dest, New, W, H, X, Y, Percent);
}

void Dissolve(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<DissolveBands>(Dest, New, W, H, X, Y, Percent);
}

void RandomBarsHorizontal(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<RandomBarsHorizontalBands>(Dest, New, W, H, X, Y, Percent);
}

void RandomBarsVertical(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<RandomBarsVerticalBands>(Dest, New, W, H, X, Y, Percent);
}

void PivotFromTopLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<PivotFromTopLeftBands>(Dest, New, W, H, X, Y, Percent);
}

void PivotFromBottomLeft(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<PivotFromBottomLeftBands>(Dest, New, W, H, X, Y, Percent);
}

void PivotFromTopRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<PivotFromTopRightBands>(Dest, New, W, H, X, Y, Percent);
}

void PivotFromBottomRight(TBitmap32& Dest, const TBitmap32& New, int W, int H, int X, int Y, int Percent) {
  InPlace<PivotFromBottomRightBands>(Dest, New, W, H, X, Y, Percent);
}

namespace {

// The names, and the procedures of the pixel effects built here.
constexpr std::array<TEffect, kEffectCount> kNamedTable{{
      {"Fade", Fade, FadeBands},
      {"Pixelate", Pixelate, PixelateBands},
      {"Dissolve", Dissolve, DissolveBands},
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
      {"Pivot from top left", PivotFromTopLeft, PivotFromTopLeftBands},
      {"Pivot from bottom left", PivotFromBottomLeft, PivotFromBottomLeftBands},
      {"Pivot from top right", PivotFromTopRight, PivotFromTopRightBands},
      {"Pivot from bottom right", PivotFromBottomRight, PivotFromBottomRightBands},
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
      {"Random Bars Horizontal", RandomBarsHorizontal, RandomBarsHorizontalBands},
      {"Random Bars Vertical", RandomBarsVertical, RandomBarsVerticalBands},
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
      if (!e.Proc) {
        e.Proc = BlitEffect(n);
        e.Banded = BlitEffectBanded(n);
      }
      if (!e.Proc) {
        e.Proc = ClipRegionEffect(n);
        e.Banded = ClipRegionEffectBanded(n);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace qv
