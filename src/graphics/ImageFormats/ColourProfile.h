// Colour profiles: a picture that carries an ICC profile is turned into sRGB,
// the space screens are taken to show, with lcms2 (perceptual intent).
// Pictures without a profile are sRGB already and are not touched.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

// Converts every pixel of `bitmap` (alpha kept) from the profile's RGB or
// grey space to sRGB. Gives false and leaves the pixels as they were when
// the profile cannot be read or does not describe an RGB or grey picture:
// such a picture is shown unconverted, as if it had no profile.
bool ConvertToSRGB(TBitmap32& bitmap, const uint8_t* profile, size_t size);

// An RGB space by its chromaticities (CIE xy of red, green, blue and white)
// and one tone curve: a plain power law, or the sRGB curve when gamma is 0.
struct TRGBSpace {
  double red[2], green[2], blue[2], white[2];
  double gamma;
};
inline constexpr TRGBSpace kAdobeRGB1998{{0.64, 0.33}, {0.21, 0.71}, {0.15, 0.06}, {0.3127, 0.3290}, 563.0 / 256};
inline constexpr TRGBSpace kDisplayP3{{0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.3127, 0.3290}, 0};

// The ICC profile of such a space (what a camera or editor embeds); empty
// when lcms2 cannot make it.
std::vector<uint8_t> MakeRGBProfile(const TRGBSpace& space);

}  // namespace qv
