#include "graphics/Bitmap32.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/Resampler.h"
#include "graphics/uStretchBlt.h"

namespace qv {

namespace {

// (v * a + 127) / 255 without the division, exact for 0..255 * 0..255.
inline uint32_t MulDiv255(uint32_t v, uint32_t a) {
  uint32_t t = v * a + 128;
  return (t + (t >> 8)) >> 8;
}

// Mixes src over dst with the opacity a (0..255); the result's alpha is that
// of src laid over dst.
inline uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a) {
  if (a == 255) return src;
  if (a == 0) return dst;
  uint32_t na = 255 - a;
  uint32_t b = MulDiv255(src & 0xFF, a) + MulDiv255(dst & 0xFF, na);
  uint32_t g = MulDiv255((src >> 8) & 0xFF, a) + MulDiv255((dst >> 8) & 0xFF, na);
  uint32_t r = MulDiv255((src >> 16) & 0xFF, a) + MulDiv255((dst >> 16) & 0xFF, na);
  uint32_t alpha = a + MulDiv255(dst >> 24, na);
  return (std::min(alpha, 255u) << 24) | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) |
         std::min(b, 255u);
}

}  // namespace

TBitmap32::TBitmap32(int width, int height) { SetSize(width, height); }

void TBitmap32::SetSize(int width, int height) {
  if (width == 0 && height == 0) {
    width_ = height_ = 0;
    bits_.clear();
    bits_.shrink_to_fit();
    return;
  }
  if (!PictureSizeAllowed(width, height))
    throw EQVError("Bitmap size " + std::to_string(width) + "x" + std::to_string(height) +
                   " is not allowed");
  std::vector<uint32_t> bits(static_cast<size_t>(width) * height, 0u);
  bits_.swap(bits);
  width_ = width;
  height_ = height;
}

void TBitmap32::Reshape(int width, int height) {
  if (width == width_ && height == height_) return;
  if ((width != 0 || height != 0) && !PictureSizeAllowed(width, height))
    throw EQVError("Bitmap size " + std::to_string(width) + "x" + std::to_string(height) + " is not allowed");
  bits_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  width_ = width;
  height_ = height;
}

void TBitmap32::Assign(const TBitmap32& from) {
  if (this == &from) return;
  width_ = from.width_;
  height_ = from.height_;
  bits_.assign(from.bits_.begin(), from.bits_.end());
}

void TBitmap32::Clear(uint32_t color) { std::fill(bits_.begin(), bits_.end(), color); }

void TBitmap32::DrawTo(TBitmap32& dst, int x, int y) const {
  // Clip in 64 bits so offsets far outside either bitmap cannot overflow.
  int64_t x0 = std::max<int64_t>(0, x), y0 = std::max<int64_t>(0, y);
  int64_t x1 = std::min<int64_t>(dst.width_, int64_t{x} + width_);
  int64_t y1 = std::min<int64_t>(dst.height_, int64_t{y} + height_);
  if (x0 >= x1 || y0 >= y1) return;
  const int w = static_cast<int>(x1 - x0);
  const int sx = static_cast<int>(x0 - x);
  const bool copy = masterAlpha_ == 255 && drawMode_ == TDrawMode::Opaque;
  for (int64_t dy = y0; dy < y1; ++dy) {
    const uint32_t* s = Row(static_cast<int>(dy - y)) + sx;
    uint32_t* d = dst.Row(static_cast<int>(dy)) + x0;
    if (copy) {
      std::memcpy(d, s, static_cast<size_t>(w) * 4);
    } else if (drawMode_ == TDrawMode::Opaque) {
      for (int i = 0; i < w; ++i) d[i] = Mix(s[i] | 0xFF000000u, d[i], masterAlpha_);
    } else {
      for (int i = 0; i < w; ++i) d[i] = Mix(s[i], d[i], MulDiv255(s[i] >> 24, masterAlpha_));
    }
  }
}

void TBitmap32::DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const {
  TRect src{std::max(0, srcRect.Left), std::max(0, srcRect.Top), std::min(width_, srcRect.Right),
            std::min(height_, srcRect.Bottom)};
  if (src.IsEmpty() || dstRect.IsEmpty()) return;
  if (masterAlpha_ == 255 && drawMode_ == TDrawMode::Opaque) {
    StretchBlt(dst, dstRect.Left, dstRect.Top, dstRect.Width(), dstRect.Height(), *this, src.Left, src.Top,
               src.Width(), src.Height());
    return;
  }
  // Mixed draws stretch the part that lands on dst aside first, then mix it in.
  const TRect visible{std::max(0, dstRect.Left), std::max(0, dstRect.Top), std::min(dst.width_, dstRect.Right),
                      std::min(dst.height_, dstRect.Bottom)};
  if (visible.IsEmpty()) return;
  TBitmap32 stretched(visible.Width(), visible.Height());
  StretchBlt(stretched, dstRect.Left - visible.Left, dstRect.Top - visible.Top, dstRect.Width(), dstRect.Height(),
             *this, src.Left, src.Top, src.Width(), src.Height());
  stretched.masterAlpha_ = masterAlpha_;
  stretched.drawMode_ = drawMode_;
  stretched.DrawTo(dst, visible.Left, visible.Top);
}

void TBitmap32::ResampleTo(TBitmap32& dst) const { ResampleLanczos3(*this, dst); }

}  // namespace qv
