#include "graphics/ImageFormats/ExifOrientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace qv {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

struct TTiffReader {
  const uint8_t* data;
  size_t size;
  bool little;

  bool Has(size_t offset, size_t count) const { return offset <= size && count <= size - offset; }
  uint16_t U16(size_t at) const {
    return little ? static_cast<uint16_t>(data[at] | data[at + 1] << 8)
                  : static_cast<uint16_t>(data[at] << 8 | data[at + 1]);
  }
  uint32_t U32(size_t at) const {
    const uint32_t a = data[at], b = data[at + 1], c = data[at + 2], d = data[at + 3];
    return little ? (a | b << 8 | c << 16 | d << 24) : (a << 24 | b << 16 | c << 8 | d);
  }
};

}  // namespace

int ExifOrientation(const uint8_t* data, size_t size) {
  if (!data) return 1;
  if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
    data += 6;
    size -= 6;
  }
  if (size < 8) return 1;
  TTiffReader r{data, size, false};
  if (std::memcmp(data, "II*\0", 4) == 0)
    r.little = true;
  else if (std::memcmp(data, "MM\0*", 4) != 0)
    return 1;
  const uint32_t ifd = r.U32(4);
  if (!r.Has(ifd, 2)) return 1;
  const uint16_t entries = r.U16(ifd);
  // Each entry is 12 bytes: tag, type, count, value (a SHORT sits in the
  // value field's first two bytes).
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t at = size_t{ifd} + 2 + size_t{i} * 12;
    if (!r.Has(at, 12)) return 1;
    if (r.U16(at) != kOrientationTag) continue;
    if (r.U16(at + 2) != kShortType || r.U32(at + 4) != 1) return 1;
    const int value = r.U16(at + 8);
    return value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

TBitmap32 Oriented(TBitmap32 bitmap, int orientation) {
  if (orientation < 2 || orientation > 8 || bitmap.Empty()) return bitmap;
  const int w = bitmap.Width(), h = bitmap.Height();
  if (orientation == 2 || orientation == 4) {
    if (orientation == 2) {
      for (int y = 0; y < h; ++y) std::reverse(bitmap.Row(y), bitmap.Row(y) + w);
    } else {
      for (int y = 0; y < h / 2; ++y) std::swap_ranges(bitmap.Row(y), bitmap.Row(y) + w, bitmap.Row(h - 1 - y));
    }
    return bitmap;
  }
  if (orientation == 3) {
    std::reverse(bitmap.Bits(), bitmap.Bits() + static_cast<size_t>(w) * h);
    return bitmap;
  }
  // The quarter turns: the upright picture is h wide and w high. Each
  // upright pixel (ux, uy) comes from a stored pixel; the copy runs in tiles
  // so both pictures are walked within the cache.
  TBitmap32 upright;
  upright.Reshape(h, w);
  const uint32_t* src = bitmap.Bits();
  constexpr int kTile = 64;
  for (int ty = 0; ty < w; ty += kTile) {
    const int yEnd = std::min(ty + kTile, w);
    for (int tx = 0; tx < h; tx += kTile) {
      const int xEnd = std::min(tx + kTile, h);
      for (int uy = ty; uy < yEnd; ++uy) {
        uint32_t* out = upright.Row(uy);
        // Stored column sx and the row walk for this upright row.
        int sx = 0;
        int sy0 = 0, step = 0;
        switch (orientation) {
          case 5: sx = uy; sy0 = 0; step = 1; break;            // transpose
          case 6: sx = uy; sy0 = h - 1; step = -1; break;       // turn clockwise
          case 7: sx = w - 1 - uy; sy0 = h - 1; step = -1; break;  // transverse
          default: sx = w - 1 - uy; sy0 = 0; step = 1; break;   // 8: turn anticlockwise
        }
        // The stored column walked down (step 1) or up (step -1).
        const uint32_t* column = src + static_cast<ptrdiff_t>(sy0) * w + sx;
        const ptrdiff_t stride = static_cast<ptrdiff_t>(step) * w;
        for (int ux = tx; ux < xEnd; ++ux) out[ux] = column[ux * stride];
      }
    }
  }
  upright.SetMasterAlpha(bitmap.MasterAlpha());
  upright.SetDrawMode(bitmap.DrawMode());
  return upright;
}

void PlaceStoredRows(TBitmap32& upright, int orientation, int storedY, int count, int storedHeight,
                     const uint32_t* rows, int storedWidth) {
  const int w = storedWidth, h = storedHeight;
  if (!OrientationSwapsSides(orientation)) {
    for (int i = 0; i < count; ++i) {
      const uint32_t* row = rows + static_cast<size_t>(i) * w;
      const int sy = storedY + i;
      uint32_t* out = upright.Row(orientation == 3 || orientation == 4 ? h - 1 - sy : sy);
      if (orientation == 2 || orientation == 3)
        std::reverse_copy(row, row + w, out);
      else
        std::copy(row, row + w, out);
    }
    return;
  }
  // Stored rows are upright columns: stored (sx, sy) is upright x = sy (5,
  // 8) or h - 1 - sy (6, 7), y = sx (5, 6) or w - 1 - sx (7, 8). Each upright
  // row takes `count` neighbouring pixels, one from each stored row.
  const bool forwardX = orientation == 5 || orientation == 8;
  const bool downY = orientation == 5 || orientation == 6;
  const int firstX = forwardX ? storedY : h - storedY - count;
  for (int sx = 0; sx < w; ++sx) {
    uint32_t* out = upright.Row(downY ? sx : w - 1 - sx) + firstX;
    for (int i = 0; i < count; ++i) {
      // Upright x runs with the stored rows (5, 8) or against them (6, 7).
      const int row = forwardX ? i : count - 1 - i;
      out[i] = rows[static_cast<size_t>(row) * w + sx];
    }
  }
}

std::vector<uint8_t> ExifBlock(int orientation) {
  const uint8_t o = static_cast<uint8_t>(orientation);
  return {'I', 'I', 42, 0, 8, 0, 0, 0,                 // header, IFD0 at 8
          1, 0,                                        // one entry
          0x12, 0x01, 3, 0, 1, 0, 0, 0, o, 0, 0, 0,    // Orientation, SHORT, 1, value
          0, 0, 0, 0};                                 // no next IFD
}

}  // namespace qv
