#include "graphics/ImageFormats/PictureLoader.h"

#include "common/Error.h"
#include "common/Paths.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"

namespace qv {

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
  throw EQVError("Unknown picture format: " + FileNamePart(name));
}

TPicture DecodePicture(std::span<const uint8_t> bytes, const std::string& name, TDecodeHint hint) {
  return DecodePicture(bytes.data(), bytes.size(), name, hint);
}

}  // namespace qv
