#include "project/StillPictures.h"

#include "common/Paths.h"

namespace qv {

bool IsStillPicture(const std::string& file) {
  const std::string ext = UpperExtension(FileNamePart(file));
  return ext == ".JPG" || ext == ".PNG" || ext == ".WEBP" || ext == ".BMP" || ext == ".GIF";
}

}  // namespace qv
