// A still picture (JPEG, PNG, WebP, BMP, GIF) in the slideshow: decoded and fitted to
// the screen once when it becomes current (on a worker when the window has
// one); every frame shows the same bitmap. With pan and zoom it fills its
// screen instead and drifts and zooms slowly along a path of its own,
// resampled from a larger copy at every frame.
#pragma once
#include <atomic>
#include <string>

#include "common/Bands.h"
#include "platform/Clock.h"
#include "saver/uPanZoom.h"
#include "saver/uSlideshowItem.h"

namespace qv {

// A picture decoded and fitted, ready to show: what the work beside the
// window hands over.
struct TStillPreparation {
  TBitmap32 bitmap;  // the fitted picture, or the copy a pan and zoom samples
  TSize size;        // the size it is centred by
  TSize picture;     // the picture's true size
  bool panZoom = false;
};

// Decodes `file` and fits it as the item will show it. Throws EQVError when
// it cannot; stops with one when `cancelled` turns true.
TStillPreparation PrepareStill(const std::string& file, const TItemFitting& fitting,
                               const std::atomic<bool>* cancelled = nullptr);

class TStillItem final : public TSlideshowItem {
 public:
  // The clock times a pan and zoom, the bands draw its frames; without them
  // the item stands still.
  explicit TStillItem(platform::IClock* clock = nullptr, IBands* bands = nullptr)
      : clock_(clock), bands_(bands) {}

  // Under the accelerated path the picture fills the working size; else,
  // stretched, it is fitted to the screen (keeping its shape when
  // proportional); else it keeps its own size.
  void Load(const std::string& file, const TItemFitting& fitting) override;
  // Takes a prepared picture. With pan and zoom the path is chosen here, from
  // the shared generator, and its time starts now.
  void Take(TStillPreparation prepared, const TItemFitting& fitting);
  TSize Size() const override { return size_; }
  const TBitmap32& Frame() const override { return panZoom_ ? frame_ : picture_; }
  bool Animated() const override { return panZoom_; }
  // The pan and zoom's frame at the clock's time.
  void Advance() override;

 private:
  platform::IClock* clock_;
  IBands* bands_;
  TBitmap32 picture_;
  TSize size_;
  bool panZoom_ = false;
  TPanZoomFrame geometry_;
  TPanZoomPath path_;
  uint32_t start_ = 0;
  TBitmap32 frame_;
};

}  // namespace qv
