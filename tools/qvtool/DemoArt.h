// The pictures of the bundled demo screensaver, drawn by code: a horizon over
// water, an aurora over hills, a garden of circles, and a preview.
#pragma once
#include <vector>

#include "graphics/Bitmap32.h"

namespace qvtool {

qv::TBitmap32 DrawSeaHorizon(int width, int height);
qv::TBitmap32 DrawAurora(int width, int height);
// Frames of a slowly turning pattern of circles; the first is the still.
std::vector<qv::TBitmap32> DrawCircleGarden(int width, int height, int frames);

}  // namespace qvtool
