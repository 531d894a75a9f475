// Encodes TBitmap32 pictures as WebP (libwebp), with the chunks photos carry
// and, for animations, further frames: for the tests and the fuzzers' seeds.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

struct TWebPOptions {
  bool lossless = false;
  int quality = 90;               // lossy: 0..100
  bool alpha = false;             // keep the pixels' alpha (else opaque)
  std::vector<uint8_t> colourProfile = {};  // ICCP
  std::vector<uint8_t> exif = {};           // EXIF: a TIFF structure (ExifBlock)
  // An animation: these frames (the picture's size) follow the picture.
  std::vector<TBitmap32> moreFrames = {};
};

// Throws EQVError for an empty bitmap or an encoder error.
std::vector<uint8_t> EncodeWebP(const TBitmap32& bitmap, const TWebPOptions& options = {});

}  // namespace qv
