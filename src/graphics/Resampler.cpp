#include "graphics/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;
constexpr double kLobes = 3.0;

double Lanczos3(double x) {
  x = std::fabs(x);
  if (x < 1e-9) return 1.0;
  if (x >= kLobes) return 0.0;
  const double px = std::numbers::pi * x;
  return kLobes * std::sin(px) * std::sin(px / kLobes) / (px * px);
}

// The taps of every destination pixel along one axis: a window of source
// pixels starting at first[d] with taps weights each (unused ones are 0).
struct TContributions {
  int taps = 0;
  std::vector<int> first;
  std::vector<int16_t> weights;  // destination-major, taps per destination
};

TContributions BuildContributions(int srcSize, int dstSize) {
  TContributions c;
  const double scale = static_cast<double>(srcSize) / dstSize;
  const double stretch = std::max(1.0, scale);  // widen the kernel when shrinking
  const double support = kLobes * stretch;

  std::vector<std::vector<double>> all(dstSize);
  std::vector<int> first(dstSize);
  for (int d = 0; d < dstSize; ++d) {
    const double center = (d + 0.5) * scale;  // in source pixels, pixel i spans [i, i + 1)
    const int lo = static_cast<int>(std::floor(center - support));
    const int hi = static_cast<int>(std::ceil(center + support));
    const int a = std::clamp(lo, 0, srcSize - 1), b = std::clamp(hi, 0, srcSize - 1);
    std::vector<double>& taps = all[d];
    taps.assign(b - a + 1, 0.0);
    double sum = 0;
    for (int i = lo; i <= hi; ++i) {
      const double v = Lanczos3((i + 0.5 - center) / stretch);
      taps[std::clamp(i, 0, srcSize - 1) - a] += v;  // clamped edges repeat the border pixel
      sum += v;
    }
    for (double& v : taps) v /= sum;
    first[d] = a;
  }

  // Integer weights summing to exactly one; taps that round to 0 at either end
  // of a window are dropped, so a same-size pass costs one tap per pixel.
  std::vector<std::vector<int>> fixed(dstSize);
  int taps = 1;
  for (int d = 0; d < dstSize; ++d) {
    std::vector<int>& f = fixed[d];
    int sum = 0, biggest = 0;
    for (size_t i = 0; i < all[d].size(); ++i) {
      f.push_back(static_cast<int>(std::lround(all[d][i] * kWeightOne)));
      sum += f.back();
      if (f.back() > f[biggest]) biggest = static_cast<int>(i);
    }
    f[biggest] += kWeightOne - sum;
    size_t begin = 0, end = f.size();
    while (begin + 1 < end && f[begin] == 0) ++begin;
    while (end - 1 > begin && f[end - 1] == 0) --end;
    f = std::vector<int>(f.begin() + begin, f.begin() + end);
    first[d] += static_cast<int>(begin);
    taps = std::max(taps, static_cast<int>(f.size()));
  }

  c.taps = taps;
  c.first.resize(dstSize);
  c.weights.assign(static_cast<size_t>(dstSize) * taps, 0);
  for (int d = 0; d < dstSize; ++d) {
    // Every window is padded to the same number of taps with zero weights; it
    // is moved left where needed so that the padding still reads real pixels
    // (a window never holds more taps than the source has pixels).
    const int start = std::min(first[d], srcSize - taps);
    c.first[d] = start;
    int16_t* out = &c.weights[static_cast<size_t>(d) * taps + (first[d] - start)];
    for (int v : fixed[d]) *out++ = static_cast<int16_t>(v);
  }
  return c;
}

inline uint8_t Clamp8(int32_t v) {
  v = (v + (1 << (kWeightBits - 1))) >> kWeightBits;
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// One row of the horizontal pass: dw pixels from a source row.
void HorizontalRow(const uint8_t* __restrict src, uint8_t* __restrict dst, int dw,
                   const TContributions& c) {
  const int taps = c.taps;
  const int16_t* w = c.weights.data();
  for (int x = 0; x < dw; ++x, w += taps) {
    const uint8_t* s = src + static_cast<size_t>(c.first[x]) * 4;
    int32_t b = 0, g = 0, r = 0, a = 0;
    for (int k = 0; k < taps; ++k) {
      b += w[k] * s[4 * k + 0];
      g += w[k] * s[4 * k + 1];
      r += w[k] * s[4 * k + 2];
      a += w[k] * s[4 * k + 3];
    }
    dst[4 * x + 0] = Clamp8(b);
    dst[4 * x + 1] = Clamp8(g);
    dst[4 * x + 2] = Clamp8(r);
    dst[4 * x + 3] = Clamp8(a);
  }
}

// One row of the vertical pass: every byte of the row is a weighted sum of
// the same bytes in taps consecutive rows of the intermediate picture.
void VerticalRow(const uint8_t* __restrict rows, size_t stride, const int16_t* w, int taps,
                 int32_t* __restrict acc, uint8_t* __restrict dst, int n) {
  for (int i = 0; i < n; ++i) acc[i] = 0;
  for (int k = 0; k < taps; ++k) {
    const int32_t wk = w[k];
    if (wk == 0) continue;
    const uint8_t* s = rows + stride * k;
    for (int i = 0; i < n; ++i) acc[i] += wk * s[i];
  }
  for (int i = 0; i < n; ++i) dst[i] = Clamp8(acc[i]);
}

#if defined(__SSE2__)
// The same two passes with SSE2 (every x86-64 has it): pairs of taps are
// interleaved channel by channel and multiplied-and-added in one step. The
// results are those of the plain loops above, bit for bit.

inline __m128i PairWeights(int16_t a, int16_t b) {
  return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(a) | (static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16)));
}

