// Pixel regions for clipping: unions of rectangles, filled polygons, ellipses
// and rounded rectangles, their set operations, and copying a picture through one.
#pragma once
#include <pixman.h>

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/Rect.h"

namespace qv {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// A set of pixels. Shapes are rasterised by their pixel centres: a pixel belongs
// to a polygon when its centre is inside, or on a left edge (right and bottom
// edges excluded); it belongs to an ellipse or a rounded rectangle when its
// centre lies strictly inside the curve. A rectangle given with right < left or
// bottom < top is empty.
class TRegion {
 public:
  TRegion();
  explicit TRegion(const TRect& rect);
  ~TRegion();
  TRegion(const TRegion& other);
  TRegion(TRegion&& other) noexcept;
  TRegion& operator=(const TRegion& other);
  TRegion& operator=(TRegion&& other) noexcept;

  // The union of the rectangles, which may overlap and come in any order.
  static TRegion FromRects(std::span<const TRect> rects);
  // The filled polygon through the points, with the winding (nonzero) rule.
  static TRegion Polygon(std::span<const TPoint> points);
  // The ellipse inscribed in the rectangle.
  static TRegion Ellipse(int left, int top, int right, int bottom);
  // The rectangle with corners rounded by an ellipse ew wide and eh high,
  // each limited to the rectangle's size; below 2 the corners stay square.
  static TRegion RoundRect(int left, int top, int right, int bottom, int ew, int eh);

  TRegion& Union(const TRegion& other);
  TRegion& Intersect(const TRegion& other);
  TRegion& Xor(const TRegion& other);
  TRegion& Offset(int dx, int dy);

  bool IsEmpty() const;
  // The smallest rectangle holding the region; all zero when it is empty.
  TRect Bounds() const;
  bool Contains(int x, int y) const;
  int64_t Area() const;
  // Disjoint rectangles, banded top to bottom and left to right.
  std::vector<TRect> Rects() const;

  friend bool operator==(const TRegion& a, const TRegion& b);

  const pixman_region32_t* Handle() const { return &region_; }

 private:
  static TRegion FromBoxes(const std::vector<pixman_box32_t>& boxes);
  pixman_region32_t region_;
};

// Copies the pixels of Src inside the region, clipped to Dest and Src, to the
// same places in Dest; the second form only those of rows [firstRow, lastRow).
void CopyThroughRegion(TBitmap32& Dest, const TBitmap32& Src, const TRegion& region);
void CopyThroughRegion(TBitmap32& Dest, const TBitmap32& Src, const TRegion& region, int firstRow, int lastRow);

}  // namespace qv
