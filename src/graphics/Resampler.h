// Lanczos-3 resampling of one whole TBitmap32 onto another (TBitmap32::ResampleTo).
#pragma once

#include "graphics/Bitmap32.h"

namespace qv {

// Maps the whole of src onto the whole of dst, which keeps its size. Edges
// repeat the outermost pixels; all four channels are filtered alike.
void ResampleLanczos3(const TBitmap32& src, TBitmap32& dst);

}  // namespace qv
