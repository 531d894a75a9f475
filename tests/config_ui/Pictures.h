// Picture files for the configuration window's tests, made by our own code.
#pragma once
#include <fstream>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"

namespace qvtest {

inline qv::TBitmap32 Filled(int w, int h, uint32_t pixel) {
  qv::TBitmap32 b(w, h);
  b.Clear(pixel);
  return b;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// By the name's extension: .jpg, .gif or anything else as a bitmap file.
inline void WritePicture(const std::string& path, const qv::TBitmap32& b) {
  const std::string ext = path.substr(path.rfind('.'));
  if (ext == ".jpg" || ext == ".JPG") WriteBytes(path, qv::EncodeJPEG(b, 95));
  else if (ext == ".gif" || ext == ".GIF") WriteBytes(path, qv::EncodeGIF({b}));
  else qv::SaveBMP32(b, path);
}

}  // namespace qvtest
