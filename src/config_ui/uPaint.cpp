#include "config_ui/uPaint.h"

#include <algorithm>
#include <cstdlib>

namespace qv {

void TPainter::Fill(const TRect& r, TColor color) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Fill;
  op.rect = r;
  op.color = color;
  list_.push_back(std::move(op));
}

void TPainter::Frame(const TRect& r, TColor pen, int penWidth) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Frame;
  op.rect = r;
  op.color = pen;
  op.penWidth = penWidth;
  list_.push_back(std::move(op));
}

void TPainter::Rectangle(const TRect& r, TColor pen, TColor brush, int penWidth) {
  Fill(r, brush);
  Frame(r, pen, penWidth);
}

void TPainter::Line(int x1, int y1, int x2, int y2, TColor pen, int penWidth) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Line;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.color = pen;
  op.penWidth = penWidth;
  list_.push_back(std::move(op));
}

void TPainter::Pixel(int x, int y, TColor color) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Pixel;
  op.x1 = x;
  op.y1 = y;
  op.color = color;
  list_.push_back(std::move(op));
}

void TPainter::Picture(int x, int y, const TBitmap32& picture, const TRect& clip) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Picture;
  op.x1 = x;
  op.y1 = y;
  op.picture = &picture;
  op.rect = clip;
  list_.push_back(std::move(op));
}

void TPainter::Text(const TRect& r, const std::string& text, const TFont& font, TColor color, unsigned align) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::Text;
  op.rect = r;
  op.text = text;
  op.font = font;
  op.color = color;
  op.align = align;
  list_.push_back(std::move(op));
}

void TPainter::Ellipse(const TRect& r, TColor pen, int penWidth, TColor brush, bool noBrush) {
  RoundRect(r, r.Width(), r.Height(), pen, penWidth, brush, noBrush);
  list_.back().kind = TPaintOp::TKind::Ellipse;
}

void TPainter::RoundRect(const TRect& r, int cornerW, int cornerH, TColor pen, int penWidth, TColor brush,
                         bool noBrush) {
  TPaintOp op;
  op.kind = TPaintOp::TKind::RoundRect;
  op.rect = r;
  op.x2 = cornerW;
  op.y2 = cornerH;
  op.color = pen;
  op.penWidth = penWidth;
  op.brush = brush;
  op.noBrush = noBrush;
  list_.push_back(std::move(op));
}

