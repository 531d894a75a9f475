// Encodes TBitmap32 pictures as baseline JPEG (alpha is dropped).
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// What may travel beside the pixels: an EXIF block (a TIFF structure, as
// ExifBlock makes) and an ICC profile.
struct TJPEGExtras {
  std::vector<uint8_t> exif = {};
  std::vector<uint8_t> colourProfile = {};
};

// quality 1..100; throws EQVError for an empty bitmap or an encoder error.
std::vector<uint8_t> EncodeJPEG(const TBitmap32& bitmap, int quality = 90, const TJPEGExtras& extras = {});

}  // namespace qv
