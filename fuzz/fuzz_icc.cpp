// libFuzzer entry point for colour profiles: the bytes as the ICC profile of
// a small picture of every shade and transparency, turned into sRGB.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/ColourProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    qv::TBitmap32 bitmap(7, 5);
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        bitmap.SetPixel(x, y, static_cast<uint32_t>(y * 60) << 24 | ((x * 0x2A0F13u + y * 0x0B3D57u) & 0xFFFFFFu));
    qv::ConvertToSRGB(bitmap, data, size);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
