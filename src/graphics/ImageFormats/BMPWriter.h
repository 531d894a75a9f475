// Writes TBitmap32 pictures as Windows bitmap files (BITMAPINFOHEADER, bottom-up).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// 32 bits a pixel, uncompressed; the alpha byte is stored as it is.
std::vector<uint8_t> EncodeBMP32(const TBitmap32& bitmap);
// 24 bits a pixel, rows padded to 4 bytes; alpha is dropped.
std::vector<uint8_t> EncodeBMP24(const TBitmap32& bitmap);

// Throws EQVError when the file cannot be written.
void SaveBMP32(const TBitmap32& bitmap, const std::string& path);

}  // namespace qv
