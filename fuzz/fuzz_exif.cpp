// libFuzzer entry point for the EXIF orientation reader: the bytes as an
// EXIF block, and a small picture turned by whatever orientation it reads.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "common/Error.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/ExifOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const int orientation = qv::ExifOrientation(data, size);
    qv::TBitmap32 bitmap(5, 3);
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x) bitmap.SetPixel(x, y, 0xFF000000u | (y * 5 + x));
    const qv::TBitmap32 upright = qv::Oriented(std::move(bitmap), orientation);
    // A quarter turn swaps the sides; anything else keeps them.
    if (upright.Width() != (qv::OrientationSwapsSides(orientation) ? 3 : 5)) __builtin_trap();
  } catch (const qv::EQVError&) {
  }
  return 0;
}
