// A 24-bit device-independent bitmap with direct row access, for resizing and
// recolouring pictures pixel by pixel. Rows are stored bottom-up and padded
// to 4 bytes. Linux has no device context, so drawing goes into a TBitmap32.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// The 40-byte BITMAPINFOHEADER describing the pixel memory.
struct TBitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 24;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
static_assert(sizeof(TBitmapInfoHeader) == 40);

class TFastBMP {
 public:
  TFastBMP() = default;
  TFastBMP(const TFastBMP& other);
  TFastBMP& operator=(const TFastBMP& other);
  TFastBMP(TFastBMP&& other) noexcept;
  TFastBMP& operator=(TFastBMP&& other) noexcept;
  virtual ~TFastBMP() = default;

  // Reallocates when the size changes; the content is undefined afterwards.
  // Throws EQVError for sizes beyond the picture caps (0 x 0 empties it).
  virtual void SetDimensions(int width, int height);
  // Stands in for loading from a bitmap handle: takes size and pixels.
  void LoadFromBitmap(const TBitmap32& bitmap);
  // Copies one to one to (x, y) of dst, clipped, as opaque pixels.
  virtual void DrawAt(TBitmap32& dst, int x, int y) const;
  virtual void ResampleNearest(TFastBMP& dst) const;
  virtual void ResampleBilinear(TFastBMP& dst) const;
  // amount 256 leaves the picture unchanged, 1 makes it almost grey.
  void AdjustSaturation(int amount);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int RowBytes() const { return rowBytes_; }
  int Gap() const { return gap_; }
  size_t Size() const { return bits_.size(); }
  uint8_t* Bits() { return bits_.data(); }
  const uint8_t* Bits() const { return bits_.data(); }
  // Row i in memory order: row 0 is the bottom row of the picture.
  uint8_t* Rows(int i) { return rows_[i]; }
  const uint8_t* Rows(int i) const { return rows_[i]; }
  const TBitmapInfoHeader& Header() const { return header_; }

 private:
  void BuildRows();

  int width_ = 0;
  int height_ = 0;
  int rowBytes_ = 0;
  int gap_ = 0;
  std::vector<uint8_t> bits_;
  std::vector<uint8_t*> rows_;
  TBitmapInfoHeader header_;
};

}  // namespace qv
