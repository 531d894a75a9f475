// Rounding of computed positions and sizes to whole pixels: to the nearest
// integer with halves to even, as the system's own rounding does. Values that
// do not fit (from absurd inputs) saturate instead of overflowing.
#pragma once
#include <cmath>
#include <cstdint>

namespace qv {

inline int64_t RoundInt64(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2e18) return INT64_MAX;
  if (v <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(std::nearbyint(v));
}

inline int32_t RoundInt(double v) {
  const int64_t r = RoundInt64(v);
  return r > INT32_MAX ? INT32_MAX : r < INT32_MIN ? INT32_MIN : static_cast<int32_t>(r);
}

// A 64-bit result cut to 32 bits the way 32-bit arithmetic wraps.
inline int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

}  // namespace qv
