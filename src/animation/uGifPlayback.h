// An animated GIF played as an object's picture: the stored frames with the
// object's transparency rules, composited over the key colour one after
// another, looping, at the object's animation speed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "animation/uObjectDescription.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/GIFLoader.h"

namespace qv {

// The animation speed in percent after the AnimSpeed rule (AnimSpeed x 50 -
// 400 above 10, else AnimSpeed x 10), 0..1000.
int32_t GifSpeedPercent(int32_t animSpeed);

class TGifPlayback {
 public:
  // The key colour the frames are painted over.
  static constexpr uint32_t kKeyColor = 0x112233;

  // Takes the file's frames: every frame's transparency follows Transparent,
  // at its graphic control's colour index; TransparentType 1 takes instead
  // the colour of the rendered picture's bottom-left pixel, 2
  // TransparentColor; RefreshFrame clears each frame afterwards.
  // Frame 0 is painted; the clock starts at `now`.
  void Load(TGifStoredAnimation gif, const TObjectDescription& d, uint32_t now);
  // The frames whose time has passed by `now`; far behind, the backlog is dropped.
  void Animate(uint32_t now);

  const TBitmap32& Frame() const;
  int FrameIndex() const { return static_cast<int>(current_); }
  int Width() const { return gif_.width; }
  int Height() const { return gif_.height; }

 private:
  double FrameTime(size_t index) const;

  TGifStoredAnimation gif_;
  std::unique_ptr<TGifCompositor> compositor_;
  int32_t speedPercent_ = 100;
  size_t current_ = 0;
  uint32_t lastTick_ = 0;
  double due_ = 0;
};

}  // namespace qv
