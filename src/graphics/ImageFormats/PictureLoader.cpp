#include "graphics/ImageFormats/PictureLoader.h"

#include <filesystem>
#include <vector>

#include "common/Error.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "platform/Files.h"

namespace qv {

namespace {

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string reason;
  switch (platform::ReadRegularFile(path, kMaxPictureFileBytes, bytes, reason)) {
    case platform::TOpenResult::Ok: return bytes;
    case platform::TOpenResult::Missing: throw EQVError("Cannot open " + path);
    case platform::TOpenResult::Refused: break;
  }
  throw EQVError("Cannot read " + path + ": " + reason);
}

std::string FileName(const std::string& path) { return Utf8FromPath(PathFromUtf8(path).filename()); }

}  // namespace

TPicture DecodePicture(const uint8_t* data, size_t size, const std::string& name, TDecodeHint hint) {
  if (IsJPEG(data, size)) return DecodeJPEG(data, size, hint);
  if (IsGIF(data, size)) {
    TGifAnimation gif = DecodeGIF(data, size, {.firstFrameOnly = true});
    TPicture picture;
    picture.bitmap = std::move(gif.frames[0].image);
    picture.trueWidth = gif.width;
    picture.trueHeight = gif.height;
    return picture;
  }
  if (IsBMP(data, size)) {
    TPicture picture;
    picture.bitmap = DecodeBMP(data, size);
    picture.trueWidth = picture.bitmap.Width();
    picture.trueHeight = picture.bitmap.Height();
    return picture;
  }
  throw EQVError("Unknown picture format: " + name);
}

TPicture LoadPicture(const std::string& path, TDecodeHint hint) {
  const std::vector<uint8_t> bytes = ReadWhole(path);
  return DecodePicture(bytes.data(), bytes.size(), FileName(path), hint);
}

TGifAnimation LoadGifAnimation(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWhole(path);
  if (!IsGIF(bytes.data(), bytes.size())) throw EQVError("Unknown picture format: " + FileName(path));
  return DecodeGIF(bytes.data(), bytes.size());
}

TGifStoredAnimation LoadGifStored(const std::string& path, const TGifStoredOptions& options) {
  const std::vector<uint8_t> bytes = ReadWhole(path);
  if (!IsGIF(bytes.data(), bytes.size())) throw EQVError("Unknown picture format: " + FileName(path));
  return DecodeGIFStored(bytes.data(), bytes.size(), options);
}

}  // namespace qv
