#include "config_ui/uQVPreview.h"

#include <exception>

#include "common/Paths.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"
#include "project/StillPictures.h"

namespace qv {

TQVPreview::TQVPreview() { SetBounds(0, 0, 105, 105); }

bool TQVPreview::LoadPicture(const std::string& file) {
  fileName_ = file;
  stretch_ = true;
  lastError_.clear();
  TBitmap32 source;
  const std::string ext = UpperExtension(FileNamePart(file));
  try {
    if (ext == ".QVP") {
      if (!projectReader_) lastError_ = file + ": no reader for animated pictures";
      else if (!projectReader_(file, source)) lastError_ = file + ": not readable";
    } else if (IsStillPicture(file)) {
      // Never decoded smaller than the control shows it.
      source = DecodePicture(platform::ReadWholeFile(file, kMaxPictureFileBytes), file, {Width(), Height()}).bitmap;
    }
  } catch (const std::exception& e) {
    source = TBitmap32();
    lastError_ = e.what();
  }
  TBitmap32 shown;
  if (Width() > 0 && Height() > 0) {
    shown.SetSize(Width(), Height());
    // The control's colour where no picture covers it: around a picture kept
    // in its shape, and in place of one that cannot be shown.
    DrawFitted(source, shown, keepShape_, ColorToPixel(Color()));
  }
  picture_ = std::move(shown);
  Repaint();
  return lastError_.empty();
}

bool TQVPreview::Reload() {
  if (fileName_.empty()) return true;
  return LoadPicture(fileName_);
}

}  // namespace qv
