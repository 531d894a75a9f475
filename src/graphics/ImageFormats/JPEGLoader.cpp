#include "graphics/ImageFormats/JPEGLoader.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/JPEGCommon.h"

namespace qv {

namespace {

struct TDecoder {
  jpeg_decompress_struct cinfo{};
  TJpegErrorManager err{};
  jpeg_progress_mgr progress{};
  bool created = false;
  JDIMENSION rowsRead = 0;

  TDecoder() = default;
  TDecoder(const TDecoder&) = delete;
  TDecoder& operator=(const TDecoder&) = delete;
  ~TDecoder() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

void LimitScans(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxJpegScans) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
    std::strcpy(manager->message, "too many scans");
    std::longjmp(manager->jump, 1);
  }
}

// The functions below each wrap libjpeg calls: an error longjmps back to
// their setjmp, and they return false. Only plain data lives in their frames.

bool ReadHeader(TDecoder& d, const uint8_t* data, size_t size) {
  d.cinfo.err = InstallJpegErrors(d.err);
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  d.created = true;
  d.cinfo.mem->max_memory_to_use = kMaxDecodeBytes;
  d.progress.progress_monitor = LimitScans;
  d.cinfo.progress = &d.progress;
  jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
  // EXIF (APP1) for the orientation, ICC (APP2) for the colours.
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 2, 0xFFFF);
  if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) {
    std::strcpy(d.err.message, "no picture in the stream");
    return false;
  }
  return true;
}

bool CalcOutput(TDecoder& d) {
  if (setjmp(d.err.jump)) return false;
  jpeg_calc_output_dimensions(&d.cinfo);
  return true;
}

bool StartDecompress(TDecoder& d) {
  if (setjmp(d.err.jump)) return false;
  jpeg_start_decompress(&d.cinfo);
  return true;
}

// Adobe writes CMYK inverted (0 is full ink), as nearly every CMYK JPEG is.
void CMYKToBGRA(const uint8_t* cmyk, uint32_t* out, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    const uint32_t k = cmyk[3];
    const uint32_t r = cmyk[0] * k / 255, g = cmyk[1] * k / 255, b = cmyk[2] * k / 255;
    out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
  }
}

// Each row is decoded where the stored picture has it or, for a picture to
// be turned, into `band` (kBandRows rows) and a band at a time put where the
// upright picture has it: the turn costs no second pass over the picture,
// and a band is wide enough that a quarter turn writes whole cache lines.
constexpr int kBandRows = 16;

bool ReadRows(TDecoder& d, TBitmap32& picture, int orientation, uint32_t* band, uint8_t* cmykRow,
              const std::atomic<bool>* cancelled) {
  if (setjmp(d.err.jump)) return false;
  const JDIMENSION width = d.cinfo.output_width;
  const int height = static_cast<int>(d.cinfo.output_height);
  int bandFirst = 0, bandRows = 0;
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    if (cancelled && cancelled->load(std::memory_order_relaxed)) break;
    const int y = static_cast<int>(d.cinfo.output_scanline);
    uint32_t* out = orientation == 1 ? picture.Row(y) : band + static_cast<size_t>(bandRows) * width;
    JSAMPROW row = cmykRow ? cmykRow : reinterpret_cast<JSAMPROW>(out);
    if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1) break;
    if (cmykRow) CMYKToBGRA(cmykRow, out, width);
    ++d.rowsRead;
    if (orientation != 1 && ++bandRows == kBandRows) {
      PlaceStoredRows(picture, orientation, bandFirst, bandRows, height, band, static_cast<int>(width));
      bandFirst += bandRows;
      bandRows = 0;
    }
  }
  if (orientation != 1 && bandRows > 0)
    PlaceStoredRows(picture, orientation, bandFirst, bandRows, height, band, static_cast<int>(width));
  return true;
}

int Orientation(const TDecoder& d) {
  for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
      return ExifOrientation(m->data, m->data_length);
  }
  return 1;
}

bool ReadIcc(TDecoder& d, JOCTET** joined, unsigned int* length) {
  if (setjmp(d.err.jump)) return false;
  return jpeg_read_icc_profile(&d.cinfo, joined, length) && *joined;
}

