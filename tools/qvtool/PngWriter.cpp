#include "PngWriter.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "common/Error.h"

namespace qvtool {

void SavePNG(const qv::TBitmap32& bitmap, const std::string& path) {
  if (bitmap.Empty()) throw qv::EQVError("Cannot save an empty picture as " + path);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(bitmap.Width());
  image.height = static_cast<png_uint_32>(bitmap.Height());
  image.format = PNG_FORMAT_BGR;
  // Pixels are bytes blue, green, red and alpha; the alpha byte is dropped.
  std::vector<uint8_t> bgr;
  bgr.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 3);
  const uint32_t* p = bitmap.Bits();
  for (size_t i = 0, n = static_cast<size_t>(bitmap.Width()) * bitmap.Height(); i < n; ++i) {
    bgr.push_back(static_cast<uint8_t>(p[i]));
    bgr.push_back(static_cast<uint8_t>(p[i] >> 8));
    bgr.push_back(static_cast<uint8_t>(p[i] >> 16));
  }
  if (!png_image_write_to_file(&image, path.c_str(), 0, bgr.data(), 0, nullptr))
    throw qv::EQVError("Cannot write " + path + ": " + image.message);
}

}  // namespace qvtool
