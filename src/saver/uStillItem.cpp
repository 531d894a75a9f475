#include "saver/uStillItem.h"

#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"

namespace qv {

void TStillItem::Load(const std::string& file, const TItemFitting& fitting) {
  TDecodeHint hint;
  if (fitting.directDraw) hint = {fitting.workingSize.width, fitting.workingSize.height};
  else if (fitting.stretch) hint = {fitting.screen.width, fitting.screen.height};
  TPicture picture = DecodePicture(platform::ReadWholeFile(file, kMaxPictureFileBytes), file, hint);
  // Every size below comes from the picture's true size, whatever scale it
  // was decoded at.
  const TSize pictureSize{picture.trueWidth, picture.trueHeight};
  TBitmap32 prepared;
  TSize size;
  if (fitting.directDraw) {
    size = fitting.screen;
    SetBitmapFormat(prepared, fitting.workingSize.width, fitting.workingSize.height, 32);
    ResampleLanczos(picture.bitmap, prepared);
  } else if (fitting.stretch) {
    size = FitStillPicture(pictureSize, fitting.screen, fitting.stretch, fitting.proportional);
    SetBitmapFormat(prepared, size.width, size.height, 32);
    ResampleLanczos(picture.bitmap, prepared);
  } else {
    size = pictureSize;
    prepared = std::move(picture.bitmap);
  }
  picture_ = std::move(prepared);
  size_ = size;
}

}  // namespace qv
