// The blit effects: the new picture copied and stretched into place, and the
// old one pushed or squeezed out of the way.
#pragma once
#include <vector>

#include "transitions/PSEffect.h"

namespace qv {

// The procedure of blit effect `number`, or null when `number` is not one,
// and the same drawn in bands.
TEffectProc BlitEffect(int number);
TBandedProc BlitEffectBanded(int number);

// The roll of the unroll effects on a screen `size` pixels across, at progress
// `progress`, with `freeSpace` pixels left in front of it: a tenth of the
// screen, less while it grows out of the edge or shrinks into the far one.
int RollWidth(int size, int progress, int freeSpace);

// The shading of a roll n pixels across: offsets added to blue, green and red,
// from 48 darker at the first pixel up towards 0 in the middle and back down.
// Empty for n below 2, which is not shaded.
std::vector<int> RollShade(int n);

}  // namespace qv
