// Lanczos-3 resampling of one whole TBitmap32 onto another (TBitmap32::ResampleTo).
#pragma once

#include "graphics/Bitmap32.h"

namespace qv {

// Maps the whole of src onto the whole of dst, which keeps its size. Edges
// repeat the outermost pixels; all four channels are filtered alike.
// allowSimd false runs the plain loops, which give the same pixels.
void ResampleLanczos3(const TBitmap32& src, TBitmap32& dst, bool allowSimd = true);

}  // namespace qv
