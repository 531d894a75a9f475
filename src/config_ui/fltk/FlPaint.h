// Drawing the controls' pictures and texts with FLTK, and capturing a widget
// as a picture (for tests and screenshots).
#pragma once
#include <FL/Enumerations.H>

#include <string>

#include "config_ui/uControls.h"
#include "config_ui/uPaint.h"
#include "graphics/Bitmap32.h"

class Fl_Widget;

namespace qv::ui {

Fl_Color FlColor(TColor color);
Fl_Font FlFace(const TFont& font);
int FlSize(const TFont& font);
// Makes the font current for fl_draw and fl_measure.
void UseFont(const TFont& font);
void MeasureText(const std::string& text, const TFont& font, int& width, int& height);

// The bitmap at (x, y) as it is (alpha ignored).
void DrawBitmap(const TBitmap32& bitmap, int x, int y);
// Pixels with alpha 0 left out, the others drawn.
void DrawBitmapKeyed(const TBitmap32& bitmap, int x, int y);
// Stretched over w by h, nearest pixel.
void DrawBitmapStretched(const TBitmap32& bitmap, int x, int y, int w, int h);
// The Text operations of list, shifted by (dx, dy), clipped to clip.
void DrawTexts(const TPaintList& list, int dx, int dy, const TRect& clip);

// A mouse event at the current FLTK event's position, relative to (ox, oy).
TMouseEvent EventAt(int ox, int oy);

// Draws the widget (a window with everything in it, or any widget) into an
// image and returns its pixels; the window need not be shown. Needs an X
// display.
TBitmap32 CaptureWidget(Fl_Widget& widget);

}  // namespace qv::ui
