#include "graphics/ImageFormats/PictureLoader.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/Error.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"

namespace qv {

namespace {

std::vector<uint8_t> ReadWhole(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  std::error_code ec;
  if (!file || std::filesystem::is_directory(path, ec)) throw EQVError("Cannot open " + path);
  if (std::fseek(file.get(), 0, SEEK_END) != 0) throw EQVError("Cannot read " + path);
  const long size = std::ftell(file.get());
  if (size < 0) throw EQVError("Cannot read " + path);
  if (static_cast<uintmax_t>(size) > kMaxPictureFileBytes) throw EQVError("Picture file is too large: " + path);
  std::rewind(file.get());
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) throw EQVError("Cannot read " + path);
  return bytes;
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

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

}  // namespace qv
