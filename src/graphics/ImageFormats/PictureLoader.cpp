#include "graphics/ImageFormats/PictureLoader.h"

#include <utility>

#include "common/Error.h"
#include "common/Paths.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/PNGLoader.h"
#include "graphics/ImageFormats/WebPLoader.h"

namespace qv {

namespace {

TPicture Decode(const uint8_t* data, size_t size, const std::string& name, TDecodeHint hint) {
  if (IsJPEG(data, size)) return DecodeJPEG(data, size, hint);
  if (IsPNG(data, size)) return DecodePNG(data, size, hint);
  if (IsWebP(data, size)) return DecodeWebP(data, size, hint);
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

}  // namespace

void FinishPicture(TPicture& picture, bool convertColours) {
  if (convertColours && !picture.colourProfile.empty()) {
    ConvertToSRGB(picture.bitmap, picture.colourProfile.data(), picture.colourProfile.size());
    picture.colourProfile = {};
  }
  if (picture.orientation != 1) {
    picture.bitmap = Oriented(std::move(picture.bitmap), picture.orientation);
    if (OrientationSwapsSides(picture.orientation)) std::swap(picture.trueWidth, picture.trueHeight);
  }
  picture.orientation = 1;
}

TPicture DecodePicture(const uint8_t* data, size_t size, const std::string& name, TDecodeHint hint) {
  TPicture picture = Decode(data, size, name, hint);
  FinishPicture(picture, !hint.keepColourProfile);
  return picture;
}

TPicture DecodePicture(std::span<const uint8_t> bytes, const std::string& name, TDecodeHint hint) {
  return DecodePicture(bytes.data(), bytes.size(), name, hint);
}

}  // namespace qv
