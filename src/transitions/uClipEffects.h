// The clip-region effects: the new picture copied into the old one through a
// region that grows with the progress.
#pragma once
#include <optional>

#include "graphics/Region.h"
#include "transitions/PSEffect.h"

namespace qv {

// The procedure of clip-region effect `number`, or null when `number` is not
// one, and the same drawn in bands (the region is built before the bands).
TEffectProc ClipRegionEffect(int number);
TBandedProc ClipRegionEffectBanded(int number);

// The region clip-region effect `number` shows the new picture through at
// these arguments; no region when the frame draws nothing. Null for a number
// that is not a clip-region effect.
std::optional<TRegion> ClipEffectRegion(int number, int W, int H, int X, int Y, int Percent);

}  // namespace qv
