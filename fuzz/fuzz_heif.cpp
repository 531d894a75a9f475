// libFuzzer entry point for the photo formats pack converts to JPEG: HEIC,
// HEIF and AVIF through libheif and TIFF through libtiff, decoded upright
// and into sRGB as the conversion does.
#include <cstddef>
#include <cstdint>

#include "PhotoConvert.h"
#include "common/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    qvtool::DecodePhoto(data, size);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
