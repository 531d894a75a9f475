#include "graphics/ImageFormats/BMPLoader.h"

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "common/ByteReader.h"
#include "common/Error.h"
#include "common/Limits.h"

namespace qv {

namespace {

// Compression codes of the bitmap info header.
constexpr uint32_t kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;

[[noreturn]] void Fail(const char* why) { throw EQVError(std::string("BMP file ") + why); }

// One channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit TChannel(uint32_t m = 0) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::bit_width(m >> shift);
  }
  uint8_t Get(uint32_t pixel, uint8_t none) const {
    if (mask == 0) return none;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
  }
};

struct THeader {
  int64_t width = 0;
  int64_t height = 0;  // already made positive
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = kRGB;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool hasAlpha = false;
  std::vector<uint32_t> palette;  // 0xFFRRGGBB
};

THeader ReadHeader(const uint8_t* data, size_t size, size_t& offBits) {
  TByteReader file(data, size);
  file.Seek(10);
  offBits = file.U32();
  const uint32_t headerSize = file.U32();
  if (!file.Ok() || headerSize < 12 || headerSize > size - kFileHeaderSize) Fail("is truncated");
  // The whole info header is in the buffer; fields past its own size read as 0.
  TByteReader h(data + kFileHeaderSize, headerSize);
  THeader hd;
  size_t paletteAt = kFileHeaderSize + headerSize;
  int paletteEntrySize = 4;
  uint32_t colorsUsed = 0;
  if (headerSize == 12) {  // OS/2 core header
    h.Seek(4);
    hd.width = h.U16();
    hd.height = h.U16();
    h.Skip(2);
    hd.bpp = h.U16();
    paletteEntrySize = 3;
  } else if (headerSize >= 40) {
    h.Seek(4);
    hd.width = h.I32();
    const int32_t height = h.I32();
    hd.topDown = height < 0;
    hd.height = height < 0 ? -int64_t{height} : height;
    h.Skip(2);
    hd.bpp = h.U16();
    hd.compression = h.U32();
    h.Seek(32);
    colorsUsed = h.U32();
    if (hd.compression == kBitFields || hd.compression == kAlphaBitFields) {
      const size_t count = hd.compression == kAlphaBitFields ? 4 : 3;
      if (headerSize >= 40 + 4 * count) {
        h.Seek(40);
        for (size_t i = 0; i < count; ++i) hd.masks[i] = h.U32();
      } else {  // masks follow a BITMAPINFOHEADER
        file.Seek(paletteAt);
        for (size_t i = 0; i < count; ++i) hd.masks[i] = file.U32();
        if (!file.Ok()) Fail("is truncated");
        paletteAt += 4 * count;
      }
      if (headerSize >= 56 && hd.compression == kBitFields) {
        h.Seek(52);
        hd.masks[3] = h.U32();
      }
      hd.hasAlpha = hd.masks[3] != 0;
    }
  } else {
    Fail("has an unsupported header");
  }

  if (hd.width <= 0 || hd.height <= 0) Fail("has no pixels");
  if (!PictureSizeAllowed(hd.width, hd.height)) Fail("is too large");

  const bool bitFields = hd.compression == kBitFields || hd.compression == kAlphaBitFields;
  const bool valid =
      (hd.compression == kRGB &&
       (hd.bpp == 1 || hd.bpp == 4 || hd.bpp == 8 || hd.bpp == 16 || hd.bpp == 24 || hd.bpp == 32)) ||
      (hd.compression == kRLE8 && hd.bpp == 8) || (hd.compression == kRLE4 && hd.bpp == 4) ||
      (bitFields && (hd.bpp == 16 || hd.bpp == 32));
  if (!valid) Fail("has an unsupported pixel format");

  if (hd.compression == kRGB && hd.bpp == 16) {
    hd.masks[0] = 0x7C00;
    hd.masks[1] = 0x03E0;
    hd.masks[2] = 0x001F;
  } else if (hd.compression == kRGB && hd.bpp == 32) {
    hd.masks[0] = 0xFF0000;
    hd.masks[1] = 0xFF00;
    hd.masks[2] = 0xFF;
  }

  if (hd.bpp <= 8) {
    const uint32_t maxColors = 1u << hd.bpp;
    const uint32_t count = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    // Some writers give fewer entries than the header says, ending the
    // palette at the pixels; take what is there.
    size_t available = size > paletteAt ? (size - paletteAt) / paletteEntrySize : 0;
    if (offBits > paletteAt) available = std::min<size_t>(available, (offBits - paletteAt) / paletteEntrySize);
    const size_t n = std::min<size_t>(count, available);
    if (n == 0) Fail("has no palette");
    hd.palette.resize(n);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* e = data + paletteAt + i * paletteEntrySize;
      hd.palette[i] = 0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0];
    }
  }
  return hd;
}

