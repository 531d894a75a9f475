// The blit effects: the new picture copied and stretched into place, and the
// old one pushed or squeezed out of the way.
#pragma once
#include "transitions/PSEffect.h"

namespace qv {

// The procedure of blit effect `number`, or null when `number` is not one.
TEffectProc BlitEffect(int number);

}  // namespace qv
