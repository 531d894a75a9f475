// Encodes TBitmap32 frames as a GIF animation (or a still picture) with giflib.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// All frames must have the first frame's size. Each frame gets its own
// palette: its exact colours when it has at most 255, else a median-cut
// reduction. Pixels with alpha below 128 become transparent. More than one
// frame adds the looping extension (loop forever).
std::vector<uint8_t> EncodeGIF(const std::vector<TBitmap32>& frames, int delayMs = 100);

}  // namespace qv