uint32_t PaletteColor(const THeader& hd, uint32_t index) {
  if (index >= hd.palette.size()) Fail("has a palette index out of range");
  return hd.palette[index];
}

// The caller has checked that every row is in the buffer.
void DecodeUncompressed(const THeader& hd, const uint8_t* bits, TBitmap32& out) {
  const int w = static_cast<int>(hd.width), h = static_cast<int>(hd.height);
  const uint64_t stride = ((static_cast<uint64_t>(w) * hd.bpp + 31) / 32) * 4;
  const TChannel r(hd.masks[0]), g(hd.masks[1]), b(hd.masks[2]), a(hd.masks[3]);
  for (int row = 0; row < h; ++row) {
    const uint8_t* s = bits + stride * row;
    uint32_t* d = out.Row(hd.topDown ? row : h - 1 - row);
    switch (hd.bpp) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / hd.bpp;
        const uint32_t mask = (1u << hd.bpp) - 1;
        for (int x = 0; x < w; ++x) {
          const int shift = 8 - hd.bpp * (x % perByte + 1);
          d[x] = PaletteColor(hd, (s[x / perByte] >> shift) & mask);
        }
        break;
      }
      case 24:
        for (int x = 0; x < w; ++x, s += 3)
          d[x] = 0xFF000000u | (s[2] << 16) | (s[1] << 8) | s[0];
        break;
      case 16:
      case 32: {
        const bool wide = hd.bpp == 32;
        for (int x = 0; x < w; ++x) {
          const uint32_t p = wide ? LoadLE32(s + 4 * x) : LoadLE16(s + 2 * x);
          d[x] = (static_cast<uint32_t>(hd.hasAlpha ? a.Get(p, 255) : 255) << 24) |
                 (r.Get(p, 0) << 16) | (g.Get(p, 0) << 8) | b.Get(p, 0);
        }
        break;
      }
    }
  }
}

// RLE8 and RLE4: runs and absolute stretches are clamped to what is left of
// the row; pixels the stream skips stay opaque black.
void DecodeRLE(const THeader& hd, const uint8_t* p, size_t available, TBitmap32& out) {
  const int w = static_cast<int>(hd.width), h = static_cast<int>(hd.height);
  const bool four = hd.compression == kRLE4;
  out.Clear(0xFF000000u);
  const uint8_t* end = p + available;
  int x = 0, y = 0;  // y counts rows in file order
  auto put = [&](uint32_t index) {
    if (x < w && y < h) out.SetPixel(x, hd.topDown ? y : h - 1 - y, PaletteColor(hd, index));
    ++x;
  };
  while (y < h) {
    if (end - p < 2) Fail("is truncated");
    const uint8_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      const int n = std::min<int>(count, std::max(0, w - x));
      for (int i = 0; i < n; ++i) put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
      x = std::min(w, x + (count - n));
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (end - p < 2) Fail("is truncated");
      x = std::min(w, x + p[0]);
      y += p[1];
      p += 2;
    } else {  // absolute stretch of value pixels, padded to 16 bits
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t padded = (bytes + 1) & ~size_t{1};
      if (static_cast<size_t>(end - p) < bytes) Fail("is truncated");
      const int n = std::min<int>(value, std::max(0, w - x));
      for (int i = 0; i < n; ++i) put(four ? (i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2] & 15) : p[i]);
      x = std::min(w, x + (value - n));
      p += std::min(padded, static_cast<size_t>(end - p));
    }
  }
}

}  // namespace

bool IsBMP(const uint8_t* data, size_t size) {
  return size >= kFileHeaderSize && data[0] == 'B' && data[1] == 'M';
}

TBitmap32 DecodeBMP(const uint8_t* data, size_t size) {
  if (!IsBMP(data, size)) Fail("is not a bitmap file");
  size_t offBits = 0;
  const THeader hd = ReadHeader(data, size, offBits);
  if (offBits >= size) Fail("is truncated");
  // Everything that can be checked against the file's length is checked
  // before the picture is allocated.
  if (hd.compression != kRLE8 && hd.compression != kRLE4) {
    // The last row's padding may be missing.
    const uint64_t stride = ((static_cast<uint64_t>(hd.width) * hd.bpp + 31) / 32) * 4;
    if (stride * (hd.height - 1) + (static_cast<uint64_t>(hd.width) * hd.bpp + 7) / 8 > size - offBits)
      Fail("is truncated");
  }
  if (!DecodeFits(hd.width, hd.height)) Fail("is too large to show");
  TBitmap32 out(static_cast<int>(hd.width), static_cast<int>(hd.height));
  if (hd.compression == kRLE8 || hd.compression == kRLE4)
    DecodeRLE(hd, data + offBits, size - offBits, out);
  else
    DecodeUncompressed(hd, data + offBits, out);
  return out;
}

}  // namespace qv
