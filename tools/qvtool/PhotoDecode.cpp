// The decoders behind PhotoConvert.h: libheif (HEIC, HEIF, AVIF) and libtiff.
#include <libheif/heif.h>
#include <tiffio.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PhotoConvert.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uPixelMix.h"

namespace qvtool {

using qv::EQVError;

namespace {

// --- HEIF ------------------------------------------------------------------

struct THeifContext {
  heif_context* ctx = heif_context_alloc();
  ~THeifContext() { heif_context_free(ctx); }
};
struct THeifHandle {
  heif_image_handle* handle = nullptr;
  ~THeifHandle() { heif_image_handle_release(handle); }
};
struct THeifImage {
  heif_image* image = nullptr;
  ~THeifImage() { heif_image_release(image); }
};

void Check(heif_error error) {
  if (error.code != heif_error_Ok) throw EQVError(error.message ? error.message : "damaged picture");
}

// An ICC profile made from a HEIF's colour primaries, for pictures that say
// their colours by number (nclx) instead of by profile; none for sRGB's own
// primaries or when they are not given. The sRGB tone curve is taken, as the
// cameras that write wide-gamut HEIF use it.
std::vector<uint8_t> ProfileOfPrimaries(const heif_image_handle* handle) {
  heif_color_profile_nclx* nclx = nullptr;
  // libheif may hand a profile back with an error (an unknown value in it):
  // it is ours to free either way.
  const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
  std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owned(nclx,
                                                                                   heif_nclx_color_profile_free);
  if (error.code != heif_error_Ok || !nclx) return {};
  if (nclx->color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
      nclx->color_primaries == heif_color_primaries_unspecified || nclx->color_primary_red_x <= 0)
    return {};
  const qv::TRGBSpace space{{nclx->color_primary_red_x, nclx->color_primary_red_y},
                            {nclx->color_primary_green_x, nclx->color_primary_green_y},
                            {nclx->color_primary_blue_x, nclx->color_primary_blue_y},
                            {nclx->color_primary_white_x, nclx->color_primary_white_y},
                            0};
  return qv::MakeRGBProfile(space);
}

qv::TPicture DecodeHeif(const uint8_t* data, size_t size) {
  THeifContext context;
  if (!context.ctx) throw EQVError("out of memory");
  heif_context_set_maximum_image_size_limit(context.ctx, static_cast<int>(qv::kMaxPictureSide));
  Check(heif_context_read_from_memory_without_copy(context.ctx, data, size, nullptr));
  THeifHandle handle;
  Check(heif_context_get_primary_image_handle(context.ctx, &handle.handle));
  const int64_t w = heif_image_handle_get_width(handle.handle), h = heif_image_handle_get_height(handle.handle);
  // Decoding keeps the planes of the coded picture beside the colour one.
  if (!qv::DecodeFits(w, h, w * h * 4))
    throw EQVError("too large (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  // libheif turns and mirrors the picture as its container says (irot,
  // imir); an EXIF orientation inside is not applied again.
  THeifImage image;
  Check(heif_decode_image(handle.handle, &image.image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr));
  const int outW = heif_image_get_width(image.image, heif_channel_interleaved);
  const int outH = heif_image_get_height(image.image, heif_channel_interleaved);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.image, heif_channel_interleaved, &stride);
  if (!plane || !qv::PictureSizeAllowed(outW, outH) || stride < outW * 4) throw EQVError("unexpected output format");

  qv::TPicture picture;
  picture.bitmap.SetSize(outW, outH);
  picture.trueWidth = outW;
  picture.trueHeight = outH;
  for (int y = 0; y < outH; ++y) {
    const uint8_t* in = plane + static_cast<size_t>(y) * stride;
    uint32_t* out = picture.bitmap.Row(y);
    for (int x = 0; x < outW; ++x, in += 4) {
      out[x] = qv::OverBlack(in[0], in[1], in[2], in[3]);
    }
  }
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle.handle);
  if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
    const size_t length = heif_image_handle_get_raw_color_profile_size(handle.handle);
    if (length > 0 && length <= qv::kMaxColourProfileBytes) {
      picture.colourProfile.resize(length);
      if (heif_image_handle_get_raw_color_profile(handle.handle, picture.colourProfile.data()).code != heif_error_Ok)
        picture.colourProfile.clear();
    }
  } else {
    picture.colourProfile = ProfileOfPrimaries(handle.handle);
  }
  return picture;
}

