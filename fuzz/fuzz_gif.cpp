// libFuzzer entry point for the GIF reader: the first frame, as the
// slideshow reads a still picture, every frame, as animations do, and the
// frames as stored, as animated objects read them.
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/GIFLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool first : {true, false}) {
    try {
      qv::DecodeGIF(data, size, {.firstFrameOnly = first});
    } catch (const qv::EQVError&) {
    }
  }
  try {
    qv::DecodeGIFStored(data, size);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
