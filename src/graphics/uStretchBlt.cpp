#include "graphics/uStretchBlt.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qv {

namespace {

// One axis of a scaled copy: the destination coordinates [Lo, Hi) that are
// drawn, and the source coordinate of each.
struct TAxis {
  int Lo = 0;
  int Hi = 0;
  std::vector<int> Src;

  bool Empty() const { return Hi <= Lo; }
  int Size() const { return Hi - Lo; }
};

int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? (a + b - 1) / b : -(-a / b);
}

// Destination pixels d, d + 1, ... (d, d - 1, ... when dsize < 0), pixel i
// taking source pixel s + floor(i * ssize / |dsize|); kept are those inside
// [clipLo, clipHi) whose source lies inside [0, srcSize). The source pixel
// grows with i, so the pixels kept are one run.
TAxis MapAxis(int64_t d, int64_t dsize, int64_t s, int64_t ssize, int clipLo, int clipHi,
              int srcSize) {
  TAxis a;
  if (dsize == 0 || ssize <= 0 || clipHi <= clipLo || srcSize <= 0) return a;
  const int64_t n = dsize < 0 ? -dsize : dsize;
  int64_t iLo = 0, iHi = n;
  if (dsize > 0) {
    iLo = std::max<int64_t>(iLo, clipLo - d);
    iHi = std::min<int64_t>(iHi, clipHi - d);
  } else {
    iLo = std::max<int64_t>(iLo, d - clipHi + 1);
    iHi = std::min<int64_t>(iHi, d - clipLo + 1);
  }
  // floor(i * ssize / n) >= k  exactly when  i >= ceil(k * n / ssize).
  if (s < 0) iLo = std::max(iLo, CeilDiv(-s * n, ssize));
  if (srcSize - s <= 0) return a;
  iHi = std::min(iHi, CeilDiv((srcSize - s) * n, ssize));
  if (iHi <= iLo) return a;

  a.Src.resize(static_cast<size_t>(iHi - iLo));
  if (dsize > 0) {
    a.Lo = static_cast<int>(d + iLo);
    a.Hi = static_cast<int>(d + iHi);
    for (int64_t i = iLo; i < iHi; ++i)
      a.Src[static_cast<size_t>(i - iLo)] = static_cast<int>(s + i * ssize / n);
  } else {
    a.Lo = static_cast<int>(d - iHi + 1);
    a.Hi = static_cast<int>(d - iLo + 1);
    for (int64_t i = iLo; i < iHi; ++i)
      a.Src[static_cast<size_t>(iHi - 1 - i)] = static_cast<int>(s + i * ssize / n);
  }
  return a;
}

enum class TRun { Forward, Backward, Gather };

TRun RunOf(const TAxis& a) {
  const int first = a.Src.front(), n = a.Size();
  if (a.Src.back() == first + n - 1 && (n < 3 || a.Src[1] == first + 1)) {
    bool forward = true;
    for (int k = 0; k < n && forward; ++k) forward = a.Src[static_cast<size_t>(k)] == first + k;
    if (forward) return TRun::Forward;
  }
  if (a.Src.back() == first - n + 1) {
    bool backward = true;
    for (int k = 0; k < n && backward; ++k) backward = a.Src[static_cast<size_t>(k)] == first - k;
    if (backward) return TRun::Backward;
  }
  return TRun::Gather;
}

}  // namespace