// --- TIFF ------------------------------------------------------------------

struct TMemory {
  const uint8_t* data;
  uint64_t size;
  uint64_t at = 0;
};

tmsize_t TiffRead(thandle_t h, void* out, tmsize_t count) {
  auto* m = static_cast<TMemory*>(h);
  if (count < 0) return -1;
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), m->size - m->at);
  std::memcpy(out, m->data + m->at, n);
  m->at += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t TiffSeek(thandle_t h, toff_t offset, int whence) {
  auto* m = static_cast<TMemory*>(h);
  uint64_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->size : 0;
  if (offset > m->size - std::min(base, m->size)) return static_cast<toff_t>(-1);
  m->at = base + offset;
  return m->at;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<TMemory*>(h)->size; }

void TiffQuiet(const char*, const char*, va_list) {}

struct TTiff {
  TIFF* tif = nullptr;
  ~TTiff() {
    if (tif) TIFFClose(tif);
  }
};

qv::TPicture DecodeTiff(const uint8_t* data, size_t size) {
  TIFFSetErrorHandler(TiffQuiet);
  TIFFSetWarningHandler(TiffQuiet);
  TMemory memory{data, size};
  TTiff t;
  t.tif = TIFFClientOpen("picture", "rm", &memory, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, nullptr, nullptr);
  if (!t.tif) throw EQVError("damaged picture");
  uint32_t w = 0, h = 0;
  TIFFGetField(t.tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(t.tif, TIFFTAG_IMAGELENGTH, &h);
  // libtiff's RGBA reader keeps a strip or tile beside the picture.
  if (!qv::DecodeFits(w, h, int64_t{w} * h * 4))
    throw EQVError("too large or without pixels (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(t.tif, TIFFTAG_ORIENTATION, &orientation);
  qv::TPicture picture;
  picture.bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
  picture.trueWidth = static_cast<int>(w);
  picture.trueHeight = static_cast<int>(h);
  // Read top row first: libtiff applies the flips of orientations 2 to 4
  // and, for 5 to 8, the flip of the corner they start in; the quarter
  // turn's transposition is what is left (orientation numbers are EXIF's).
  if (!TIFFReadRGBAImageOriented(t.tif, w, h, picture.bitmap.Bits(), ORIENTATION_TOPLEFT, 0))
    throw EQVError("damaged picture");
  // libtiff gives R, G, B, A from the low byte up; the engine keeps B in it.
  uint32_t* p = picture.bitmap.Bits();
  for (size_t i = 0, n = size_t{w} * h; i < n; ++i) {
    const uint32_t c = p[i];
    p[i] = qv::OverBlack(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF, c >> 24);
  }
  if (orientation == 5 || orientation == 7) picture.orientation = 5;
  if (orientation == 6 || orientation == 8) picture.orientation = 7;
  uint32_t length = 0;
  void* profile = nullptr;
  if (TIFFGetField(t.tif, TIFFTAG_ICCPROFILE, &length, &profile) && profile && length <= qv::kMaxColourProfileBytes) {
    const auto* bytes = static_cast<const uint8_t*>(profile);
    picture.colourProfile.assign(bytes, bytes + length);
  }
  return picture;
}

}  // namespace

bool CanConvertPhotos() { return true; }

qv::TPicture DecodePhoto(const uint8_t* data, size_t size) {
  const std::string format = ConvertibleFormat(data, size);
  qv::TPicture picture;
  if (format == "TIFF")
    picture = DecodeTiff(data, size);
  else if (!format.empty())
    picture = DecodeHeif(data, size);
  else
    throw EQVError("not a HEIF, AVIF or TIFF picture");
  qv::FinishPicture(picture);
  return picture;
}

}  // namespace qvtool
