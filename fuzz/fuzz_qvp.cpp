// libFuzzer entry point for animated pictures: the .QVP reader (full and
// header reads, the mask runs, the later fields), the object descriptions
// and the build settings' comma text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "animation/uAnimObjects.h"
#include "animation/uFileLoader.h"
#include "animation/uProject.h"
#include "common/Error.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/SteppedWorkers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    qv::TFileLoader loader;
    qv::TMyStream stream(bytes);
    loader.ReadHeader(stream);
  } catch (const qv::EQVError&) {
  }
  try {
    qv::TFileLoader loader;
    qv::TMyStream stream(bytes);
    loader.Read(stream);
  } catch (const qv::EQVError&) {
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  qv::platform::TManualClock clock;
  qv::platform::TSteppedWorkers workers(clock);
  qv::TAnimObjects objects({&clock, &workers, {}});
  objects.Load(text);
  for (size_t i = 0; i < objects.Count(); ++i) objects[i].Write();
  qv::CommaTextItems(text);
  return 0;
}
