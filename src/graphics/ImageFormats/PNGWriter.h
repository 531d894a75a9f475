// Encodes TBitmap32 pictures as PNG in each of its kinds, with the chunks
// photos carry: for qvtool's contact sheets, the tests and the fuzzers' seeds.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

enum class TPNGKind { Colour, ColourAlpha, Grey, GreyAlpha, Palette };

struct TPNGOptions {
  TPNGKind kind = TPNGKind::Colour;
  // 8 or 16 (Colour, ColourAlpha, Grey, GreyAlpha); Palette and Grey also
  // take 1, 2 and 4. Grey takes the green byte.
  int depth = 8;
  bool interlaced = false;
  // A palette picture takes the first 256 colours it meets (with their
  // alpha, as a tRNS chunk); further colours take the nearest one.
  std::vector<uint8_t> colourProfile = {};  // iCCP
  std::vector<uint8_t> exif = {};           // eXIf: a TIFF structure (ExifBlock)
};

// Throws EQVError for an empty bitmap, options that do not fit together or
// an encoder error.
std::vector<uint8_t> EncodePNG(const TBitmap32& bitmap, const TPNGOptions& options = {});

}  // namespace qv
