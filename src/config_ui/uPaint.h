// What a control draws, as a list of simple operations in its own
// coordinates: the controls say what goes where, PaintTo turns everything but
// text into pixels, and the toolkit draws the text on top.
#pragma once
#include <string>
#include <vector>

#include "config_ui/uControls.h"
#include "graphics/Bitmap32.h"
#include "graphics/Colors.h"
#include "graphics/Rect.h"

namespace qv {

struct TPaintOp {
  enum class TKind {
    Fill,     // rect in color
    Frame,    // the outline of rect with a pen of penWidth, see below
    Line,     // from (x1, y1) towards (x2, y2), the end point left out
    Pixel,    // (x1, y1)
    Picture,  // picture's top-left at (x1, y1), clipped to rect when it is not empty
    Text,     // text in font and color inside rect, by align
    Ellipse,  // inside rect: outline of penWidth in color, inside in brush
    RoundRect,  // the same with corners of ellipses x2 by y2 across
  };
  enum TAlign : unsigned { Left = 0, Center = 1, WordWrap = 2, VCenter = 4 };

  TKind kind = TKind::Fill;
  TRect rect;
  TColor color = clBlack;
  int penWidth = 1;  // 0: no outline
  TColor brush = clWhite;
  bool noBrush = false;  // Ellipse, RoundRect: the inside is left as it is
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  const TBitmap32* picture = nullptr;  // alpha 0 pixels are left out
  std::string text;
  TFont font;
  unsigned align = Left;
};

// Pens are centred on what they draw: across each edge line of a Frame
// (x = L, x = R - 1, y = T, y = B - 1) and at each point of a Line, a pen of
// width w covers the pixels from w / 2 before to (w - 1) / 2 after it, so
// width 1 is the line itself and width 2 adds the pixels above and left of it.
using TPaintList = std::vector<TPaintOp>;

class TPainter {
 public:
  explicit TPainter(TPaintList& list) : list_(list) {}

  void Fill(const TRect& r, TColor color);
  void Frame(const TRect& r, TColor pen, int penWidth = 1);
  // The outline with the pen over the inside filled with the brush.
  void Rectangle(const TRect& r, TColor pen, TColor brush, int penWidth = 1);
  void Line(int x1, int y1, int x2, int y2, TColor pen, int penWidth = 1);
  void Pixel(int x, int y, TColor color);
  void Picture(int x, int y, const TBitmap32& picture, const TRect& clip = {});
  void Text(const TRect& r, const std::string& text, const TFont& font, TColor color, unsigned align);
  void Ellipse(const TRect& r, TColor pen, int penWidth, TColor brush, bool noBrush);
  void RoundRect(const TRect& r, int cornerW, int cornerH, TColor pen, int penWidth, TColor brush, bool noBrush);

 private:
  TPaintList& list_;
};

// Draws every operation but Text onto target, shifted by (dx, dy) and
// clipped to the target.
void PaintTo(const TPaintList& list, TBitmap32& target, int dx = 0, int dy = 0);

}  // namespace qv
