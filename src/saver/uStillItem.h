// A still picture (JPEG, BMP, GIF) in the slideshow: decoded and fitted to
// the screen once when it becomes current; every frame shows the same bitmap.
#pragma once
#include "saver/uSlideshowItem.h"

namespace qv {

class TStillItem final : public TSlideshowItem {
 public:
  // Under the accelerated path the picture fills the working size; else,
  // stretched, it is fitted to the screen (keeping its shape when
  // proportional); else it keeps its own size.
  void Load(const std::string& file, const TItemFitting& fitting) override;
  TSize Size() const override { return size_; }
  const TBitmap32& Frame() const override { return picture_; }

 private:
  TBitmap32 picture_;
  TSize size_;
};

}  // namespace qv
