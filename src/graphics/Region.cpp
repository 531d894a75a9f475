#include "graphics/Region.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace qv {

namespace {

// Collects the spans of a shape row by row, top to bottom, and folds a row
// that repeats the one above into the rectangles already open.
class TSpanRows {
 public:
  void BeginRow(int y) {
    y_ = y;
    row_.clear();
  }
  // Spans arrive left to right and must not overlap.
  void Add(int64_t left, int64_t right) {
    if (left >= right) return;
    left = std::clamp<int64_t>(left, INT32_MIN, INT32_MAX);
    right = std::clamp<int64_t>(right, INT32_MIN, INT32_MAX);
    if (!row_.empty() && row_.back().second >= left) {
      row_.back().second = std::max<int32_t>(row_.back().second, static_cast<int32_t>(right));
      return;
    }
    row_.emplace_back(static_cast<int32_t>(left), static_cast<int32_t>(right));
  }
  void EndRow() {
    if (row_.empty()) return;
    const size_t prevCount = boxes_.size() - prevStart_;
    if (prevCount == row_.size() && prevCount > 0 && boxes_[prevStart_].y2 == y_) {
      bool same = true;
      for (size_t i = 0; i < prevCount && same; ++i)
        same = boxes_[prevStart_ + i].x1 == row_[i].first && boxes_[prevStart_ + i].x2 == row_[i].second;
      if (same) {
        for (size_t i = prevStart_; i < boxes_.size(); ++i) boxes_[i].y2 = y_ + 1;
        return;
      }
    }
    prevStart_ = boxes_.size();
    for (auto [l, r] : row_) boxes_.push_back({l, y_, r, y_ + 1});
  }
  std::vector<pixman_box32_t>& Boxes() { return boxes_; }

 private:
  int y_ = 0;
  std::vector<std::pair<int32_t, int32_t>> row_;
  std::vector<pixman_box32_t> boxes_;
  size_t prevStart_ = 0;
};

int64_t CeilDiv(int64_t num, int64_t den) {  // den > 0
  return num >= 0 ? (num + den - 1) / den : -((-num) / den);
}

int64_t FloorDiv(int64_t num, int64_t den) {  // den > 0
  return num >= 0 ? num / den : -((-num + den - 1) / den);
}

// The largest d >= 0 with (d / ew)^2 + (dy / eh)^2 < 1, for 0 <= dy < eh.
int64_t EllipseHalfWidth(int64_t ew, int64_t eh, int64_t dy) {
  using i128 = __int128;
  const i128 limit = i128(ew) * ew * (i128(eh) * eh - i128(dy) * dy);
  auto inside = [&](int64_t d) { return i128(d) * d * (i128(eh) * eh) < limit; };
  const double q = static_cast<double>(dy) / static_cast<double>(eh);
  int64_t d = static_cast<int64_t>(static_cast<double>(ew) * std::sqrt(std::max(0.0, 1.0 - q * q)));
  while (d > 0 && !inside(d)) --d;
  while (inside(d + 1)) ++d;
  return d;
}

}  // namespace

TRegion::TRegion() { pixman_region32_init(&region_); }

TRegion::TRegion(const TRect& rect) {
  if (rect.IsEmpty())
    pixman_region32_init(&region_);
  else
    pixman_region32_init_rect(&region_, rect.Left, rect.Top, static_cast<unsigned>(rect.Width()),
                              static_cast<unsigned>(rect.Height()));
}

TRegion::~TRegion() { pixman_region32_fini(&region_); }

TRegion::TRegion(const TRegion& other) {
  pixman_region32_init(&region_);
  pixman_region32_copy(&region_, &other.region_);
}

TRegion::TRegion(TRegion&& other) noexcept : TRegion() {
  std::swap(region_, other.region_);
}

TRegion& TRegion::operator=(const TRegion& other) {
  if (this != &other) pixman_region32_copy(&region_, &other.region_);
  return *this;
}

TRegion& TRegion::operator=(TRegion&& other) noexcept {
  std::swap(region_, other.region_);
  return *this;
}

TRegion TRegion::FromBoxes(const std::vector<pixman_box32_t>& boxes) {
  TRegion region;
  if (boxes.empty()) return region;
  pixman_region32_fini(&region.region_);
  if (!pixman_region32_init_rects(&region.region_, boxes.data(), static_cast<int>(boxes.size()))) {
    pixman_region32_fini(&region.region_);
    pixman_region32_init(&region.region_);
    throw std::bad_alloc();
  }
  return region;
}

TRegion TRegion::FromRects(std::span<const TRect> rects) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(rects.size());
  for (const TRect& r : rects)
    if (!r.IsEmpty()) boxes.push_back({r.Left, r.Top, r.Right, r.Bottom});
  return FromBoxes(boxes);
}

