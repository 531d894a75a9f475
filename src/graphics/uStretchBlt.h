// Rectangle copies between 32-bit bitmaps, scaled by nearest pixel and
// mirrored by negative sizes: the one primitive the blit effects draw with.
#pragma once
#include "graphics/Bitmap32.h"
#include "graphics/Rect.h"

namespace qv {

// Scales the sw x sh block of Src at (sx, sy) onto the |dw| x |dh| block of Dest
// at (dx, dy). A negative dw (dh) mirrors left to right (top to bottom): the
// block then runs from dx (dy) itself towards smaller coordinates. Pixel i of
// the block, counted from dx, takes source pixel sx + floor(i * sw / |dw|), and
// the same down the rows: enlarging replicates pixels, shrinking drops them.
// Only pixels inside clip and Dest are drawn, and only from pixels inside Src.
// A zero or negative source size or a zero destination size draws nothing.
// Src may be Dest itself; it is read as it was before the call.
void StretchBlt(TBitmap32& Dest, const TRect& clip, int dx, int dy, int dw, int dh,
                const TBitmap32& Src, int sx, int sy, int sw, int sh);

// The same, clipped to the whole of Dest.
void StretchBlt(TBitmap32& Dest, int dx, int dy, int dw, int dh, const TBitmap32& Src, int sx,
                int sy, int sw, int sh);

// The w x h block of Src at (sx, sy) copied unscaled with its corner at (dx, dy).
void BitBlt(TBitmap32& Dest, int dx, int dy, int w, int h, const TBitmap32& Src, int sx, int sy);

}  // namespace qv