namespace {

// Whether the pixel (x, y) lies inside the rectangle with corners rounded by
// ellipses cw by ch across (an ellipse when they are the rectangle's size).
bool InsideRounded(const TRect& r, int cw, int ch, int x, int y) {
  if (x < r.Left || y < r.Top || x >= r.Right || y >= r.Bottom) return false;
  cw = std::min(cw, r.Width());
  ch = std::min(ch, r.Height());
  if (cw <= 0 || ch <= 0) return true;
  // The pixel's centre against the nearest corner ellipse.
  const double px = x + 0.5, py = y + 0.5, rx = cw / 2.0, ry = ch / 2.0;
  double cx = px, cy = py;
  if (px < r.Left + rx) cx = r.Left + rx;
  else if (px > r.Right - rx) cx = r.Right - rx;
  if (py < r.Top + ry) cy = r.Top + ry;
  else if (py > r.Bottom - ry) cy = r.Bottom - ry;
  const double dx = (px - cx) / rx, dy = (py - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

class TTarget {
 public:
  TTarget(TBitmap32& bitmap, int dx, int dy) : b_(bitmap), dx_(dx), dy_(dy) {}

  void Rect(int left, int top, int right, int bottom, uint32_t pixel) {
    left = std::max(left + dx_, 0);
    top = std::max(top + dy_, 0);
    right = std::min(right + dx_, b_.Width());
    bottom = std::min(bottom + dy_, b_.Height());
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) std::fill(b_.Row(y) + left, b_.Row(y) + right, pixel);
  }
  // A pen of width w centred on (x, y).
  void Dot(int x, int y, int w, uint32_t pixel) { Rect(x - w / 2, y - w / 2, x - w / 2 + w, y - w / 2 + w, pixel); }

  void Picture(const TBitmap32& picture, int x, int y, const TRect& clip) {
    TRect area{x + dx_, y + dy_, x + dx_ + picture.Width(), y + dy_ + picture.Height()};
    if (!clip.IsEmpty()) {
      area.Left = std::max(area.Left, clip.Left + dx_);
      area.Top = std::max(area.Top, clip.Top + dy_);
      area.Right = std::min(area.Right, clip.Right + dx_);
      area.Bottom = std::min(area.Bottom, clip.Bottom + dy_);
    }
    area.Left = std::max(area.Left, 0);
    area.Top = std::max(area.Top, 0);
    area.Right = std::min(area.Right, b_.Width());
    area.Bottom = std::min(area.Bottom, b_.Height());
    for (int ty = area.Top; ty < area.Bottom; ++ty) {
      const uint32_t* src = picture.Row(ty - y - dy_);
      uint32_t* dst = b_.Row(ty);
      for (int tx = area.Left; tx < area.Right; ++tx) {
        const uint32_t p = src[tx - x - dx_];
        if (p >> 24) dst[tx] = p | 0xFF000000u;
      }
    }
  }

 private:
  TBitmap32& b_;
  int dx_, dy_;
};

void Line(TTarget& t, const TPaintOp& op, uint32_t pixel) {
  int x = op.x1, y = op.y1;
  const int ex = op.x2, ey = op.y2;
  const int sx = x < ex ? 1 : -1, sy = y < ey ? 1 : -1;
  const int ax = std::abs(ex - x), ay = std::abs(ey - y);
  int err = ax - ay;
  while (x != ex || y != ey) {
    t.Dot(x, y, op.penWidth, pixel);
    const int e2 = 2 * err;
    if (e2 > -ay) {
      err -= ay;
      x += sx;
    }
    if (e2 < ax) {
      err += ax;
      y += sy;
    }
  }
}

}  // namespace

void PaintTo(const TPaintList& list, TBitmap32& target, int dx, int dy) {
  TTarget t(target, dx, dy);
  for (const TPaintOp& op : list) {
    const uint32_t pixel = ColorToPixel(op.color);
    const TRect& r = op.rect;
    switch (op.kind) {
      case TPaintOp::TKind::Fill: t.Rect(r.Left, r.Top, r.Right, r.Bottom, pixel); break;
      case TPaintOp::TKind::Frame: {
        if (r.IsEmpty() || op.penWidth < 1) break;
        const int w = op.penWidth, before = w / 2;
        const int l = r.Left - before, tp = r.Top - before, rr = r.Right - 1 - before, b = r.Bottom - 1 - before;
        t.Rect(l, tp, rr + w, tp + w, pixel);  // top
        t.Rect(l, b, rr + w, b + w, pixel);    // bottom
        t.Rect(l, tp, l + w, b + w, pixel);    // left
        t.Rect(rr, tp, rr + w, b + w, pixel);  // right
        break;
      }
      case TPaintOp::TKind::Line:
        if (op.penWidth >= 1) Line(t, op, pixel);
        break;
      case TPaintOp::TKind::Pixel: t.Rect(op.x1, op.y1, op.x1 + 1, op.y1 + 1, pixel); break;
      case TPaintOp::TKind::Picture:
        if (op.picture) t.Picture(*op.picture, op.x1, op.y1, r);
        break;
      case TPaintOp::TKind::Text: break;
      case TPaintOp::TKind::Ellipse:
      case TPaintOp::TKind::RoundRect: {
        const bool ellipse = op.kind == TPaintOp::TKind::Ellipse;
        const int w = std::max(op.penWidth, 0);
        const TRect inner{r.Left + w, r.Top + w, r.Right - w, r.Bottom - w};
        const int cw = ellipse ? r.Width() : op.x2, ch = ellipse ? r.Height() : op.y2;
        const int icw = ellipse ? inner.Width() : std::max(cw - 2 * w, 0);
        const int ich = ellipse ? inner.Height() : std::max(ch - 2 * w, 0);
        const uint32_t brush = ColorToPixel(op.brush);
        for (int y = r.Top; y < r.Bottom; ++y)
          for (int x = r.Left; x < r.Right; ++x) {
            if (!InsideRounded(r, cw, ch, x, y)) continue;
            if (InsideRounded(inner, icw, ich, x, y)) {
              if (!op.noBrush) t.Rect(x, y, x + 1, y + 1, brush);
            } else {
              t.Rect(x, y, x + 1, y + 1, pixel);
            }
          }
        break;
      }
    }
  }
}

}  // namespace qv
