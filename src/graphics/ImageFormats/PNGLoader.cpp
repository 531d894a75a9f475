#include "graphics/ImageFormats/PNGLoader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/PNGCommon.h"
#include "graphics/uPixelMix.h"

namespace qv {

namespace {

struct TSource {
  const uint8_t* data;
  size_t size;
  size_t at;
};

// libpng's errors longjmp back to the setjmp of the small function that made
// the call, which then reports failure by its result; only plain data lives
// in those frames.
struct TDecoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  TSource source{};
  char message[kPngMessageSize] = "";

  TDecoder() = default;
  TDecoder(const TDecoder&) = delete;
  TDecoder& operator=(const TDecoder&) = delete;
  ~TDecoder() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};


void Read(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<TSource*>(png_get_io_ptr(png));
  if (count > source->size - source->at) png_error(png, "the stream ends early");
  std::memcpy(out, source->data + source->at, count);
  source->at += count;
}

bool ReadInfo(TDecoder& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  png_set_read_fn(d.png, &d.source, Read);
  png_set_user_limits(d.png, kMaxPictureSide, kMaxPictureSide);
  // Text, profile and EXIF chunks are kept or skipped whole; no single one
  // may take more than a profile may.
  png_set_chunk_malloc_max(d.png, kMaxColourProfileBytes);
  png_read_info(d.png, d.info);
  return true;
}

// Asks libpng for 8-bit BGRA, whatever the stored kind.
bool SetTransforms(TDecoder& d, int& passes) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  const int colour = png_get_color_type(d.png, d.info);
  const int depth = png_get_bit_depth(d.png, d.info);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d.png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(d.png);
  if (png_get_valid(d.png, d.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(d.png);
  if (depth == 16) png_set_scale_16(d.png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(d.png);
  png_set_bgr(d.png);
  png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
  passes = png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);
  return true;
}

bool ReadRows(TDecoder& d, TBitmap32& bitmap, int passes, const std::atomic<bool>* cancelled) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < bitmap.Height(); ++y) {
      if (cancelled && cancelled->load(std::memory_order_relaxed)) return true;
      png_read_row(d.png, reinterpret_cast<png_bytep>(bitmap.Row(y)), nullptr);
    }
  }
  return true;
}

// The chunks that may follow the pixels (eXIf often does).
bool ReadEnd(TDecoder& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  png_read_end(d.png, d.info);
  return true;
}

void TakeProfileAndOrientation(TDecoder& d, TPicture& picture) {
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 length = 0;
  if (png_get_iCCP(d.png, d.info, &name, &compression, &profile, &length) && profile &&
      length <= kMaxColourProfileBytes)
    picture.colourProfile.assign(profile, profile + length);
#ifdef PNG_eXIf_SUPPORTED
  png_bytep exif = nullptr;
  png_uint_32 exifLength = 0;
  if (png_get_eXIf_1(d.png, d.info, &exifLength, &exif) && exif && exifLength <= kMaxExifBytes)
    picture.orientation = ExifOrientation(exif, exifLength);
#endif
}

[[noreturn]] void Fail(const TDecoder& d) { throw EQVError(std::string("PNG picture cannot be read: ") + d.message); }

// Transparent pixels over black: the colour weighed by its alpha.
void AllOverBlack(TBitmap32& bitmap) {
  uint32_t* p = bitmap.Bits();
  const size_t count = static_cast<size_t>(bitmap.Width()) * bitmap.Height();
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = p[i] >> 24;
    if (a == 255) continue;
    const uint32_t c = p[i];
    p[i] = OverBlack(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF, a);
  }
}

}  // namespace

bool IsPNG(const uint8_t* data, size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

TPicture DecodePNG(const uint8_t* data, size_t size, TDecodeHint hint) {
  if (!IsPNG(data, size)) throw EQVError("PNG picture cannot be read: not a PNG stream");
  TDecoder d;
  d.source = {data, size, 0};
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, d.message, PngError, PngWarning);
  if (!d.png) throw EQVError("PNG picture cannot be read: out of memory");
  d.info = png_create_info_struct(d.png);
  if (!d.info) throw EQVError("PNG picture cannot be read: out of memory");
  if (!ReadInfo(d)) Fail(d);
  const int64_t w = png_get_image_width(d.png, d.info), h = png_get_image_height(d.png, d.info);
  if (!PictureSizeAllowed(w, h)) throw EQVError("PNG picture is too large or has no pixels");
  // libpng keeps one row (two for interlaced pictures) beside the pixels.
  if (!DecodeFits(w, h, w * 8 * 2))
    throw EQVError("PNG picture is too large to show (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  int passes = 1;
  if (!SetTransforms(d, passes)) Fail(d);
  if (png_get_rowbytes(d.png, d.info) != static_cast<size_t>(w) * 4)
    throw EQVError("PNG picture cannot be read: unexpected output format");

  TPicture picture;
  picture.trueWidth = static_cast<int>(w);
  picture.trueHeight = static_cast<int>(h);
  picture.bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
  if (!ReadRows(d, picture.bitmap, passes, hint.cancelled)) Fail(d);
  if (hint.cancelled && hint.cancelled->load()) throw EQVError("PNG picture: reading stopped");
  // Damage after the pixels (a cut end, a bad chunk) costs only what follows them.
  ReadEnd(d);
  TakeProfileAndOrientation(d, picture);
  AllOverBlack(picture.bitmap);
  return picture;
}

}  // namespace qv
