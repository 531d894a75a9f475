// libpng's error handling for the reader and the writer: the message goes
// into the caller's buffer (the error pointer) and the error longjmps back to
// the setjmp of the small function that made the libpng call.
#pragma once
#include <png.h>

#include <cstddef>

namespace qv {

inline constexpr size_t kPngMessageSize = 200;

// For png_create_*_struct with a char[kPngMessageSize] as the error pointer.
void PngError(png_structp png, png_const_charp text);
// Warnings are dropped instead of printed.
void PngWarning(png_structp png, png_const_charp text);

}  // namespace qv
