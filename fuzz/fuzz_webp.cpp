// libFuzzer entry point for the WebP reader, at its own size and at a
// reduced scale (the hint is small enough for the seeds to shrink), then
// turned upright and into sRGB as DecodePicture hands every picture on.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/ImageFormats/WebPLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (qv::TDecodeHint hint : {qv::TDecodeHint{}, qv::TDecodeHint{16, 12}}) {
    try {
      qv::TPicture picture = qv::DecodeWebP(data, size, hint);
      qv::FinishPicture(picture);
    } catch (const qv::EQVError&) {
    }
  }
  return 0;
}
