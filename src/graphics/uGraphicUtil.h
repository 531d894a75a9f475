// Picture operations shared by the saver window, the transition runner and the
// configuration window: working bitmaps, resampling, greying, colour mixing,
// wallpaper and screen depth.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "graphics/Bitmap32.h"
#include "graphics/Colors.h"

namespace qv {

// Sizes the bitmap; every bitmap here is 32 bits a pixel, so bitsPerPixel is
// accepted but the pixels are always stored as 32-bit.
void SetBitmapFormat(TBitmap32& bitmap, int width, int height, int bitsPerPixel);

// The whole of src onto the whole of dst with a Lanczos kernel; dst keeps its size.
void ResampleLanczos(const TBitmap32& src, TBitmap32& dst);

// Bilinear resize of src into dst's size through TFastBMP.
void ResizeBitmap(const TBitmap32& src, TBitmap32& dst);

// The size a width x height picture takes in a box when it keeps its shape:
// as wide as the box when it is wider than the box's shape, else as high,
// rounded to nearest. The box itself for an empty picture.
void FitKeepingShape(int width, int height, int boxWidth, int boxHeight, int& fittedWidth, int& fittedHeight);

// src drawn into the whole of dst as the saver shows a picture on a screen:
// stretched over it, or (keepShape) fitted inside it keeping its shape,
// centred, with `background` around it. Bilinear resampling.
void DrawFitted(const TBitmap32& src, TBitmap32& dst, bool keepShape, uint32_t background);

// Almost grey: the saturation adjustment with the amount 1, in place.
void DesaturateBitmap(TBitmap32& bitmap);

// Channel by channel: c2 darkened by percent % of c1's distance from white.
// System colours are resolved first (ColorToRGB).
TColor MixColors(TColor c1, TColor c2, int percent);

// Writes the picture to file as a 32-bit bitmap file, then hands the file to
// apply, which the platform supplies to make it the desktop wallpaper; the
// core itself only writes the file. Returns apply's answer, false without it.
bool SetWallpaper(const TBitmap32& bitmap, const std::string& file,
                  const std::function<bool(const std::string&)>& apply = {});

// Bits per pixel of the screen as query reports it; 16 when there is no query
// or it throws.
int ScreenBitDepth(const std::function<int()>& query = {});

}  // namespace qv
