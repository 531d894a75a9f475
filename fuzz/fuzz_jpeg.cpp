// libFuzzer entry point for the JPEG reader, at its own size and at the
// reduced scale the slideshow asks for.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/JPEGLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (qv::TDecodeHint hint : {qv::TDecodeHint{}, qv::TDecodeHint{64, 48}}) {
    try {
      qv::DecodeJPEG(data, size, hint);
    } catch (const qv::EQVError&) {
    }
  }
  return 0;
}
