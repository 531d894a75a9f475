// Decodes JPEG pictures (greyscale, YCbCr/RGB, CMYK/YCCK) with libjpeg-turbo.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/ImageFormats/Picture.h"

namespace qv {

bool IsJPEG(const uint8_t* data, size_t size);

// The picture comes upright (its EXIF orientation applied while it is read)
// with its ICC profile beside it (DecodePicture applies that); the hint is
// taken as the upright picture's. With a hint, picks the strongest of libjpeg's 1/2, 1/4 and 1/8 reductions
// that still gives at least the hinted size on both axes. A truncated stream
// gives the rows that were there (the rest grey); malformed, oversized or
// unreadable data throws EQVError.
TPicture DecodeJPEG(const uint8_t* data, size_t size, TDecodeHint hint = {});

}  // namespace qv
