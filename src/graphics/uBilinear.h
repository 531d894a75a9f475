// Bilinear resampling of a part of a picture, at sub-pixel positions, onto a
// rectangle of another: how a panned and zoomed picture is drawn, so it moves
// evenly by fractions of a pixel.
#pragma once
#include "common/Bands.h"
#include "graphics/Bitmap32.h"
#include "graphics/Rect.h"

namespace qv {

// A rectangle of a picture in its own pixels, fractions allowed.
struct TAreaF {
  double x = 0, y = 0, w = 0, h = 0;
};

// Fills `to` (clipped to dst) with `area` of src stretched over it. Target
// pixel (i, j) of `to` samples src at (x + (i + 1/2) w / width - 1/2, and the
// same downwards), between the four pixels around it with weights in 256ths;
// positions beyond an edge take the edge's pixels. Drawn in bands: the same
// pixels on any number of threads.
void DrawAreaBilinear(const TBitmap32& src, const TAreaF& area, TBitmap32& dst, const TRect& to,
                      IBands& bands);

}  // namespace qv