void HorizontalRowSSE2(const uint8_t* __restrict src, uint8_t* __restrict dst, int dw,
                       const TContributions& c) {
  const int taps = c.taps;
  const int16_t* w = c.weights.data();
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kWeightBits - 1));
  for (int x = 0; x < dw; ++x, w += taps) {
    const uint8_t* s = src + static_cast<size_t>(c.first[x]) * 4;
    __m128i acc = round;
    int k = 0;
    for (; k + 1 < taps; k += 2) {
      __m128i px = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 4 * k)), zero);
      px = _mm_unpacklo_epi16(px, _mm_unpackhi_epi64(px, px));  // b0 b1 g0 g1 r0 r1 a0 a1
      acc = _mm_add_epi32(acc, _mm_madd_epi16(px, PairWeights(w[k], w[k + 1])));
    }
    if (k < taps) {
      int32_t one;
      std::memcpy(&one, s + 4 * k, 4);
      __m128i px = _mm_unpacklo_epi8(_mm_cvtsi32_si128(one), zero);
      px = _mm_unpacklo_epi16(px, zero);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(px, PairWeights(w[k], 0)));
    }
    acc = _mm_srai_epi32(acc, kWeightBits);
    acc = _mm_packs_epi32(acc, acc);
    const int32_t out = _mm_cvtsi128_si32(_mm_packus_epi16(acc, acc));
    std::memcpy(dst + 4 * x, &out, 4);
  }
}

void VerticalRowSSE2(const uint8_t* __restrict rows, size_t stride, const int16_t* w, int taps,
                     int32_t* __restrict acc, uint8_t* __restrict dst, int n) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kWeightBits - 1));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i s0 = round, s1 = round, s2 = round, s3 = round;
    int k = 0;
    for (; k < taps; k += 2) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + stride * k + i));
      // An odd last tap pairs with a zero weight and zero bytes.
      const __m128i b = k + 1 < taps ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + stride * (k + 1) + i)) : zero;
      const __m128i ww = PairWeights(w[k], k + 1 < taps ? w[k + 1] : 0);
      const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), ww));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), ww));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), ww));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), ww));
    }
    const __m128i p01 = _mm_packs_epi32(_mm_srai_epi32(s0, kWeightBits), _mm_srai_epi32(s1, kWeightBits));
    const __m128i p23 = _mm_packs_epi32(_mm_srai_epi32(s2, kWeightBits), _mm_srai_epi32(s3, kWeightBits));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(p01, p23));
  }
  if (i < n) VerticalRow(rows + i, stride, w, taps, acc, dst + i, n - i);
}
#endif

}  // namespace

void ResampleLanczos3(const TBitmap32& src, TBitmap32& dst, bool allowSimd) {
  if (src.Empty() || dst.Empty()) return;
  const int sw = src.Width(), sh = src.Height(), dw = dst.Width(), dh = dst.Height();
  const TContributions cx = BuildContributions(sw, dw);
  const TContributions cy = BuildContributions(sh, dh);

  // Horizontal pass first: only the source rows some destination row uses.
  const int rowLo = cy.first.front(), rowHi = cy.first.back() + cy.taps;  // [rowLo, rowHi)
  const size_t stride = static_cast<size_t>(dw) * 4;
  std::vector<uint8_t> mid(stride * (rowHi - rowLo));
  auto horizontal = HorizontalRow;
  auto vertical = VerticalRow;
#if defined(__SSE2__)
  if (allowSimd) {
    horizontal = HorizontalRowSSE2;
    vertical = VerticalRowSSE2;
  }
#else
  (void)allowSimd;
#endif
  for (int y = rowLo; y < rowHi; ++y)
    horizontal(reinterpret_cast<const uint8_t*>(src.Row(y)), &mid[stride * (y - rowLo)], dw, cx);

  std::vector<int32_t> acc(stride);
  for (int y = 0; y < dh; ++y) {
    vertical(&mid[stride * (cy.first[y] - rowLo)], stride,
                &cy.weights[static_cast<size_t>(y) * cy.taps], cy.taps, acc.data(),
                reinterpret_cast<uint8_t*>(dst.Row(y)), static_cast<int>(stride));
  }
}

}  // namespace qv