void StretchBlt(TBitmap32& Dest, const TRect& clip, int dx, int dy, int dw, int dh,
                const TBitmap32& Src, int sx, int sy, int sw, int sh) {
  const int cl = std::max(clip.Left, 0), cr = std::min(clip.Right, Dest.Width());
  const int ct = std::max(clip.Top, 0), cb = std::min(clip.Bottom, Dest.Height());
  TAxis ax = MapAxis(dx, dw, sx, sw, cl, cr, Src.Width());
  if (ax.Empty()) return;
  TAxis ay = MapAxis(dy, dh, sy, sh, ct, cb, Src.Height());
  if (ay.Empty()) return;

  const int n = ax.Size();
  const TRun run = RunOf(ax);
  const uint32_t* base = Src.Bits();
  size_t stride = static_cast<size_t>(Src.Width());
  bool inPlace = &Src == &Dest;
  bool bottomUp = false;
  std::vector<uint32_t> aside;
  if (inPlace) {
    // Rows are drawn in the order that never reads a row already drawn; when
    // no order does, the rows read are copied aside first.
    bool readsAbove = true, readsBelow = true;
    for (int k = 0; k < ay.Size(); ++k) {
      const int s = ay.Src[static_cast<size_t>(k)];
      readsAbove = readsAbove && s <= ay.Lo + k;
      readsBelow = readsBelow && s >= ay.Lo + k;
    }
    if (readsAbove) {
      bottomUp = true;
    } else if (!readsBelow) {
      const auto [c0, c1] = std::minmax_element(ax.Src.begin(), ax.Src.end());
      const auto [r0, r1] = std::minmax_element(ay.Src.begin(), ay.Src.end());
      const int cw = *c1 - *c0 + 1;
      aside.resize(static_cast<size_t>(cw) * static_cast<size_t>(*r1 - *r0 + 1));
      for (int r = *r0; r <= *r1; ++r)
        std::memcpy(aside.data() + static_cast<size_t>(r - *r0) * cw, Src.Row(r) + *c0,
                    static_cast<size_t>(cw) * 4);
      const int colShift = *c0, rowShift = *r0;
      for (int& c : ax.Src) c -= colShift;
      for (int& r : ay.Src) r -= rowShift;
      base = aside.data();
      stride = static_cast<size_t>(cw);
      inPlace = false;
    }
  }

  std::vector<uint32_t> line(inPlace && run != TRun::Forward ? static_cast<size_t>(n) : 0);
  const int* col = ax.Src.data();
  const int first = ax.Src.front();
  int lastRow = -1, lastY = -1;
  for (int k = 0; k < ay.Size(); ++k) {
    const int y = bottomUp ? ay.Hi - 1 - k : ay.Lo + k;
    const int row = ay.Src[static_cast<size_t>(y - ay.Lo)];
    const uint32_t* s = base + static_cast<size_t>(row) * stride;
    uint32_t* d = Dest.Row(y) + ax.Lo;
    if (run == TRun::Forward) {
      std::memmove(d, s + first, static_cast<size_t>(n) * 4);
      continue;
    }
    if (!inPlace && row == lastRow && y == lastY + 1) {  // an enlarged row repeats
      std::memcpy(d, Dest.Row(lastY) + ax.Lo, static_cast<size_t>(n) * 4);
      lastY = y;
      continue;
    }
    uint32_t* out = inPlace ? line.data() : d;
    if (run == TRun::Backward) {
      const uint32_t* from = s + first;
      for (int i = 0; i < n; ++i) out[i] = from[-i];
    } else {
      for (int i = 0; i < n; ++i) out[i] = s[col[i]];
    }
    if (inPlace) std::memcpy(d, out, static_cast<size_t>(n) * 4);
    lastRow = row;
    lastY = y;
  }
}

void StretchBlt(TBitmap32& Dest, int dx, int dy, int dw, int dh, const TBitmap32& Src, int sx,
                int sy, int sw, int sh) {
  StretchBlt(Dest, TRect{0, 0, Dest.Width(), Dest.Height()}, dx, dy, dw, dh, Src, sx, sy, sw, sh);
}

void BitBlt(TBitmap32& Dest, int dx, int dy, int w, int h, const TBitmap32& Src, int sx, int sy) {
  if (w <= 0 || h <= 0) return;
  StretchBlt(Dest, dx, dy, w, h, Src, sx, sy, w, h);
}

}  // namespace qv
