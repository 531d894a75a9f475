// Test pictures drawn by code: every pixel distinct enough that a misplaced
// copy or a wrong blend shows.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qvtest {

inline qv::TBitmap32 Pattern(int w, int h, uint32_t salt) {
  qv::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^
                   (salt * 83492791u);
      v ^= v >> 13;
      v *= 0x5bd1e995u;
      v ^= v >> 15;
      b.SetPixel(x, y, v);
    }
  return b;
}

inline qv::TBitmap32 Filled(int w, int h, uint32_t color) {
  qv::TBitmap32 b(w, h);
  b.Clear(color);
  return b;
}

// A picture file as the engine reads it.
inline qv::TPicture ReadPicture(const std::string& path) {
  return qv::DecodePicture(qv::platform::ReadWholeFile(path, qv::kMaxPictureFileBytes), path);
}

// Opaque pictures, as the saver shows them: "Fade" keeps the old fourth byte.
inline qv::TBitmap32 Opaque(qv::TBitmap32 b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, b.Pixel(x, y) | 0xFF000000u);
  return b;
}

// Equal pictures, or where the first difference lies.
inline ::testing::AssertionResult SamePicture(const qv::TBitmap32& got, const qv::TBitmap32& want) {
  if (got.Width() != want.Width() || got.Height() != want.Height())
    return ::testing::AssertionFailure() << "size " << got.Width() << "x" << got.Height() << " instead of "
                                         << want.Width() << "x" << want.Height();
  for (int y = 0; y < got.Height(); ++y)
    for (int x = 0; x < got.Width(); ++x)
      if (got.Pixel(x, y) != want.Pixel(x, y)) {
        std::ostringstream s;
        s << std::hex << "pixel (" << std::dec << x << ", " << y << ") is 0x" << std::hex << got.Pixel(x, y)
          << " instead of 0x" << want.Pixel(x, y);
        return ::testing::AssertionFailure() << s.str();
      }
  return ::testing::AssertionSuccess();
}

}  // namespace qvtest

#include <string>
#include <vector>

#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "support/TempDir.h"

namespace qvtest {

// Small real picture files, for the programs that look at what a file holds.
inline std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
inline std::string JpegFile(int w = 16, int h = 12, uint32_t salt = 1) { return Bytes(qv::EncodeJPEG(Pattern(w, h, salt))); }
inline std::string BmpFile(int w = 16, int h = 12, uint32_t salt = 2) { return Bytes(qv::EncodeBMP32(Pattern(w, h, salt))); }
inline std::string GifFile(int w = 16, int h = 12, uint32_t salt = 3) {
  return Bytes(qv::EncodeGIF({Opaque(Pattern(w, h, salt))}));
}

}  // namespace qvtest
