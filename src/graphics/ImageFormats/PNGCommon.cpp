#include "graphics/ImageFormats/PNGCommon.h"

#include <cstdio>

namespace qv {

void PngError(png_structp png, png_const_charp text) {
  auto* message = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(message, kPngMessageSize, "%s", text ? text : "error");
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

}  // namespace qv