TRegion TRegion::Polygon(std::span<const TPoint> points) {
  struct TEdge {
    int64_t x0, y0, x1, y1;
    int top, bottom, dir;
  };
  std::vector<TEdge> edges;
  int top = INT32_MAX, bottom = INT32_MIN;
  for (size_t i = 0; i < points.size(); ++i) {
    const TPoint a = points[i], b = points[(i + 1) % points.size()];
    if (a.Y == b.Y) continue;  // a horizontal edge never passes through a pixel centre
    edges.push_back({a.X, a.Y, b.X, b.Y, std::min(a.Y, b.Y), std::max(a.Y, b.Y), b.Y > a.Y ? 1 : -1});
    top = std::min(top, std::min(a.Y, b.Y));
    bottom = std::max(bottom, std::max(a.Y, b.Y));
  }
  TSpanRows rows;
  std::vector<std::pair<int64_t, int>> crossings;
  for (int y = top; y < bottom; ++y) {
    crossings.clear();
    for (const TEdge& e : edges) {
      if (y < e.top || y >= e.bottom) continue;
      // The first pixel whose centre lies at or right of the edge on row y,
      // whose centre line is y + 1/2.
      int64_t den = 2 * (e.y1 - e.y0);
      int64_t num = 2 * e.x0 * (e.y1 - e.y0) + (2 * int64_t{y} + 1 - 2 * e.y0) * (e.x1 - e.x0) -
                    (e.y1 - e.y0);
      if (den < 0) num = -num, den = -den;
      crossings.emplace_back(CeilDiv(num, den), e.dir);
    }
    std::sort(crossings.begin(), crossings.end());
    rows.BeginRow(y);
    int winding = 0;
    int64_t start = 0;
    for (auto [x, dir] : crossings) {
      const int before = winding;
      winding += dir;
      if (before == 0 && winding != 0) start = x;
      if (before != 0 && winding == 0) rows.Add(start, x);
    }
    rows.EndRow();
  }
  return FromBoxes(rows.Boxes());
}

TRegion TRegion::Ellipse(int left, int top, int right, int bottom) {
  return RoundRect(left, top, right, bottom, right - left, bottom - top);
}

TRegion TRegion::RoundRect(int left, int top, int right, int bottom, int ew, int eh) {
  if (right <= left || bottom <= top) return TRegion();
  const int64_t w = int64_t{right} - left, h = int64_t{bottom} - top;
  const int64_t cw = std::min<int64_t>(std::llabs(ew), w), ch = std::min<int64_t>(std::llabs(eh), h);
  if (cw < 2 || ch < 2) return TRegion(TRect{left, top, right, bottom});
  // Doubled coordinates keep the corner centres and pixel centres whole:
  // pixel x has its centre at 2x + 1.
  const int64_t cl = 2 * int64_t{left} + cw, cr = 2 * int64_t{right} - cw;
  const int64_t ct = 2 * int64_t{top} + ch, cb = 2 * int64_t{bottom} - ch;
  TSpanRows rows;
  for (int y = top; y < bottom; ++y) {
    const int64_t yc = 2 * int64_t{y} + 1;
    const int64_t dy = yc < ct ? ct - yc : yc > cb ? yc - cb : 0;
    rows.BeginRow(y);
    if (dy == 0) {
      rows.Add(left, right);
    } else {
      const int64_t d = EllipseHalfWidth(cw, ch, dy);
      rows.Add(CeilDiv(cl - d - 1, 2), FloorDiv(cr + d - 1, 2) + 1);
    }
    rows.EndRow();
  }
  return FromBoxes(rows.Boxes());
}

TRegion& TRegion::Union(const TRegion& other) {
  pixman_region32_union(&region_, &region_, &other.region_);
  return *this;
}

TRegion& TRegion::Intersect(const TRegion& other) {
  pixman_region32_intersect(&region_, &region_, &other.region_);
  return *this;
}

TRegion& TRegion::Xor(const TRegion& other) {
  pixman_region32_t both, either;
  pixman_region32_init(&both);
  pixman_region32_init(&either);
  pixman_region32_intersect(&both, &region_, &other.region_);
  pixman_region32_union(&either, &region_, &other.region_);
  pixman_region32_subtract(&region_, &either, &both);
  pixman_region32_fini(&either);
  pixman_region32_fini(&both);
  return *this;
}

TRegion& TRegion::Offset(int dx, int dy) {
  pixman_region32_translate(&region_, dx, dy);
  return *this;
}

bool TRegion::IsEmpty() const { return !pixman_region32_not_empty(&region_); }

TRect TRegion::Bounds() const {
  if (IsEmpty()) return TRect{};
  const pixman_box32_t* e = pixman_region32_extents(&region_);
  return TRect{e->x1, e->y1, e->x2, e->y2};
}

bool TRegion::Contains(int x, int y) const {
  return pixman_region32_contains_point(&region_, x, y, nullptr);
}

int64_t TRegion::Area() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region_, &n);
  int64_t area = 0;
  for (int i = 0; i < n; ++i)
    area += (int64_t{boxes[i].x2} - boxes[i].x1) * (int64_t{boxes[i].y2} - boxes[i].y1);
  return area;
}

std::vector<TRect> TRegion::Rects() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region_, &n);
  std::vector<TRect> rects;
  rects.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rects.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  return rects;
}

bool operator==(const TRegion& a, const TRegion& b) {
  return pixman_region32_equal(&a.region_, &b.region_);
}

void CopyThroughRegion(TBitmap32& Dest, const TBitmap32& Src, const TRegion& region) {
  CopyThroughRegion(Dest, Src, region, 0, std::min(Dest.Height(), Src.Height()));
}

void CopyThroughRegion(TBitmap32& Dest, const TBitmap32& Src, const TRegion& region, int firstRow, int lastRow) {
  const int w = std::min(Dest.Width(), Src.Width());
  const int top = std::max(firstRow, 0), bottom = std::min({lastRow, Dest.Height(), Src.Height()});
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(region.Handle(), &n);
  for (int i = 0; i < n; ++i) {
    // The boxes come in bands from the top down.
    if (boxes[i].y1 >= bottom) break;
    const int x1 = std::max(boxes[i].x1, 0), x2 = std::min(boxes[i].x2, w);
    const int y1 = std::max(boxes[i].y1, top), y2 = std::min(boxes[i].y2, bottom);
    if (x1 >= x2) continue;
    const size_t bytes = static_cast<size_t>(x2 - x1) * sizeof(uint32_t);
    for (int y = y1; y < y2; ++y) std::memcpy(Dest.Row(y) + x1, Src.Row(y) + x1, bytes);
  }
}

}  // namespace qv
