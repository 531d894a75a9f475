#include "ToolFiles.h"

#include <fstream>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qvtool {

qv::TBitmap32 ReadPicture(const std::string& path) {
  return qv::DecodePicture(qv::platform::ReadWholeFile(path, qv::kMaxPictureFileBytes), path).bitmap;
}

void WriteOutputFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(qv::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw qv::EQVError("cannot write " + path);
}

void WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteOutputFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace qvtool