// The profile libjpeg-turbo joins from the ICC_PROFILE markers; none when
// they are missing, out of order or too large.
std::vector<uint8_t> ColourProfile(TDecoder& d) {
  JOCTET* joined = nullptr;
  unsigned int length = 0;
  if (!ReadIcc(d, &joined, &length)) {
    std::free(joined);
    return {};
  }
  std::vector<uint8_t> profile;
  if (length <= kMaxColourProfileBytes) profile.assign(joined, joined + length);
  std::free(joined);
  return profile;
}

[[noreturn]] void Fail(const TDecoder& d) {
  throw EQVError(std::string("JPEG picture cannot be read: ") + d.err.message);
}

}  // namespace

bool IsJPEG(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

TPicture DecodeJPEG(const uint8_t* data, size_t size, TDecodeHint hint) {
  if (!IsJPEG(data, size)) throw EQVError("JPEG picture cannot be read: not a JPEG stream");
  TDecoder d;
  if (!ReadHeader(d, data, size)) Fail(d);
  const int64_t w = d.cinfo.image_width, h = d.cinfo.image_height;
  if (!PictureSizeAllowed(w, h)) throw EQVError("JPEG picture is too large or has no pixels");
  const int orientation = Orientation(d);
  // The hint is for the upright picture; a quarter turn swaps its sides.
  if (OrientationSwapsSides(orientation)) std::swap(hint.minWidth, hint.minHeight);

  int denom = 1;
  if (hint.minWidth > 0 && hint.minHeight > 0) {
    for (int candidate : {8, 4, 2}) {
      if ((w + candidate - 1) / candidate >= hint.minWidth &&
          (h + candidate - 1) / candidate >= hint.minHeight) {
        denom = candidate;
        break;
      }
    }
  }
  d.cinfo.scale_num = 1;
  d.cinfo.scale_denom = static_cast<unsigned>(denom);
  const bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
  d.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  d.cinfo.dct_method = JDCT_ISLOW;
  // The decoded picture and libjpeg's working memory (a progressive file
  // keeps every coefficient of the whole picture) share one budget; beyond
  // it libjpeg stops with an error instead of allocating.
  if (!CalcOutput(d)) Fail(d);
  const int64_t outputBytes = int64_t{d.cinfo.output_width} * d.cinfo.output_height * 4;
  if (!DecodeFits(d.cinfo.output_width, d.cinfo.output_height))
    throw EQVError("JPEG picture is too large to show (" + std::to_string(w) + " x " + std::to_string(h) + ")");
  d.cinfo.mem->max_memory_to_use = static_cast<long>(kMaxDecodeBytes - outputBytes);
  if (!StartDecompress(d)) Fail(d);
  if (d.cinfo.output_components != 4 || !PictureSizeAllowed(d.cinfo.output_width, d.cinfo.output_height))
    throw EQVError("JPEG picture cannot be read: unexpected output format");

  TPicture picture;
  picture.colourProfile = ColourProfile(d);
  picture.trueWidth = static_cast<int>(w);
  picture.trueHeight = static_cast<int>(h);
  const int outW = static_cast<int>(d.cinfo.output_width), outH = static_cast<int>(d.cinfo.output_height);
  // Turned while it is read: the picture comes upright.
  if (OrientationSwapsSides(orientation)) {
    picture.bitmap.SetSize(outH, outW);
    std::swap(picture.trueWidth, picture.trueHeight);
  } else {
    picture.bitmap.SetSize(outW, outH);
  }
  picture.orientation = 1;
  picture.bitmap.Clear(0xFF808080u);
  std::vector<uint32_t> band(orientation != 1 ? static_cast<size_t>(outW) * kBandRows : 0);
  std::vector<uint8_t> cmykRow(cmyk ? static_cast<size_t>(d.cinfo.output_width) * 4 : 0);
  // A stream that breaks off after some rows still gives those rows.
  if (!ReadRows(d, picture.bitmap, orientation, band.data(), cmyk ? cmykRow.data() : nullptr, hint.cancelled) &&
      d.rowsRead == 0)
    Fail(d);
  if (hint.cancelled && hint.cancelled->load()) throw EQVError("JPEG picture: reading stopped");
  return picture;
}

}  // namespace qv
