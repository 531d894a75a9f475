#include "saver/uPanZoom.h"

#include <algorithm>
#include <cmath>

#include "common/Random.h"

namespace qv {

TPanZoomFrame PanZoomFrame(TSize picture, TSize screen, int percent) {
  TPanZoomFrame f;
  f.picture = picture;
  f.screen = screen;
  f.box = screen;
  if (picture.width <= 0 || picture.height <= 0 || screen.width <= 0 || screen.height <= 0) return f;
  const double p = std::clamp(percent, 50, 100) / 100.0;
  const double pw = picture.width, ph = picture.height;
  const double screenShape = static_cast<double>(screen.width) / screen.height;
  // Views of the screen's shape: as wide as fits in the picture, and as
  // narrow as keeps the share of both sides in view.
  double widest = std::min(pw, ph * screenShape);
  double narrowest = p * std::max(pw, ph * screenShape);
  f.shape = screenShape;
  if (narrowest > widest) {
    // Letterboxed: the box takes the shape whose view shows all of the
    // picture across its short way and the least share along its long way.
    if (pw / ph > screenShape) {
      const double shape = p * pw / ph;  // wider than the screen
      f.box = {screen.width, std::clamp(static_cast<int>(std::lround(screen.width / shape)), 1, screen.height)};
      f.shape = shape;
      widest = narrowest = p * pw;
    } else {
      const double shape = pw / (p * ph);  // narrower than the screen
      f.box = {std::clamp(static_cast<int>(std::lround(screen.height * shape)), 1, screen.width), screen.height};
      f.shape = shape;
      widest = narrowest = pw;
    }
  }
  f.widest = widest;
  f.narrowest = narrowest;
  const double slackX = pw - narrowest, slackY = ph - narrowest / f.shape;
  const bool longX = picture.width >= picture.height;
  f.alongX = (longX ? slackX : slackY) > 0.5 ? longX : slackX >= slackY;
  return f;
}

TPanZoomPath ChoosePanZoomPath(const TPanZoomFrame& frame, uint32_t periodMs) {
  TPanZoomPath path;
  path.periodMs = std::max<uint32_t>(periodMs, 1);
  const bool backwards = Random(2) == 1;
  const bool zoomIn = Random(2) == 1;
  const double from = Random(21) / 100.0, to = 1.0 - Random(21) / 100.0;
  path.fromPlace = backwards ? 1.0 - from : from;
  path.toPlace = backwards ? 1.0 - to : to;
  path.fromWidth = zoomIn ? frame.widest : frame.narrowest;
  path.toWidth = zoomIn ? frame.narrowest : frame.widest;
  return path;
}

TViewRect PanZoomView(const TPanZoomFrame& frame, const TPanZoomPath& path, uint64_t elapsedMs) {
  TViewRect v;
  if (frame.box.width <= 0 || frame.box.height <= 0 || frame.picture.width <= 0) return v;
  // There and back: the lap number's parity says which way, and each lap
  // eases with zero speed at its ends, so turning round is smooth too.
  const uint64_t period = std::max<uint32_t>(path.periodMs, 1);
  const uint64_t lap = elapsedMs / period;
  double u = static_cast<double>(elapsedMs % period) / static_cast<double>(period);
  if (lap % 2 == 1) u = 1.0 - u;
  const double e = u * u * (3.0 - 2.0 * u);
  const double pw = frame.picture.width, ph = frame.picture.height;
  v.w = std::min(path.fromWidth + (path.toWidth - path.fromWidth) * e, pw);
  v.h = std::min(v.w / frame.shape, ph);
  const double place = path.fromPlace + (path.toPlace - path.fromPlace) * e;
  v.x = frame.alongX ? place * (pw - v.w) : (pw - v.w) / 2;
  v.y = frame.alongX ? (ph - v.h) / 2 : place * (ph - v.h);
  v.x = std::clamp(v.x, 0.0, pw - v.w);
  v.y = std::clamp(v.y, 0.0, ph - v.h);
  return v;
}

}  // namespace qv
