// Pan and zoom of a still picture: the framings a picture drifts between and
// where its view stands at a time since it began to show. A view is a
// rectangle of the picture, in the picture's own pixels, with the shape of
// the part of the screen the picture fills; it never leaves the picture.
#pragma once
#include <cstdint>

#include "saver/uSlideshow.h"

namespace qv {

// The geometry of one picture on one screen.
struct TPanZoomFrame {
  TSize picture;  // the picture's true size
  TSize screen;
  // The part of the screen the picture fills, centred: the whole screen,
  // unless the picture's shape is so far from the screen's that filling it
  // would leave less than the least share in view (then it is letterboxed).
  TSize box;
  // The axis the view drifts along: the picture's long axis, unless the view
  // can only move along the other.
  bool alongX = true;
  // View widths, in picture pixels: the widest (zoomed out) and the narrowest
  // (zoomed in) that keep at least the least share of the picture's width
  // and height in view.
  double widest = 0, narrowest = 0;
  // The views' shape, width over height: the box's, before it was rounded
  // to whole pixels.
  double shape = 1;
};

// `percent` is the least share kept in view, taken within 50 to 100.
TPanZoomFrame PanZoomFrame(TSize picture, TSize screen, int percent);

struct TPanZoomPath {
  double fromWidth = 0, toWidth = 0;  // the view's width at the start and the end
  // Where the view lies along its axis: 0 at one end of the picture, 1 at the other.
  double fromPlace = 0.5, toPlace = 0.5;
  uint32_t periodMs = 10000;  // from one framing to the other
};

// A path for one picture, from the shared generator, four draws in this
// order: which way the view drifts, whether it zooms in or out, and how far
// from each end of the picture it starts and ends (up to a fifth).
TPanZoomPath ChoosePanZoomPath(const TPanZoomFrame& frame, uint32_t periodMs);

struct TViewRect {
  double x = 0, y = 0, w = 0, h = 0;
};

// The view `elapsedMs` after the picture began to show: eased from one
// framing to the other over the period (at rest at both ends), then back, and
// so on. A function of time alone, so motion is even at any frame rate.
TViewRect PanZoomView(const TPanZoomFrame& frame, const TPanZoomPath& path, uint64_t elapsedMs);

}  // namespace qv
