// libFuzzer entry point for the PNG reader, without a hint and with a small
// one (PNG only checks it against the budget), then turned upright and into
// sRGB as DecodePicture hands every picture on.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/PNGLoader.h"
#include "graphics/ImageFormats/PictureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (qv::TDecodeHint hint : {qv::TDecodeHint{}, qv::TDecodeHint{16, 12}}) {
    try {
      qv::TPicture picture = qv::DecodePNG(data, size, hint);
      qv::FinishPicture(picture);
    } catch (const qv::EQVError&) {
    }
  }
  return 0;
}
