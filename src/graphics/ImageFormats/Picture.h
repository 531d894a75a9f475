// What a picture decoder hands back, and the size hint it may decode to.
#pragma once

#include "graphics/Bitmap32.h"

namespace qv {

// The smallest size the caller will show the picture at. When both are > 0 a
// decoder that can shrink while decoding (JPEG) may do so, never below it.
struct TDecodeHint {
  int minWidth = 0;
  int minHeight = 0;
};

struct TPicture {
  TBitmap32 bitmap;
  // The picture's real size, whatever size bitmap was decoded at.
  int trueWidth = 0;
  int trueHeight = 0;
};

}  // namespace qv
