// libFuzzer entry point for the WAVE reader and the conversion the sound
// players need.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/SoundFormats/uWave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::TMemoryByteStream stream(std::vector<uint8_t>(data, data + size));
  qv::TWave wave;
  try {
    wave.LoadFromStream(stream);
    qv::ConvertToPcm16(wave, 44100, 2);
  } catch (const qv::EQVError&) {
  }
  return 0;
}
