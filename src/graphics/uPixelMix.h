// Mixing runs of pixels: each byte of a pixel moved from a towards b by a
// weight of 0..256 (256 is all b), the one blend the fade and the bilinear
// resampling share.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qv {

// Whether the alpha byte is mixed like the colours or kept from a.
enum class TMixAlpha { Mixed, First };

// out[i] = a[i] + ((b[i] - a[i]) * weight >> 8) per byte, as
// ((256 - weight) a + weight b) >> 8, which is the same number and never
// negative. out may be a.
void MixPixels(uint32_t* out, const uint32_t* a, const uint32_t* b, size_t count, uint32_t weight, TMixAlpha alpha);

// One pixel the same way, every byte mixed.
inline uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t na = 256 - weight;
  const uint32_t rb = ((na * (a & 0x00FF00FFu) + weight * (b & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  const uint32_t ag = (na * ((a >> 8) & 0x00FF00FFu) + weight * ((b >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return rb | ag;
}

// A pixel of colour (r, g, b) and opacity a (0..255) laid over black: each
// colour weighed by the opacity, rounded; the result is opaque.
inline uint32_t OverBlack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return 0xFF000000u | ((r * a + 127) / 255) << 16 | ((g * a + 127) / 255) << 8 | ((b * a + 127) / 255);
}

}  // namespace qv
