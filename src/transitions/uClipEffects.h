// The clip-region effects: the new picture copied into the old one through a
// region that grows with the progress.
#pragma once
#include "transitions/PSEffect.h"

namespace qv {

// The procedure of clip-region effect `number`, or null when `number` is not one.
TEffectProc ClipRegionEffect(int number);

}  // namespace qv
