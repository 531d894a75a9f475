// What a picture decoder hands back, and the size hint it may decode to.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// The smallest size the caller will show the picture at, upright. When both
// are > 0 a decoder that can shrink while decoding (JPEG, WebP) may do so,
// never below it.
struct TDecodeHint {
  int minWidth = 0;
  int minHeight = 0;
  // Set by a caller that may give up on the picture (a decode on a worker
  // when the saver closes): a decoder that reads row by row stops with an
  // error once it turns true.
  const std::atomic<bool>* cancelled = nullptr;
  // Set by a caller that resamples the picture before showing it: the
  // colour profile stays in TPicture::colourProfile for the caller to apply
  // (ConvertToSRGB) to the fitted picture, which has fewer pixels to convert.
  bool keepColourProfile = false;
};

struct TPicture {
  TBitmap32 bitmap;
  // The picture's real size, whatever size bitmap was decoded at.
  int trueWidth = 0;
  int trueHeight = 0;
  // What a decoder found beside the pixels and DecodePicture applies: the
  // EXIF orientation (1 to 8) and the embedded ICC profile, if any. A
  // picture DecodePicture hands back is upright and sRGB, with these cleared
  // (the profile stays when the hint says keepColourProfile).
  int orientation = 1;
  std::vector<uint8_t> colourProfile;
};

}  // namespace qv
