// libFuzzer entry point for the picture decoders:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc fuzz/fuzz_pictures.cpp \
//     src/graphics/*.cpp src/graphics/ImageFormats/*.cpp -ljpeg -lgif
#include <cstddef>
#include <cstdint>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    qv::DecodeBMP(data, size);
  } catch (const qv::EQVError&) {
  }
  try {
    qv::DecodeJPEG(data, size, {64, 64});
  } catch (const qv::EQVError&) {
  }
  try {
    qv::DecodeGIF(data, size);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
