#include "graphics/ImageFormats/BMPWriter.h"

#include <fstream>

#include "common/ByteReader.h"
#include "common/Error.h"
#include "common/Utf8Path.h"

namespace qv {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

std::vector<uint8_t> Encode(const TBitmap32& bitmap, int bitsPerPixel) {
  if (bitmap.Empty()) throw EQVError("Cannot save an empty picture as a bitmap file");
  const int w = bitmap.Width(), h = bitmap.Height();
  const size_t rowBytes = ((static_cast<size_t>(w) * bitsPerPixel + 31) / 32) * 4;
  const size_t imageSize = rowBytes * h;
  const size_t offBits = kFileHeaderSize + kInfoHeaderSize;
  std::vector<uint8_t> out(offBits + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  // The file size field is 32 bits; pictures within the caps of the readers
  // stay far below 4 GiB.
  StoreLE32(out.data() + 2, static_cast<uint32_t>(out.size()));
  StoreLE32(out.data() + 10, static_cast<uint32_t>(offBits));
  StoreLE32(out.data() + 14, kInfoHeaderSize);
  StoreLE32(out.data() + 18, static_cast<uint32_t>(w));
  StoreLE32(out.data() + 22, static_cast<uint32_t>(h));  // positive height: bottom-up rows
  StoreLE16(out.data() + 26, 1);
  StoreLE16(out.data() + 28, static_cast<uint16_t>(bitsPerPixel));
  StoreLE32(out.data() + 30, 0);  // BI_RGB
  StoreLE32(out.data() + 34, static_cast<uint32_t>(imageSize));
  StoreLE32(out.data() + 38, 2835);  // 72 dots per inch
  StoreLE32(out.data() + 42, 2835);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = bitmap.Row(h - 1 - y);
    uint8_t* dst = &out[offBits + rowBytes * y];
    for (int x = 0; x < w; ++x) {
      const uint32_t p = src[x];
      *dst++ = static_cast<uint8_t>(p);
      *dst++ = static_cast<uint8_t>(p >> 8);
      *dst++ = static_cast<uint8_t>(p >> 16);
      if (bitsPerPixel == 32) *dst++ = static_cast<uint8_t>(p >> 24);
    }
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBMP32(const TBitmap32& bitmap) { return Encode(bitmap, 32); }

std::vector<uint8_t> EncodeBMP24(const TBitmap32& bitmap) { return Encode(bitmap, 24); }

void SaveBMP32(const TBitmap32& bitmap, const std::string& path) {
  const std::vector<uint8_t> bytes = EncodeBMP32(bitmap);
  std::ofstream file(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  if (!file) throw EQVError("Cannot write " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw EQVError("Cannot write " + path);
}

}  // namespace qv
