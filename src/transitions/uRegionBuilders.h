// The region builders the clip-region effects share: a collector of many
// rectangles, the bar, shred and speckle patterns built on it, polygons, and
// the point rotation of the turning shapes.
#pragma once
#include <optional>
#include <span>
#include <vector>

#include "graphics/Rect.h"
#include "graphics/Region.h"

namespace qv {

// Collects rectangles (half-open, possibly overlapping or reaching outside the
// picture) and makes their union in one step.
class TComplexRegion {
 public:
  TComplexRegion() { Clear(); }

  void Clear();
  void AddRect(int Left, int Top, int Right, int Bottom);
  // No region when nothing was ever added; the builder stays usable.
  std::optional<TRegion> CreateRegion() const;

  int Count() const { return static_cast<int>(rects_.size()); }
  // Grows by 500 rectangles whenever it is full.
  int Capacity() const { return capacity_; }
  // Left = Top = 2147483647 and Right = Bottom = -2147483647 while empty.
  const TRect& Bounds() const { return bounds_; }
  std::span<const TRect> Rects() const { return rects_; }

 private:
  std::vector<TRect> rects_;
  int capacity_ = 0;
  TRect bounds_;
};

// The patterns of strips that fill a W x H picture as the progress grows. XP
// and YP measure the horizontal and vertical progress; HKind selects the
// pattern of horizontal strips and VKind that of vertical strips (0 = none).
// Kinds: 1 from the far edge (right, bottom), 2 from the near edge (left,
// top), 3 from both in one pass (bars) or from the middle (shreds), 4 near
// then far ("bounce") for bars or in from both sides for shreds, 5 far then
// near for bars.
std::optional<TRegion> BarsRegion(int XP, int YP, int W, int H, int HKind, int VKind);
// Ragged strips; draws from the running shared generator, so the edge is new
// in every frame.
std::optional<TRegion> ShredRegion(int XP, int YP, int W, int H, int HKind, int VKind);
// A solid part with a fringe of random blocks (running generator).
std::optional<TRegion> SpeckleRegion(int XP, int YP, int W, int H, int HKind, int VKind);

// The polygon through x0, y0, x1, y1, ..., filled with the winding rule.
TRegion PolygonRegion(std::span<const int> coords);
TRegion PolygonRegion(std::span<const TPoint> points);

// Turns every point about (CX, CY) by Angle radians (clockwise on screen, as y
// grows downwards); each coordinate is rounded to nearest, halves to even.
void RotatePoints(std::span<TPoint> points, int CX, int CY, double Angle);

}  // namespace qv
