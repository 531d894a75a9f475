#include "transitions/uBlitEffects.h"

namespace qv {

TEffectProc BlitEffect(int) { return nullptr; }

}  // namespace qv
