// Caps that every reader of user-supplied files checks before it allocates.
#pragma once
#include <cstdint>

namespace qv {

// The largest picture any decoder accepts: a side of at most 16384 pixels and
// at most 2^28 pixels in all (1 GiB at 32 bits a pixel).
inline constexpr int64_t kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 28;

constexpr bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

}  // namespace qv
