#include "graphics/uPixelMix.h"

#include <cstring>

#include "common/Simd.h"

namespace qv {

// Each channel in a 16-bit lane: no product exceeds 255 * 256.
QV_CLONES void MixPixels(uint32_t* out, const uint32_t* a, const uint32_t* b, size_t count, uint32_t weight,
                         TMixAlpha alpha) {
  const uint32_t na = 256 - weight;
  const TU16x16 w16 = TU16x16{} + static_cast<uint16_t>(weight);
  const TU16x16 na16 = TU16x16{} + static_cast<uint16_t>(na);
  const uint32_t keep = alpha == TMixAlpha::First ? 0xFF000000u : 0u;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    TU16x16 av, bv;
    std::memcpy(&av, a + i, sizeof av);
    std::memcpy(&bv, b + i, sizeof bv);
    const TU16x16 lo = ((av & 0xFF) * na16 + (bv & 0xFF) * w16) >> 8;  // blue, red
    const TU16x16 hi = ((av >> 8) * na16 + (bv >> 8) * w16) & 0xFF00;  // green, alpha
    TU32x8 mixed = reinterpret_cast<TU32x8>(lo | hi) & ~keep;
    mixed |= reinterpret_cast<TU32x8>(av) & keep;
    std::memcpy(out + i, &mixed, sizeof mixed);
  }
  for (; i < count; ++i) out[i] = (MixPixel(a[i], b[i], weight) & ~keep) | (a[i] & keep);
}

}  // namespace qv
