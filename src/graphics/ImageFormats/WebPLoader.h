// Decodes WebP pictures with libwebp: lossy, lossless, with or without
// transparency; an animated WebP gives its first frame.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/ImageFormats/Picture.h"

namespace qv {

bool IsWebP(const uint8_t* data, size_t size);

// Transparent pixels come out over black, opaque. The picture comes as
// stored, with its EXIF orientation (EXIF chunk) and ICC profile (ICCP
// chunk) beside it. With a hint, a picture at least twice the hinted size
// on both axes is decoded smaller (by 2, 4 or 8, never below the hint), as
// JPEG is. Malformed, truncated or oversized data throws EQVError.
TPicture DecodeWebP(const uint8_t* data, size_t size, TDecodeHint hint = {});

}  // namespace qv
