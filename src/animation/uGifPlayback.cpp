#include "animation/uGifPlayback.h"

#include <algorithm>

#include "graphics/Colors.h"

namespace qv {

int32_t GifSpeedPercent(int32_t animSpeed) {
  const int64_t s = animSpeed;
  return static_cast<int32_t>(std::clamp<int64_t>(s > 10 ? s * 50 - 400 : s * 10, 0, 1000));
}

const TBitmap32& TGifPlayback::Frame() const {
  static const TBitmap32 none;
  return compositor_ ? compositor_->Canvas() : none;
}

void TGifPlayback::Load(TGifStoredAnimation gif, const TObjectDescription& d, uint32_t now) {
  gif_ = std::move(gif);
  compositor_.reset();
  current_ = 0;
  speedPercent_ = GifSpeedPercent(d.AnimSpeed);
  if (gif_.frames.empty()) return;

  auto indexOf = [this](uint32_t rgb) {
    for (size_t i = 0; i < gif_.globalColors.size(); ++i)
      if ((gif_.globalColors[i] & 0xFFFFFF) == (rgb & 0xFFFFFF)) return static_cast<int>(i);
    return -1;
  };
  if (d.Transparent && d.TransparentType == 1) {
    // The GIF as rendered: its first frame, with the file's own transparency,
    // over the background colour; each frame takes the first table entry of
    // the colour at its bottom-left corner.
    const size_t bg = static_cast<size_t>(gif_.backgroundIndex);
    TGifCompositor rendered(gif_.width, gif_.height, bg < gif_.globalColors.size() ? gif_.globalColors[bg] : 0xFF000000u);
    rendered.Draw(gif_.frames[0], gif_.globalColors);
    for (TGifStoredFrame& f : gif_.frames) {
      const int row = std::clamp(f.height - 1, 0, rendered.Canvas().Height() - 1);
      f.transparentIndex = indexOf(rendered.Canvas().Pixel(0, row));
    }
  }
  const int chosen = d.Transparent && d.TransparentType == 2
                         ? indexOf(ColorToPixel(d.TransparentColor < 0 ? kSystemColor | (d.TransparentColor & 0xFF)
                                                                       : static_cast<TColor>(d.TransparentColor)))
                         : -1;
  for (TGifStoredFrame& f : gif_.frames) {
    // Transparency is turned on or off for every frame: on, a frame of the
    // other types is see-through at its graphic control's index even when
    // the file left the flag off.
    if (!d.Transparent) f.transparentIndex = -1;
    else if (d.TransparentType == 2) f.transparentIndex = chosen;
    else if (d.TransparentType != 1) f.transparentIndex = f.controlIndex;
    if (d.RefreshFrame) f.disposal = TGifDisposal::Background;
  }

  compositor_ = std::make_unique<TGifCompositor>(gif_.width, gif_.height, kKeyColor);
  compositor_->Draw(gif_.frames[0], gif_.globalColors);
  lastTick_ = now;
  due_ = 0;
}

double TGifPlayback::FrameTime(size_t index) const {
  // A stored delay of 0 counts as 100 ms; the speed percent divides it.
  const int delay = gif_.frames[index].delayMs;
  return (delay > 0 ? delay : 100) * 100.0 / speedPercent_;
}

void TGifPlayback::Animate(uint32_t now) {
  const uint32_t elapsed = now - lastTick_;
  lastTick_ = now;
  if (!compositor_ || gif_.frames.size() < 2 || speedPercent_ == 0) return;
  due_ += elapsed;
  size_t steps = 0;
  while (due_ >= FrameTime(current_) && steps < gif_.frames.size()) {
    due_ -= FrameTime(current_);
    current_ = (current_ + 1) % gif_.frames.size();
    if (current_ == 0) compositor_->Restart();  // every loop starts afresh
    compositor_->Draw(gif_.frames[current_], gif_.globalColors);
    ++steps;
  }
  if (steps == gif_.frames.size()) due_ = 0;
}

}  // namespace qv
