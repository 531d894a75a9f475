#include "common/Random.h"

namespace qv {

uint32_t RandSeed = 0;

}  // namespace qv
