// Reads Windows and OS/2 bitmap files: 1, 4, 8, 16, 24 and 32 bits a pixel,
// uncompressed, bit fields, RLE8 and RLE4, bottom-up or top-down.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/Bitmap32.h"

namespace qv {

bool IsBMP(const uint8_t* data, size_t size);

// Alpha is 255 everywhere unless a V4 or later header carries an alpha mask.
// Throws EQVError for malformed, truncated or oversized files.
TBitmap32 DecodeBMP(const uint8_t* data, size_t size);

}  // namespace qv
