// Writes pictures as PNG files (libpng), for qvtool's contact sheets: small
// and exact, where a bitmap file of a gallery would take gigabytes.
#pragma once
#include <string>

#include "graphics/Bitmap32.h"

namespace qvtool {

// The picture without its alpha byte (opaque). Throws qv::EQVError when the
// file cannot be written.
void SavePNG(const qv::TBitmap32& bitmap, const std::string& path);

}  // namespace qvtool
