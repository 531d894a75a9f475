#include "graphics/FastBMP.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "common/Error.h"
#include "common/Limits.h"

namespace qv {

TFastBMP::TFastBMP(const TFastBMP& other)
    : width_(other.width_),
      height_(other.height_),
      rowBytes_(other.rowBytes_),
      gap_(other.gap_),
      bits_(other.bits_),
      header_(other.header_) {
  BuildRows();
}

TFastBMP::TFastBMP(TFastBMP&& other) noexcept { *this = std::move(other); }

TFastBMP& TFastBMP::operator=(TFastBMP&& other) noexcept {
  if (this != &other) {
    // The row table points into bits_, whose buffer moves along with it.
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    rowBytes_ = std::exchange(other.rowBytes_, 0);
    gap_ = std::exchange(other.gap_, 0);
    bits_ = std::move(other.bits_);
    rows_ = std::move(other.rows_);
    header_ = std::exchange(other.header_, TBitmapInfoHeader{});
    other.bits_.clear();
    other.rows_.clear();
  }
  return *this;
}

TFastBMP& TFastBMP::operator=(const TFastBMP& other) {
  if (this != &other) *this = TFastBMP(other);
  return *this;
}

void TFastBMP::SetDimensions(int width, int height) {
  if (width == width_ && height == height_) return;
  if (!(width == 0 && height == 0) && !PictureSizeAllowed(width, height))
    throw EQVError("Bitmap size " + std::to_string(width) + "x" + std::to_string(height) +
                   " is not allowed");
  const int rowBytes = ((width * 24 + 31) / 32) * 4;
  std::vector<uint8_t> bits(static_cast<size_t>(rowBytes) * height);
  bits_.swap(bits);
  width_ = width;
  height_ = height;
  rowBytes_ = rowBytes;
  gap_ = width % 4;
  header_.biWidth = width;
  header_.biHeight = height;
  header_.biSizeImage = static_cast<uint32_t>(bits_.size());
  BuildRows();
}

void TFastBMP::BuildRows() {
  rows_.resize(height_);
  for (int i = 0; i < height_; ++i) rows_[i] = bits_.data() + static_cast<size_t>(i) * rowBytes_;
}

void TFastBMP::LoadFromBitmap(const TBitmap32& bitmap) {
  SetDimensions(bitmap.Width(), bitmap.Height());
  for (int y = 0; y < height_; ++y) {
    const uint32_t* s = bitmap.Row(y);
    uint8_t* d = rows_[height_ - 1 - y];
    for (int x = 0; x < width_; ++x, d += 3) {
      d[0] = static_cast<uint8_t>(s[x]);
      d[1] = static_cast<uint8_t>(s[x] >> 8);
      d[2] = static_cast<uint8_t>(s[x] >> 16);
    }
  }
}

void TFastBMP::DrawAt(TBitmap32& dst, int x, int y) const {
  const int64_t x0 = std::max<int64_t>(0, x), y0 = std::max<int64_t>(0, y);
  const int64_t x1 = std::min<int64_t>(dst.Width(), int64_t{x} + width_);
  const int64_t y1 = std::min<int64_t>(dst.Height(), int64_t{y} + height_);
  for (int64_t dy = y0; dy < y1; ++dy) {
    const uint8_t* s = rows_[height_ - 1 - (dy - y)] + (x0 - x) * 3;
    uint32_t* d = dst.Row(static_cast<int>(dy));
    for (int64_t dx = x0; dx < x1; ++dx, s += 3)
      d[dx] = 0xFF000000u | (s[2] << 16) | (s[1] << 8) | s[0];
  }
}

void TFastBMP::ResampleNearest(TFastBMP& dst) const {
  const int sw = width_, sh = height_, dw = dst.width_, dh = dst.height_;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  if (sw == dw && sh == dh) {
    std::memcpy(dst.bits_.data(), bits_.data(), bits_.size());
    return;
  }
  const double fx = static_cast<double>(dw) / sw, fy = static_cast<double>(dh) / sh;
  if (fx >= 1 && fy >= 1) {
    // Each source pixel becomes a block; nearbyint rounds halves to even.
    const int repeatX = static_cast<int>(std::nearbyint(fx + 0.5));
    const int repeatY = static_cast<int>(std::nearbyint(fy + 0.5));
    for (int i = 0; i < sh; ++i) {
      const int row0 = static_cast<int>(i * fy);
      if (row0 >= dh) break;
      const uint8_t* s = rows_[i];
      uint8_t* d = dst.rows_[row0];
      for (int j = 0; j < sw; ++j) {
        const int col0 = static_cast<int>(j * fx);
        for (int k = col0; k < std::min(dw, col0 + repeatX); ++k) std::memcpy(d + 3 * k, s + 3 * j, 3);
      }
      for (int r = row0 + 1; r < std::min(dh, row0 + repeatY); ++r)
        std::memcpy(dst.rows_[r], d, static_cast<size_t>(dw) * 3);
    }
    return;
  }
  const int64_t xs = (int64_t{sw} << 16) / dw, ys = (int64_t{sh} << 16) / dh;
  for (int i = 0; i < dh; ++i) {
    const uint8_t* s = rows_[(i * ys) >> 16];
    uint8_t* d = dst.rows_[i];
    for (int j = 0; j < dw; ++j, d += 3) std::memcpy(d, s + 3 * ((j * xs) >> 16), 3);
  }
}

void TFastBMP::ResampleBilinear(TFastBMP& dst) const {
  const int sw = width_, sh = height_, dw = dst.width_, dh = dst.height_;
  if (dw < 1 || dh < 1 || sw == 0 || sh == 0) return;
  if (sw == 1) {
    ResampleNearest(dst);
    return;
  }
  if (sw == dw && sh == dh) {
    std::memcpy(dst.bits_.data(), bits_.data(), bits_.size());
    return;
  }
  const int64_t xs = (int64_t{sw - 1} * 32768) / dw;
  const int64_t ys = (int64_t{sh - 1} * 32768) / dh;
  for (int i = 0; i < dh; ++i) {
    const int64_t fy = i * ys;
    const int upper = static_cast<int>(fy >> 15);
    // A one-row source has no row after the first; its weight is 0 anyway.
    const uint8_t* top = rows_[upper];
    const uint8_t* bottom = rows_[std::min(upper + 1, sh - 1)];
    const int64_t wy = fy & 32767;
    uint8_t* d = dst.rows_[i];
    for (int j = 0; j < dw; ++j, d += 3) {
      const int64_t fx = j * xs;
      const int64_t x = (fx >> 15) * 3;
      const int64_t wx = fx & 32767;
      const int64_t e = (wx * (32768 - wy)) >> 15;
      const int64_t g = (wx * wy) >> 15;
      const int64_t tl = 32768 - wy - e, tr = e, bl = wy - g, br = g;
      for (int c = 0; c < 3; ++c)
        d[c] = static_cast<uint8_t>(
            (tl * top[x + c] + tr * top[x + 3 + c] + bl * bottom[x + c] + br * bottom[x + 3 + c]) >> 15);
    }
  }
}

void TFastBMP::AdjustSaturation(int amount) {
  int table[256];
  for (int i = 0; i < 256; ++i) table[i] = (i * amount) / 256;
  for (int y = 0; y < height_; ++y) {
    uint8_t* p = rows_[y];
    for (int x = 0; x < width_; ++x, p += 3) {
      const int grey = (p[0] + p[1] + p[2]) / 3;
      const int base = grey - table[grey];
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::clamp(base + table[p[c]], 0, 255));
    }
  }
}

}  // namespace qv
