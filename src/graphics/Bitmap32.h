// The 32-bit picture every part of the engine holds pictures and frames in:
// pixels 0xAARRGGBB (bytes blue, green, red, alpha), rows top-down, no padding.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Rect.h"

namespace qv {

enum class TDrawMode { Opaque, Blend };

class TBitmap32 {
 public:
  TBitmap32() = default;
  TBitmap32(int width, int height);

  // 0 x 0 makes the bitmap empty; any other size must pass PictureSizeAllowed
  // or EQVError is thrown and the bitmap is left as it was. Content is zeroed.
  void SetSize(int width, int height);
  // The same size rule, for a caller that draws every pixel itself: the
  // memory the bitmap has is reused when it is large enough, and the pixels
  // are whatever it held. Fresh memory costs a page fault per page on first
  // touch, which for a frame of a large screen is a visible pause.
  void Reshape(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint32_t* Bits() { return bits_.data(); }
  const uint32_t* Bits() const { return bits_.data(); }
  uint32_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * width_; }
  uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, uint32_t color) { Row(y)[x] = color; }

  void Clear(uint32_t color);
  // Takes the size and pixels of `from`, keeping this bitmap's master alpha
  // and draw mode; the memory is reused when the size stays the same.
  void Assign(const TBitmap32& from);

  uint8_t MasterAlpha() const { return masterAlpha_; }
  void SetMasterAlpha(uint8_t alpha) { masterAlpha_ = alpha; }
  TDrawMode DrawMode() const { return drawMode_; }
  void SetDrawMode(TDrawMode mode) { drawMode_ = mode; }

  // Draws the whole bitmap with its top-left corner at (x, y), clipped to dst.
  // Opaque mode copies (mixed uniformly when MasterAlpha < 255); Blend mode
  // mixes by each pixel's alpha scaled by MasterAlpha.
  void DrawTo(TBitmap32& dst, int x, int y) const;
  // Draws srcRect of this bitmap stretched onto dstRect by nearest pixel
  // (StretchBlt's rule), mixed as the whole-bitmap draw mixes.
  void DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const;

  // Resamples the whole bitmap onto the whole of dst with a Lanczos-3 kernel;
  // dst keeps its size.
  void ResampleTo(TBitmap32& dst) const;

  friend bool operator==(const TBitmap32& a, const TBitmap32& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.bits_ == b.bits_;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> bits_;
  uint8_t masterAlpha_ = 255;
  TDrawMode drawMode_ = TDrawMode::Opaque;
};

}  // namespace qv
