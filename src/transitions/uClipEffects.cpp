#include "transitions/uClipEffects.h"

namespace qv {

TEffectProc ClipRegionEffect(int) { return nullptr; }

}  // namespace qv
