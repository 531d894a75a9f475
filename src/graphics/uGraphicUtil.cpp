#include "graphics/uGraphicUtil.h"

#include <algorithm>
#include <cmath>

#include "graphics/FastBMP.h"
#include "graphics/ImageFormats/BMPWriter.h"

namespace qv {

void SetBitmapFormat(TBitmap32& bitmap, int width, int height, int bitsPerPixel) {
  (void)bitsPerPixel;
  bitmap.SetSize(width, height);
}

void ResampleLanczos(const TBitmap32& src, TBitmap32& dst) { src.ResampleTo(dst); }

void ResizeBitmap(const TBitmap32& src, TBitmap32& dst) {
  TFastBMP from, to;
  from.LoadFromBitmap(src);
  to.SetDimensions(dst.Width(), dst.Height());
  from.ResampleBilinear(to);
  to.DrawAt(dst, 0, 0);
}

void FitKeepingShape(int width, int height, int boxWidth, int boxHeight, int& fittedWidth, int& fittedHeight) {
  fittedWidth = boxWidth;
  fittedHeight = boxHeight;
  if (width <= 0 || height <= 0 || boxHeight <= 0) return;
  const double r = static_cast<double>(width) / height;
  // The comparison is in integers, as the picture's shape against the box's.
  const int64_t heightAtBoxShape = static_cast<int64_t>(height) * boxWidth / boxHeight;
  if (heightAtBoxShape < width) fittedHeight = static_cast<int>(std::nearbyint(boxWidth / r));
  else fittedWidth = static_cast<int>(std::nearbyint(boxHeight * r));
}

void DrawFitted(const TBitmap32& src, TBitmap32& dst, bool keepShape, uint32_t background) {
  dst.Clear(background);
  if (src.Empty() || dst.Empty()) return;
  int w = dst.Width(), h = dst.Height();
  if (keepShape) FitKeepingShape(src.Width(), src.Height(), dst.Width(), dst.Height(), w, h);
  w = std::max(w, 1);
  h = std::max(h, 1);
  TBitmap32 fitted(w, h);
  ResizeBitmap(src, fitted);
  fitted.DrawTo(dst, (dst.Width() - w) / 2, (dst.Height() - h) / 2);
}

void DesaturateBitmap(TBitmap32& bitmap) {
  TFastBMP fast;
  fast.LoadFromBitmap(bitmap);
  fast.AdjustSaturation(1);
  fast.DrawAt(bitmap, 0, 0);
}

TColor MixColors(TColor c1, TColor c2, int percent) {
  c1 = ColorToRGB(c1);
  c2 = ColorToRGB(c2);
  TColor result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((c1 >> shift) & 0xFF), b = static_cast<int>((c2 >> shift) & 0xFF);
    const int v = 255 - (percent * (255 - a) - b * 100 + 25500) / 100;
    result |= static_cast<TColor>(std::clamp(v, 0, 255)) << shift;
  }
  return result;
}

bool SetWallpaper(const TBitmap32& bitmap, const std::string& file,
                  const std::function<bool(const std::string&)>& apply) {
  SaveBMP32(bitmap, file);
  return apply ? apply(file) : false;
}

int ScreenBitDepth(const std::function<int()>& query) {
  if (!query) return 16;
  try {
    return query();
  } catch (...) {
    return 16;
  }
}

}  // namespace qv
