// libFuzzer entry point for the BMP reader: any bytes, no crash, no
// allocation beyond the caps.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    qv::DecodeBMP(data, size);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
