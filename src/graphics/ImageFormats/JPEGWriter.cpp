#include "graphics/ImageFormats/JPEGWriter.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/JPEGCommon.h"

namespace qv {

namespace {

struct TEncoder {
  jpeg_compress_struct cinfo{};
  TJpegErrorManager err{};
  unsigned char* buffer = nullptr;  // malloc'ed by libjpeg's memory destination
  unsigned long size = 0;
  bool created = false;

  TEncoder() = default;
  TEncoder(const TEncoder&) = delete;
  TEncoder& operator=(const TEncoder&) = delete;
  ~TEncoder() {
    if (created) jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
};

// Wraps the libjpeg calls: an error longjmps back here and gives false.
bool Encode(TEncoder& e, const TBitmap32& bitmap, int quality, const TJPEGExtras& extras, const uint8_t* app1,
            unsigned app1Size) {
  e.cinfo.err = InstallJpegErrors(e.err);
  if (setjmp(e.err.jump)) return false;
  jpeg_create_compress(&e.cinfo);
  e.created = true;
  jpeg_mem_dest(&e.cinfo, &e.buffer, &e.size);
  e.cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  e.cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  e.cinfo.input_components = 4;
  e.cinfo.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&e.cinfo);
  jpeg_set_quality(&e.cinfo, quality, TRUE);
  jpeg_start_compress(&e.cinfo, TRUE);
  if (app1Size > 0) jpeg_write_marker(&e.cinfo, JPEG_APP0 + 1, app1, app1Size);
  if (!extras.colourProfile.empty())
    jpeg_write_icc_profile(&e.cinfo, extras.colourProfile.data(), static_cast<unsigned>(extras.colourProfile.size()));
  while (e.cinfo.next_scanline < e.cinfo.image_height) {
    // libjpeg only reads the row, whatever its pointer type says.
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(bitmap.Row(static_cast<int>(e.cinfo.next_scanline))));
    jpeg_write_scanlines(&e.cinfo, &row, 1);
  }
  jpeg_finish_compress(&e.cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJPEG(const TBitmap32& bitmap, int quality, const TJPEGExtras& extras) {
  if (bitmap.Empty()) throw EQVError("Cannot encode an empty picture as JPEG");
  std::vector<uint8_t> app1;
  if (!extras.exif.empty()) {
    static const char kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    app1.assign(kExifPrefix, kExifPrefix + 6);
    app1.insert(app1.end(), extras.exif.begin(), extras.exif.end());
    if (app1.size() > 65533) throw EQVError("JPEG picture cannot be written: the EXIF block is too large");
  }
  TEncoder e;
  if (!Encode(e, bitmap, std::clamp(quality, 1, 100), extras, app1.data(), static_cast<unsigned>(app1.size())))
    throw EQVError(std::string("JPEG picture cannot be written: ") + e.err.message);
  return std::vector<uint8_t>(e.buffer, e.buffer + e.size);
}

}  // namespace qv
