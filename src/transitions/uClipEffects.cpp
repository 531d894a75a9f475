#include "transitions/uClipEffects.h"

#include <algorithm>
#include <array>
#include <numbers>
#include <utility>

#include "common/MulDiv.h"
#include "common/Random.h"
#include "transitions/uRegionBuilders.h"

namespace qv {

namespace {

using TShape = std::optional<TRegion>;

TRegion Tri(TPoint a, TPoint b, TPoint c) {
  const TPoint points[] = {a, b, c};
  return PolygonRegion(std::span<const TPoint>(points));
}

TRegion Quad(TPoint a, TPoint b, TPoint c, TPoint d) {
  const TPoint points[] = {a, b, c, d};
  return PolygonRegion(std::span<const TPoint>(points));
}

TRegion Full(int W, int H) { return TRegion(TRect{0, 0, W, H}); }

TShape Intersection(TShape a, const TShape& b) {
  if (!a || !b) return std::nullopt;
  a->Intersect(*b);
  return a;
}

// Curved and elliptic edges.
TShape CurvedEdge(int n, int W, int H, int X, int Y) {
  switch (n) {
    case 61: return TRegion::RoundRect(-2 * W, 0, 2 * X, H + 1, 2 * W, 2 * W);
    case 62: return TRegion::RoundRect(W - 2 * X, 0, 3 * W, H + 1, 2 * W, 2 * W);
    case 72: return TRegion::RoundRect(0, -2 * H, W + 1, 2 * Y, 2 * H, 2 * H);
    case 73: return TRegion::RoundRect(0, H - 2 * Y, W + 1, 3 * H, 2 * H, 2 * H);
    case 83: return TRegion::RoundRect(-W, -H, 3 * X / 2, 3 * Y / 2, 2 * W, 2 * H);
    case 84: return TRegion::RoundRect(W - 3 * X / 2, -H, 2 * W, 3 * Y / 2, 2 * W, 2 * H);
    case 85: return TRegion::RoundRect(-W, H - 3 * Y / 2, 3 * X / 2, 2 * H, 2 * W, 2 * H);
    case 86: return TRegion::RoundRect(W - 3 * X / 2, H - 3 * Y / 2, 2 * W, 2 * H, 2 * W, 2 * H);
    case 87: {
      const int c = W / 2, d = H / 2;
      return TRegion::RoundRect(c - X, d - Y, c + X, d + Y, 9 * X / 5, 9 * Y / 5);
    }
    case 88: {
      const int d = W / 2, e = H / 2;
      return Full(W, H).Xor(TRegion::RoundRect(X - d, Y - e, 3 * d - X, 3 * e - Y, 9 * (W - X) / 5,
                                               9 * (H - Y) / 5));
    }
  }
  return std::nullopt;
}

// Bars and criss-crosses: XP and YP as multiples of X and Y, then HKind and VKind.
struct TBars {
  int n, xScale, yScale, hKind, vKind;
};
constexpr TBars kBars[] = {
    {63, 2, 0, 1, 0}, {64, 2, 0, 2, 0}, {65, 2, 0, 4, 0}, {66, 2, 0, 5, 0}, {67, 1, 0, 3, 0},
    {74, 0, 2, 0, 1}, {75, 0, 2, 0, 2}, {76, 0, 2, 0, 4}, {77, 0, 2, 0, 5}, {78, 0, 1, 0, 3},
    {89, 2, 2, 1, 1}, {90, 2, 2, 1, 2}, {91, 2, 2, 2, 1}, {92, 2, 2, 2, 2}, {93, 2, 2, 4, 4},
    {94, 2, 2, 4, 5}, {95, 2, 2, 5, 4}, {96, 2, 2, 5, 5}, {97, 1, 1, 1, 3}, {98, 1, 1, 2, 3},
    {99, 1, 1, 3, 1}, {100, 1, 1, 3, 2}, {101, 1, 1, 3, 3},
};

// Uneven shreds: (HKind, VKind), always with the plain progress.
struct TKinds {
  int n, hKind, vKind;
};
constexpr TKinds kShreds[] = {
    {68, 1, 0},  {69, 2, 0},  {70, 3, 0},  {71, 4, 0},  {79, 0, 1},  {80, 0, 2},  {81, 0, 3},
    {82, 0, 4},  {103, 1, 1}, {104, 1, 2}, {105, 2, 1}, {106, 2, 2}, {107, 1, 3}, {108, 2, 3},
    {109, 3, 1}, {110, 3, 2}, {111, 3, 3}, {112, 4, 4},
};
constexpr TKinds kSpeckles[] = {{125, 1, 0}, {126, 2, 0}, {127, 0, 1}, {128, 0, 2}};

TShape Triangles(int n, int W, int H, int X, int Y, int Percent) {
  switch (n) {
    case 113: return Tri({0, 0}, {2 * X, 0}, {0, 2 * Y});
    case 114: return Tri({W, 0}, {W - 2 * X, 0}, {W, 2 * Y});
    case 115: return Tri({0, H}, {2 * X, H}, {0, H - 2 * Y});
    case 116: return Tri({W, H}, {W - 2 * X, H}, {W, H - 2 * Y});
    case 117: return Tri({0, H}, {0, 0}, {X, H}).Union(Tri({W, H}, {W, 0}, {W - X, 0}));
    case 118: return Tri({W, 0}, {0, 0}, {W, Y}).Union(Tri({W, H}, {0, H}, {0, H - Y}));
    case 119: {
      const TPoint c{W / 2, H / 2};
      return Tri(c, {0, 0}, {X, 0})
          .Union(Tri(c, {0, H}, {0, H - Y}))
          .Union(Tri(c, {W, H}, {W - X, H}))
          .Union(Tri(c, {W, 0}, {W, Y}));
    }
    case 161: {
      const TPoint c{W / 2, H / 2};
      return Tri(c, {0, 0}, {0, Y})
          .Union(Tri(c, {0, H}, {X, H}))
          .Union(Tri(c, {W, H}, {W, H - Y}))
          .Union(Tri(c, {W, 0}, {W - X, 0}));
    }
    case 120: {
      const int sx = W / 10 + 1, sy = H / 10 + 1;
      const int hw = MulDiv(sx, Percent, 50), hh = MulDiv(sy, Percent, 50);
      TRegion r;
      for (int x = sx; x - sx < W; x += 2 * sx)
        for (int y = sy; y - sy < H + sy; y += 2 * sy)
          r.Union(Tri({x - hw, y - hh}, {x, y + hh}, {x + hw, y - hh}));
      return r;
    }
    case 153: {
      const int c = H / 2;
      return Tri({0, c - Y}, {2 * X, c}, {0, c + Y});
    }
    case 154: {
      const int c = H / 2;
      return Tri({W, c - Y}, {W - 2 * X, c}, {W, c + Y});
    }
    case 155: {
      const int c = W / 2;
      return Tri({c - X, 0}, {c, 2 * Y}, {c + X, 0});
    }
    case 156: {
      const int c = W / 2;
      return Tri({c - X, H}, {c, H - 2 * Y}, {c + X, H});
    }
    case 157: {
      const int c = H / 2;
      return Tri({0, c - Y}, {X, c}, {0, c + Y}).Union(Tri({W, c - Y}, {W - X, c}, {W, c + Y}));
    }
    case 158: {
      const int a = W / 2;
      return Tri({a - X, 0}, {a, 2 * Y}, {a + X, 0}).Union(Tri({a - X, H}, {a, H - 2 * Y}, {a + X, H}));
    }
    case 159:
    case 160: {
      const int a = W / 2, d = H / 2;
      const int p = n == 159 ? X / 2 : (W - X) / 2, q = n == 159 ? Y / 2 : (H - Y) / 2;
      const TRegion parts[] = {Tri({0, d - q}, {p, d}, {0, d + q}), Tri({W, d - q}, {W - p, d}, {W, d + q}),
                               Tri({a - p, 0}, {a, q}, {a + p, 0}), Tri({a - p, H}, {a, H - q}, {a + p, H})};
      TRegion r = n == 159 ? TRegion() : Full(W, H);
      for (const TRegion& part : parts) n == 159 ? r.Union(part) : r.Xor(part);
      return r;
    }
  }
  return std::nullopt;
}

TShape Diamonds(int n, int W, int H, int X, int Y, int Percent) {
  switch (n) {
    case 164: {
      const int s = std::min(W, H) / 10 + 1, b = MulDiv(s, Percent, 50);
      TRegion r;
      for (int x = s; x - s < W; x += 2 * s)
        for (int y = s; y - s < H; y += 2 * s) r.Union(Quad({x - b, y}, {x, y - b}, {x + b, y}, {x, y + b}));
      return r;
    }
    case 165: {
      const int c = W / 2, d = H / 2;
      return Quad({c - X, d}, {c, d - Y}, {c + X, d}, {c, d + Y});
    }
    case 166: {
      const int d = W / 2, e = H / 2;
      return Full(W, H).Xor(Quad({X - d, e}, {d, Y - e}, {3 * d - X, e}, {d, 3 * e - Y}));
    }
    case 167: {
      const int a = W / 2, d = H / 2, p = X / 2, q = Y / 2;
      return Quad({-p, d}, {a, -q}, {2 * a + p, d}, {a, 2 * d + q})
          .Xor(Quad({p, d}, {a, q}, {2 * a - p, d}, {a, 2 * d - q}));
    }
    case 162:
    case 163: {
      // The band is drawn for the horizontal middle and mirrored on the
      // diagonal for the vertical one.
      const bool vertical = n == 163;
      const int U = vertical ? H : W, V = vertical ? W : H, P = vertical ? X : Y;
      const int step = U / 10, amp = V / 10, c = MulDiv(amp, Percent, 100) + P / 2, d = V / 2;
      std::array<TPoint, 24> points;
      for (int k = 0; k <= 11; ++k) {
        points[static_cast<size_t>(k)] = {k * step, k % 2 == 0 ? d - c + amp : d - c - amp};
        points[static_cast<size_t>(23 - k)] = {k * step, k % 2 == 0 ? d + c + amp : d + c - amp};
      }
      if (vertical)
        for (TPoint& p : points) std::swap(p.X, p.Y);
      return PolygonRegion(std::span<const TPoint>(points));
    }
    case 152: {
      const int s = std::min(W, H) / 10 + 1, r = MulDiv(3 * s, Percent, 200);
      TRegion region;
      for (int x = 0; x < W; x += 2 * s)
        for (int y = 0; y < H; y += 2 * s)
          region.Union(TRegion::Ellipse(x + s - r, y + s - r, x + s + r, y + s + r));
      return region;
    }
  }
  return std::nullopt;
}

TShape RandomSquares(int W, int H, int Percent) {
  const int m = std::min(W, H) / 50;
  const int s = m * 2 + 2;
  TComplexRegion builder;
  {
    TRandomStateGuard guard;
    RandSeed = static_cast<uint32_t>((m + 1) * (W + H));
    for (int x = 0; x < W; x += s)
      for (int y = 0; y < H; y += s)
        if (static_cast<int>(Random(100)) < Percent) builder.AddRect(x, y, x + s, y + s);
  }
  return builder.CreateRegion();
}

TShape Blinds(int n, int W, int H, int X, int Y, int Percent) {
  TComplexRegion b;
  switch (n) {
    case 138: {
      const int k = W / 40 + 1, a = MulDiv(k, Percent, 100);
      for (int s = 0; s < W; s += 2 * k) b.AddRect(s + k - a, 0, s + k + a, H);
      break;
    }
    case 139: {
      const int k = H / 40 + 1, a = MulDiv(k, Percent, 100);
      for (int s = 0; s < H; s += 2 * k) b.AddRect(0, s + k - a, W, s + k + a);
      break;
    }
    case 140:
    case 141: {
      if (X == 0) break;
      const int a = MulDiv(X, Percent, 100);
      if (n == 140)
        for (int s = 0; s < W; s += X) b.AddRect(s, 0, s + a, H);
      else
        for (int e = W; e > 0; e -= X) b.AddRect(e - a, 0, e, H);
      break;
    }
    case 142:
    case 143: {
      if (Y == 0) break;
      const int a = MulDiv(Y, Percent, 100);
      if (n == 142)
        for (int s = 0; s < H; s += Y) b.AddRect(0, s, W, s + a);
      else
        for (int e = H; e > 0; e -= Y) b.AddRect(0, e - a, W, e);
      break;
    }
  }
  return b.CreateRegion();
}

TShape Rectangles(int n, int W, int H, int X, int Y, int Percent) {
  TComplexRegion b;
  if (n == 144) {
    const int k = std::min(W, H) / 10 + 1, a = MulDiv(k, Percent, 100);
    for (int x = 0; x < W; x += 2 * k)
      for (int y = 0; y < H; y += 2 * k) b.AddRect(x + k - a, y + k - a, x + k + a, y + k + a);
  } else if (n == 145 || n == 146) {
    const int m = H / 20;
    if (X == 0 || m == 0) return std::nullopt;
    const int a = MulDiv(m, Percent, 100);
    for (int e = -m; e < H; e += 3 * m) b.AddRect(0, e - a, W, e + a);
    const int k = MulDiv(X, Percent, 100);
    if (n == 145)
      for (int s = 0; s < W; s += X) b.AddRect(s, 0, s + k, H);
    else
      for (int e = W; e > 0; e -= X) b.AddRect(e - k, 0, e, H);
  } else {
    const int m = W / 20;
    if (Y == 0 || m == 0) return std::nullopt;
    const int a = MulDiv(m, Percent, 100);
    for (int e = -m; e < W; e += 3 * m) b.AddRect(e - a, 0, e + a, H);
    const int k = MulDiv(Y, Percent, 100);
    if (n == 147)
      for (int s = 0; s < H; s += Y) b.AddRect(0, s, W, s + k);
    else
      for (int e = H; e > 0; e -= Y) b.AddRect(0, e - k, W, e);
  }
  return b.CreateRegion();
}

TShape Rotating(int n, int W, int H, int X, int Y, int Percent) {
  const double angle = Percent * std::numbers::pi / 50;
  const int cx = W / 2, cy = H / 2, p = X / 2, q = Y / 2;
  if (n == 150) {
    std::array<TPoint, 8> star = {TPoint{cx - 2 * X, cy}, {cx - p, cy - q}, {cx, cy - 2 * Y}, {cx + p, cy - q},
                                  {cx + 2 * X, cy},       {cx + p, cy + q}, {cx, cy + 2 * Y}, {cx - p, cy + q}};
    RotatePoints(star, cx, cy, angle);
    return PolygonRegion(std::span<const TPoint>(star));
  }
  std::array<TPoint, 4> rect = {TPoint{cx - p, cy - q}, {cx + p, cy - q}, {cx + p, cy + q}, {cx - p, cy + q}};
  if (n == 149)
    RotatePoints(rect, cx, cy, angle);
  else
    RotatePoints(rect, X, Y, angle);
  return PolygonRegion(std::span<const TPoint>(rect));
}

// The region is built first, on the calling thread: the shreds and speckles
// draw from the shared generator while they build it. Then each band copies
// its rows of New through it.
template <int N>
void ClipEffectBands(const TBandedFrame& f, int W, int H, int X, int Y, int Percent) {
  const std::optional<TRegion> region = ClipEffectRegion(N, W, H, X, Y, Percent);
  f.Bands.Run(std::min(f.Dest.Height(), f.New.Height()), [&](int first, int last) {
    StartRows(f.Dest, f.Old, first, last);
    if (region) CopyThroughRegion(f.Dest, f.New, *region, first, last);
  });
}

constexpr bool IsClipRegionNumber(int n) {
  return (n >= 61 && n <= 120) || (n >= 125 && n <= 129) || (n >= 138 && n <= 167);
}

template <int... I>
constexpr std::array<TEffectProc, sizeof...(I)> MakeProcs(std::integer_sequence<int, I...>) {
  return {IsClipRegionNumber(I) ? &InPlace<ClipEffectBands<I>> : nullptr...};
}

template <int... I>
constexpr std::array<TBandedProc, sizeof...(I)> MakeBandedProcs(std::integer_sequence<int, I...>) {
  return {IsClipRegionNumber(I) ? &ClipEffectBands<I> : nullptr...};
}

constexpr auto kProcs = MakeProcs(std::make_integer_sequence<int, kEffectCount + 1>{});
constexpr auto kBandedProcs = MakeBandedProcs(std::make_integer_sequence<int, kEffectCount + 1>{});

}  // namespace

std::optional<TRegion> ClipEffectRegion(int n, int W, int H, int X, int Y, int Percent) {
  if (!IsClipRegionNumber(n)) return std::nullopt;
  for (const TBars& b : kBars)
    if (b.n == n) {
      const int xp = b.xScale * X, yp = b.yScale * Y;
      return BarsRegion(xp, yp, W, H, b.hKind, b.vKind);
    }
  for (const TKinds& k : kShreds)
    if (k.n == n) return ShredRegion(X, Y, W, H, k.hKind, k.vKind);
  for (const TKinds& k : kSpeckles)
    if (k.n == n) return SpeckleRegion(X, Y, W, H, k.hKind, k.vKind);
  switch (n) {
    case 61: case 62: case 72: case 73: case 83: case 84: case 85: case 86: case 87: case 88:
      return CurvedEdge(n, W, H, X, Y);
    case 102:
      return Intersection(BarsRegion(2 * X, 2 * Y, W, H, 1, 1), BarsRegion(2 * X, 2 * Y, W, H, 2, 2));
    case 129: return RandomSquares(W, H, Percent);
    case 138: case 139: case 140: case 141: case 142: case 143: return Blinds(n, W, H, X, Y, Percent);
    case 144: case 145: case 146: case 147: case 148: return Rectangles(n, W, H, X, Y, Percent);
    case 149: case 150: case 151: return Rotating(n, W, H, X, Y, Percent);
    case 152: case 162: case 163: case 164: case 165: case 166: case 167:
      return Diamonds(n, W, H, X, Y, Percent);
    default: return Triangles(n, W, H, X, Y, Percent);
  }
}

TEffectProc ClipRegionEffect(int number) {
  if (number < 0 || number > kEffectCount) return nullptr;
  return kProcs[static_cast<size_t>(number)];
}

TBandedProc ClipRegionEffectBanded(int number) {
  if (number < 0 || number > kEffectCount) return nullptr;
  return kBandedProcs[static_cast<size_t>(number)];
}

}  // namespace qv
