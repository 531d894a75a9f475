// The slideshow's rules that need no window: picture order, fitting a still
// picture to the screen, where it is drawn, and the mouse-move guard.
#pragma once
#include <string>

#include "project/StillPictures.h"

namespace qv {

// The next playlist index. Order modes 0 and 2 are random: with fewer than two
// entries 0, else a uniformly drawn index other than the current one. Every
// other mode steps on and wraps. The first index of a run comes from -1.
int NextPictureIndex(int current, int count, int orderMode);

struct TSize {
  int width = 0;
  int height = 0;
  friend bool operator==(TSize a, TSize b) { return a.width == b.width && a.height == b.height; }
};

// The size a still picture is shown at. Stretch fills the screen; with
// proportional also on, the picture keeps its shape and touches two sides.
TSize FitStillPicture(TSize picture, TSize screen, bool stretch, bool proportional);

// Where an item of `item` size is drawn: centred (cropped equally on both
// sides when larger than the screen) unless it is stretched to fill it.
void ItemPosition(TSize item, TSize screen, bool stretch, bool proportional, int& x, int& y);

// The accelerated surface's working size for a quality setting: 0 is
// 1024 x 768, 1 is 800 x 600, 2 is 640 x 480, narrowed to the screen's shape
// (keeping the width on a wider screen, the height on a narrower one) so a
// picture never changes its shape on the way to the screen; any other value
// is the screen's own size.
TSize DirectDrawWorkingSize(int quality, TSize screen);

// Mouse moves end the saver only once the pointer has really moved: the first
// five reports are ignored (the pointer's initial position arrives as a move),
// and five more after a refused close.
class TMouseMoveGuard {
 public:
  // True when this move should close the saver.
  bool Move(int x, int y);
  void IgnoreNext(int count) { ignore_ = count; }
  void ForgetPosition() { lastX_ = lastY_ = -1; }

 private:
  int ignore_ = 5;
  int lastX_ = -1;
  int lastY_ = -1;
};

}  // namespace qv
