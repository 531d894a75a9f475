#include "saver/uStillItem.h"

#include <algorithm>
#include <cmath>

#include "common/Error.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uBilinear.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"

namespace qv {

namespace {

// The copy a pan and zoom samples holds about one of its pixels per screen
// pixel at the deepest zoom, never more than the decoded picture has, nor
// more than 2.25 screens of pixels.
TSize PanZoomSourceSize(const TPanZoomFrame& g, TSize decoded) {
  const double pw = g.picture.width, ph = g.picture.height;
  double k = g.narrowest > 0 ? g.box.width / g.narrowest : 1.0;
  k = std::min({k, decoded.width / pw, decoded.height / ph});
  k = std::min(k, std::sqrt(2.25 * g.screen.width * g.screen.height / (pw * ph)));
  return {std::max(1, static_cast<int>(std::lround(pw * k))), std::max(1, static_cast<int>(std::lround(ph * k)))};
}

}  // namespace

namespace {

// The decoded picture at the size and place it is shown at.
TStillPreparation Fit(TPicture& picture, const TItemFitting& fitting, TSize box) {
  TStillPreparation out;
  // Every size below comes from the picture's true size, whatever scale it
  // was decoded at.
  out.picture = {picture.trueWidth, picture.trueHeight};
  if (fitting.panZoomPercent > 0) {
    out.panZoom = true;
    out.size = fitting.directDraw ? fitting.screen : box;
    const TPanZoomFrame g = PanZoomFrame(out.picture, box, fitting.panZoomPercent);
    const TSize source = PanZoomSourceSize(g, {picture.bitmap.Width(), picture.bitmap.Height()});
    if (source.width == picture.bitmap.Width() && source.height == picture.bitmap.Height()) {
      out.bitmap = std::move(picture.bitmap);
    } else {
      SetBitmapFormat(out.bitmap, source.width, source.height, 32);
      ResampleLanczos(picture.bitmap, out.bitmap);
    }
    return out;
  }
  if (fitting.directDraw) {
    out.size = fitting.screen;
    SetBitmapFormat(out.bitmap, fitting.workingSize.width, fitting.workingSize.height, 32);
    ResampleLanczos(picture.bitmap, out.bitmap);
  } else if (fitting.stretch) {
    out.size = FitStillPicture(out.picture, fitting.screen, fitting.stretch, fitting.proportional);
    SetBitmapFormat(out.bitmap, out.size.width, out.size.height, 32);
    ResampleLanczos(picture.bitmap, out.bitmap);
  } else {
    out.size = out.picture;
    out.bitmap = std::move(picture.bitmap);
  }
  return out;
}

}  // namespace

TStillPreparation PrepareStill(const std::string& file, const TItemFitting& fitting, const std::atomic<bool>* cancelled) {
  const TSize box = fitting.directDraw ? fitting.workingSize : fitting.screen;
  TDecodeHint hint;
  if (fitting.panZoomPercent > 0) {
    const double p = std::clamp(fitting.panZoomPercent, 50, 100) / 100.0;
    hint = {static_cast<int>(std::ceil(box.width / p)), static_cast<int>(std::ceil(box.height / p))};
  } else if (fitting.directDraw) {
    hint = {fitting.workingSize.width, fitting.workingSize.height};
  } else if (fitting.stretch) {
    hint = {fitting.screen.width, fitting.screen.height};
  }
  hint.cancelled = cancelled;
  hint.keepColourProfile = true;
  TPicture picture = DecodePicture(platform::ReadWholeFile(file, kMaxPictureFileBytes), file, hint);
  if (cancelled && cancelled->load()) throw EQVError(file + ": loading stopped");
  TStillPreparation out = Fit(picture, fitting, box);
  // The colours are converted on the fitted picture: at most a screen of them.
  if (!picture.colourProfile.empty())
    ConvertToSRGB(out.bitmap, picture.colourProfile.data(), picture.colourProfile.size());
  return out;
}

void TStillItem::Load(const std::string& file, const TItemFitting& fitting) { Take(PrepareStill(file, fitting), fitting); }

void TStillItem::Take(TStillPreparation prepared, const TItemFitting& fitting) {
  picture_ = std::move(prepared.bitmap);
  size_ = prepared.size;
  panZoom_ = prepared.panZoom && clock_ && bands_;
  if (!panZoom_) return;
  const TSize box = fitting.directDraw ? fitting.workingSize : fitting.screen;
  geometry_ = PanZoomFrame(prepared.picture, box, fitting.panZoomPercent);
  path_ = ChoosePanZoomPath(geometry_, fitting.panZoomPeriodMs);
  start_ = clock_->TickCount();
  // The frame keeps its memory from picture to picture; its bars stay black.
  if (frame_.Width() != box.width || frame_.Height() != box.height) frame_.SetSize(box.width, box.height);
  frame_.Clear(0xFF000000u);
  Advance();
}

void TStillItem::Advance() {
  if (!panZoom_) return;
  const TViewRect v = PanZoomView(geometry_, path_, clock_->TickCount() - start_);
  const double kx = static_cast<double>(picture_.Width()) / geometry_.picture.width;
  const double ky = static_cast<double>(picture_.Height()) / geometry_.picture.height;
  const TSize box = geometry_.box;
  const int left = (frame_.Width() - box.width) / 2, top = (frame_.Height() - box.height) / 2;
  DrawAreaBilinear(picture_, TAreaF{v.x * kx, v.y * ky, v.w * kx, v.h * ky}, frame_,
                   TRect{left, top, left + box.width, top + box.height}, *bands_);
}

}  // namespace qv
