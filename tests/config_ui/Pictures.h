// Picture files for the configuration window's tests, by the name's extension.
#pragma once
#include <string>

#include "support/Pictures.h"

namespace qvtest {

// .jpg and .gif as such; anything else as a bitmap file.
inline void WritePicture(const std::string& path, const qv::TBitmap32& b) {
  const std::string ext = path.substr(path.rfind('.'));
  if (ext == ".jpg" || ext == ".JPG") WriteFile(path, Bytes(qv::EncodeJPEG(b, 95)));
  else if (ext == ".gif" || ext == ".GIF") WriteFile(path, Bytes(qv::EncodeGIF({b})));
  else WriteFile(path, Bytes(qv::EncodeBMP32(b)));
}

}  // namespace qvtest
