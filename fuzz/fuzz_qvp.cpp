// libFuzzer entry point for animated pictures: the .QVP reader (full and
// header reads, the mask runs, the later fields), the object descriptions
// and the build settings' comma text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "animation/uFileLoader.h"
#include "animation/uObjectDescription.h"
#include "common/CommaText.h"
#include "common/Error.h"

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
  for (const qv::TObjectDescription& d : qv::ReadObjectDescriptions(text)) qv::WriteObjectDescription(d, 0, 0);
  qv::CommaTextItems(text);
  return 0;
}
