// Decodes PNG pictures with libpng: palette, grey and colour, 1 to 16 bits,
// interlaced or not, with or without transparency.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/ImageFormats/Picture.h"

namespace qv {

bool IsPNG(const uint8_t* data, size_t size);

// Transparent pixels come out over black, opaque. The picture comes as
// stored, with its EXIF orientation (eXIf) and ICC profile (iCCP) beside it.
// PNG cannot be decoded smaller, so the hint is not used beyond the budget:
// a picture whose pixels exceed it is refused. Malformed, truncated or
// oversized data throws EQVError (libpng reads the pixel data in pieces of
// up to 8 KiB and cannot give the rows of a piece that breaks off).
TPicture DecodePNG(const uint8_t* data, size_t size, TDecodeHint hint = {});

}  // namespace qv
