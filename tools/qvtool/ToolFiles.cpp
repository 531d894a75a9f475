#include "ToolFiles.h"

#include "common/Limits.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"

namespace qvtool {

qv::TBitmap32 ReadPicture(const std::string& path) {
  return qv::DecodePicture(qv::platform::ReadWholeFile(path, qv::kMaxPictureFileBytes), path).bitmap;
}

}  // namespace qvtool
