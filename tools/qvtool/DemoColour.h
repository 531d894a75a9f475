// Colours for the demo's pictures, drawn by code: mixing in floating point,
// packing into 0xAARRGGBB, and a small deterministic hash for stars and
// sparkle.
#pragma once
#include <algorithm>
#include <cstdint>

namespace qvtool::demo {

struct Rgb {
  double r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline uint32_t Pack(Rgb c, uint32_t alpha = 0xFF) {
  auto ch = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0) + 0.5) & 0xFF; };
  return alpha << 24 | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}

// In [0, 1], the same for the same x and y.
inline double Hash(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<double>(h ^ (h >> 16)) / 4294967295.0;
}

}  // namespace qvtool::demo
