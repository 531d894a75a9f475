// What the saver window shows: one playlist item that loads itself for the
// screen, gives the frame to present and the picture a transition turns
// into, moves on once per idle pass, and plays and stops its own sounds.
// The window keeps the lifecycle, input, pacing and transitions.
#pragma once
#include <cstdint>
#include <string>

#include "graphics/Bitmap32.h"
#include "saver/uSlideshow.h"

namespace qv {

// How items are fitted to the screen; fixed for one run of the window.
struct TItemFitting {
  TSize screen;
  bool directDraw = false;  // items fill the accelerated surface's working size
  TSize workingSize;
  bool stretch = true;
  bool proportional = true;
  // Still pictures pan and zoom when above 0: the least share of a picture
  // kept in view, in percent, and the time from one framing to the other.
  int panZoomPercent = 0;
  uint32_t panZoomPeriodMs = 10000;
};

class TSlideshowItem {
 public:
  virtual ~TSlideshowItem() = default;
  // Loads `file` fitted to the screen. Throws EQVError when it cannot; the
  // item then shows what it showed before.
  virtual void Load(const std::string& file, const TItemFitting& fitting) = 0;
  // The size the item is centred by.
  virtual TSize Size() const = 0;
  // The frame to present now.
  virtual const TBitmap32& Frame() const = 0;
  // Whether the item moves: it is advanced every idle pass and before every
  // frame of a transition to it.
  virtual bool Animated() const { return false; }
  // Computes the next frame of a moving item.
  virtual void Advance() {}
  // Every idle pass, before anything else: the item's timed sounds.
  virtual void Tick() {}
  // Another item takes over, or the window closes: what the item plays stops.
  virtual void Stop() {}
  // F1 pressed for the second time (every second press): a moving item
  // builds its frame again from its picture.
  virtual void KeyF1() {}
};

}  // namespace qv
