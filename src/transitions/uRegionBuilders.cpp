#include "transitions/uRegionBuilders.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "common/Random.h"

namespace qv {

void TComplexRegion::Clear() {
  std::vector<TRect>().swap(rects_);
  capacity_ = 0;
  bounds_ = TRect{INT_MAX, INT_MAX, -INT_MAX, -INT_MAX};
}

void TComplexRegion::AddRect(int Left, int Top, int Right, int Bottom) {
  if (Count() == capacity_) {
    capacity_ += 500;
    rects_.reserve(static_cast<size_t>(capacity_));
  }
  rects_.push_back(TRect{Left, Top, Right, Bottom});
  bounds_.Left = std::min(bounds_.Left, Left);
  bounds_.Top = std::min(bounds_.Top, Top);
  bounds_.Right = std::max(bounds_.Right, Right);
  bounds_.Bottom = std::max(bounds_.Bottom, Bottom);
}

std::optional<TRegion> TComplexRegion::CreateRegion() const {
  if (capacity_ == 0) return std::nullopt;
  return TRegion::FromRects(rects_);
}

namespace {

// The strips of one direction, written along u (the direction they fill) and
// v (the direction they are stacked in); `add` takes (u0, v0, u1, v1).
template <typename Add>
void Bars(int P, int U, int V, int kind, int e, Add add) {
  if (kind == 0) return;
  if (P <= U) {
    for (int f = 0; f < V + e; f += 2 * e) {
      if (kind == 1 || kind == 5) add(U - P, f, U, f + e);
      if (kind == 2 || kind == 4) add(0, f, P, f + e);
      if (kind == 3) {
        add(0, f + e, P, f + 2 * e);
        add(U - P, f, U, f + e);
      }
    }
  } else {
    for (int f = e; f < V + e; f += 2 * e) {
      add(0, f - e, U, f);
      if (kind == 1 || kind == 4) add(2 * U - P, f, U, f + e);
      if (kind == 2 || kind == 5) add(0, f, P - U, f + e);
    }
  }
}

template <typename Add>
void Shreds(int P, int U, int V, int kind, int e, int extra, Add add) {
  if (kind == 0) return;
  // No progress, no ragged edge: the first frame keeps the old picture.
  const int l = P > 0 && P < U ? U / 10 : 0;
  TRandomBatch batch;  // one draw per strip
  for (int o = 0; o < V; o += e) {
    const int r = static_cast<int>(Random(static_cast<uint32_t>(2 * l))) + P - l;
    const int half = r / 2, m = U / 2;
    const int v0 = o, v1 = o + e + extra;
    switch (kind) {
      case 1: add(U - r, v0, U, v1); break;
      case 2: add(0, v0, r, v1); break;
      case 3:
        add(m - half, v0, m, v1);
        add(m, v0, m + half, v1);
        break;
      case 4:
        add(U - half, v0, U, v1);
        add(0, v0, half, v1);
        break;
      default: break;
    }
  }
}

template <typename Add>
void Speckles(int P, int U, int V, int kind, Add add) {
  if (kind == 0) return;
  const int g = P > 0 && P < U ? U / 10 : 0;
  const int s = std::max(g / 20, 2);
  const int c = g / s, n = (3 * g) / (4 * s);
  TRandomBatch batch;  // thousands of draws a frame
  for (int t = 0; t < V; t += s / 2) {
    if (kind == 1) add(U - P, t, U, t + s);
    if (kind == 2) add(0, t, P, t + s);
    for (int i = c; i >= 1; --i) {
      const uint32_t r = Random(static_cast<uint32_t>(i));
      if (!(i <= n ? r <= 1 : r == 0)) continue;
      if (kind == 1) add(U - P - s * i, t, U - P - s * i + s, t + s);
      if (kind == 2) add(P + s * i - s, t, P + s * i, t + s);
    }
  }
}

// Runs the horizontal pattern (strips stacked down the rows, filling along x)
// and then the vertical one (strips across the columns, filling along y).
template <typename Pattern>
std::optional<TRegion> Build(int XP, int YP, int W, int H, int HKind, int VKind, Pattern pattern) {
  TComplexRegion builder;
  pattern(XP, W, H, HKind, true,
          [&](int u0, int v0, int u1, int v1) { builder.AddRect(u0, v0, u1, v1); });
  pattern(YP, H, W, VKind, false,
          [&](int u0, int v0, int u1, int v1) { builder.AddRect(v0, u0, v1, u1); });
  return builder.CreateRegion();
}

}  // namespace

std::optional<TRegion> BarsRegion(int XP, int YP, int W, int H, int HKind, int VKind) {
  const int e = std::min(W, H) / 50 + 1;
  return Build(XP, YP, W, H, HKind, VKind,
               [e](int P, int U, int V, int kind, bool, auto add) { Bars(P, U, V, kind, e, add); });
}

std::optional<TRegion> ShredRegion(int XP, int YP, int W, int H, int HKind, int VKind) {
  const int e = std::min(W, H) / 200 + 1;
  const int gh = H % e, gw = W % e;
  return Build(XP, YP, W, H, HKind, VKind, [=](int P, int U, int V, int kind, bool horizontal, auto add) {
    Shreds(P, U, V, kind, e, horizontal ? gh : gw, add);
  });
}

std::optional<TRegion> SpeckleRegion(int XP, int YP, int W, int H, int HKind, int VKind) {
  return Build(XP, YP, W, H, HKind, VKind,
               [](int P, int U, int V, int kind, bool, auto add) { Speckles(P, U, V, kind, add); });
}

TRegion PolygonRegion(std::span<const TPoint> points) { return TRegion::Polygon(points); }

TRegion PolygonRegion(std::span<const int> coords) {
  std::vector<TPoint> points(coords.size() / 2);
  for (size_t i = 0; i < points.size(); ++i) points[i] = TPoint{coords[2 * i], coords[2 * i + 1]};
  return TRegion::Polygon(points);
}

void RotatePoints(std::span<TPoint> points, int CX, int CY, double Angle) {
  const double c = std::cos(Angle), s = std::sin(Angle);
  for (TPoint& p : points) {
    const double dx = p.X - CX, dy = p.Y - CY;
    p.X = CX + static_cast<int>(std::nearbyint(c * dx - s * dy));
    p.Y = CY + static_cast<int>(std::nearbyint(s * dx + c * dy));
  }
}

}  // namespace qv
