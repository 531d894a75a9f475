#include "graphics/ImageFormats/PNGWriter.h"

#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/PNGCommon.h"

namespace qv {

namespace {

struct TEncoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> out;
  char message[kPngMessageSize] = "";

  TEncoder() = default;
  TEncoder(const TEncoder&) = delete;
  TEncoder& operator=(const TEncoder&) = delete;
  ~TEncoder() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

void Write(png_structp png, png_bytep data, png_size_t count) {
  auto* e = static_cast<TEncoder*>(png_get_io_ptr(png));
  e->out.insert(e->out.end(), data, data + count);
}
void Flush(png_structp) {}

int ColourType(TPNGKind kind) {
  switch (kind) {
    case TPNGKind::ColourAlpha: return PNG_COLOR_TYPE_RGB_ALPHA;
    case TPNGKind::Grey: return PNG_COLOR_TYPE_GRAY;
    case TPNGKind::GreyAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case TPNGKind::Palette: return PNG_COLOR_TYPE_PALETTE;
    default: return PNG_COLOR_TYPE_RGB;
  }
}

// The stored rows, packed as libpng takes them (big-endian 16-bit samples,
// sub-byte samples from the high bits).
std::vector<std::vector<uint8_t>> Rows(const TBitmap32& bitmap, const TPNGOptions& o, std::vector<png_color>& palette,
                                       std::vector<png_byte>& paletteAlpha) {
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(bitmap.Height()));
  const int w = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::vector<uint8_t>& row = rows[static_cast<size_t>(y)];
    std::vector<uint32_t> samples;  // per pixel, the samples in order
    for (int x = 0; x < w; ++x) {
      const uint32_t c = bitmap.Pixel(x, y);
      const uint32_t a = c >> 24, r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
      switch (o.kind) {
        case TPNGKind::Colour: samples.insert(samples.end(), {r, g, b}); break;
        case TPNGKind::ColourAlpha: samples.insert(samples.end(), {r, g, b, a}); break;
        case TPNGKind::Grey: samples.push_back(g); break;
        case TPNGKind::GreyAlpha: samples.insert(samples.end(), {g, a}); break;
        case TPNGKind::Palette: {
          size_t best = 0;
          int bestDistance = 1 << 30;
          for (size_t i = 0; i < palette.size(); ++i) {
            const int d = std::abs(palette[i].red - static_cast<int>(r)) + std::abs(palette[i].green - static_cast<int>(g)) +
                          std::abs(palette[i].blue - static_cast<int>(b)) + std::abs(paletteAlpha[i] - static_cast<int>(a));
            if (d < bestDistance) best = i, bestDistance = d;
          }
          if (bestDistance != 0 && palette.size() < (size_t{1} << o.depth)) {
            palette.push_back({static_cast<png_byte>(r), static_cast<png_byte>(g), static_cast<png_byte>(b)});
            paletteAlpha.push_back(static_cast<png_byte>(a));
            best = palette.size() - 1;
          }
          samples.push_back(static_cast<uint32_t>(best));
          break;
        }
      }
    }
    const bool indexed = o.kind == TPNGKind::Palette;
    if (o.depth == 16) {
      for (uint32_t s : samples) row.insert(row.end(), {static_cast<uint8_t>(s), static_cast<uint8_t>(s)});
    } else if (o.depth == 8) {
      row.assign(samples.begin(), samples.end());
    } else {
      // 1, 2 or 4 bits: grey keeps its high bits, a palette its index.
      const int perByte = 8 / o.depth;
      row.assign((samples.size() + perByte - 1) / perByte, 0);
      for (size_t i = 0; i < samples.size(); ++i) {
        const uint32_t v = indexed ? samples[i] : samples[i] >> (8 - o.depth);
        row[i / perByte] |= static_cast<uint8_t>(v << (8 - o.depth * (1 + static_cast<int>(i % perByte))));
      }
    }
  }
  return rows;
}

bool Encode(TEncoder& e, const TBitmap32& bitmap, const TPNGOptions& o, std::vector<std::vector<uint8_t>>& rows,
            const std::vector<png_color>& palette, const std::vector<png_byte>& paletteAlpha) {
  if (setjmp(png_jmpbuf(e.png))) return false;
  png_set_write_fn(e.png, &e, Write, Flush);
  png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(bitmap.Width()), static_cast<png_uint_32>(bitmap.Height()),
               o.depth, ColourType(o.kind), o.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (o.kind == TPNGKind::Palette) {
    png_set_PLTE(e.png, e.info, palette.data(), static_cast<int>(palette.size()));
    bool anyTransparent = false;
    for (png_byte a : paletteAlpha) anyTransparent |= a != 255;
    if (anyTransparent) png_set_tRNS(e.png, e.info, paletteAlpha.data(), static_cast<int>(paletteAlpha.size()), nullptr);
  }
  if (!o.colourProfile.empty())
    png_set_iCCP(e.png, e.info, "profile", PNG_COMPRESSION_TYPE_BASE, o.colourProfile.data(),
                 static_cast<png_uint_32>(o.colourProfile.size()));
#ifdef PNG_eXIf_SUPPORTED
  if (!o.exif.empty()) png_set_eXIf_1(e.png, e.info, static_cast<png_uint_32>(o.exif.size()), const_cast<png_bytep>(o.exif.data()));
#endif
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_set_rows(e.png, e.info, pointers.data());
  png_write_png(e.png, e.info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePNG(const TBitmap32& bitmap, const TPNGOptions& options) {
  if (bitmap.Empty()) throw EQVError("Cannot encode an empty picture as PNG");
  const bool lowDepthAllowed = options.kind == TPNGKind::Palette || options.kind == TPNGKind::Grey;
  const bool depthOk = options.depth == 8 || (options.depth == 16 && options.kind != TPNGKind::Palette) ||
                       (lowDepthAllowed && (options.depth == 1 || options.depth == 2 || options.depth == 4));
  if (!depthOk) throw EQVError("PNG picture cannot be written: depth " + std::to_string(options.depth) + " does not fit the kind");
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;
  std::vector<std::vector<uint8_t>> rows = Rows(bitmap, options, palette, paletteAlpha);
  TEncoder e;
  e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, e.message, PngError, PngWarning);
  if (!e.png) throw EQVError("PNG picture cannot be written: out of memory");
  e.info = png_create_info_struct(e.png);
  if (!e.info) throw EQVError("PNG picture cannot be written: out of memory");
  if (!Encode(e, bitmap, options, rows, palette, paletteAlpha))
    throw EQVError(std::string("PNG picture cannot be written: ") + e.message);
  return std::move(e.out);
}

}  // namespace qv
