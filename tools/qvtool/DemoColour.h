// Colours for the demo's pictures, drawn by code: mixing in floating point,
// packing into 0xAARRGGBB, the coverage that smooths a shape's edge, and
// deterministic hash and noise for stars, sparkle and texture.
#pragma once
#include <algorithm>
#include <cmath>
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

inline Rgb Unpack(uint32_t pixel) {
  return {static_cast<double>(pixel >> 16 & 0xFF), static_cast<double>(pixel >> 8 & 0xFF), static_cast<double>(pixel & 0xFF)};
}

// In [0, 1], the same for the same x and y.
inline double Hash(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<double>(h ^ (h >> 16)) / 4294967295.0;
}

// 0 below e0, 1 above e1, a smooth S between (e0 may lie above e1).
inline double Smooth(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// How much of a pixel a shape covers, from the signed distance in pixels
// (negative inside) between the pixel's centre and the shape's edge: the
// edge is drawn smooth, one pixel wide.
inline double Cover(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

// Smooth value noise in [0, 1]: one random value a whole-numbered lattice
// point, eased in between.
inline double Noise(double x, double y) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const double tx = x - fx, ty = y - fy, sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double top = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * sx;
  const double bottom = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * sx;
  return top + (bottom - top) * sy;
}

}  // namespace qvtool::demo
