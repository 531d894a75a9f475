#include "saver/uSlideshow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "common/Paths.h"
#include "common/Random.h"
#include "graphics/uGraphicUtil.h"

namespace qv {

int NextPictureIndex(int current, int count, int orderMode) {
  if (count <= 0) return 0;
  if (orderMode != 0 && orderMode != 2) return current + 1 >= count ? 0 : current + 1;
  return RandomIndexOtherThan(current, count);
}

TSize FitStillPicture(TSize picture, TSize screen, bool stretch, bool proportional) {
  if (!stretch) return picture;
  if (!proportional) return screen;
  TSize fitted;
  FitKeepingShape(picture.width, picture.height, screen.width, screen.height, fitted.width, fitted.height);
  return fitted;
}

void ItemPosition(TSize item, TSize screen, bool stretch, bool proportional, int& x, int& y) {
  if (!stretch || proportional) {
    x = (screen.width - item.width) / 2;
    y = (screen.height - item.height) / 2;
  } else {
    x = y = 0;
  }
}

TSize DirectDrawWorkingSize(int quality, TSize screen) {
  TSize box;
  switch (quality) {
    case 0: box = {1024, 768}; break;
    case 1: box = {800, 600}; break;
    case 2: box = {640, 480}; break;
    default: return screen;
  }
  if (screen.width <= 0 || screen.height <= 0) return box;
  // The surface has the screen's shape: the box's width on a screen wider
  // than the box, else its height.
  const int64_t sw = screen.width, sh = screen.height;
  if (sw * box.height >= sh * box.width)
    return {box.width, static_cast<int>(std::max<int64_t>(1, (box.width * sh + sw / 2) / sw))};
  return {static_cast<int>(std::max<int64_t>(1, (box.height * sw + sh / 2) / sh)), box.height};
}

bool TMouseMoveGuard::Move(int x, int y) {
  if (ignore_ > 0) {
    --ignore_;
    return false;
  }
  if (lastX_ == -1 || lastY_ == -1) {
    lastX_ = x;
    lastY_ = y;
  }
  const bool moved = std::abs(x - lastX_) > 2 || std::abs(y - lastY_) > 2;
  lastX_ = x;
  lastY_ = y;
  return moved;
}

}  // namespace qv
