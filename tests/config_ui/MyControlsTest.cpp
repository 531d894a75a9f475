#include "config_ui/uMyControls.h"

#include <gtest/gtest.h>

#include "config_ui/uPaint.h"

namespace qv {
namespace {

TMouseEvent At(int x, int y) {
  TMouseEvent e;
  e.x = x;
  e.y = y;
  return e;
}

TBitmap32 Painted(const TPaintList& list, int w, int h) {
  TBitmap32 b(w, h);  // alpha 0: untouched pixels stay 0
  PaintTo(list, b);
  return b;
}

TEST(MyMemo, TextJoinsTheLinesWithCrLfAndSplitsThemBack) {
  TMyMemo memo;
  memo.SetLines({"Sea Life", "", "by Someone"});
  EXPECT_EQ(memo.Text(), "Sea Life\r\n\r\nby Someone");
  memo.SetText("one\r\ntwo\nthree\rfour\r\n");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"one", "two", "three", "four"}));
  memo.SetText("");
  EXPECT_TRUE(memo.Lines().empty());
  memo.SetText("\r\n");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{""}));
  int changes = 0;
  memo.OnChange = [&](TMyMemo&) { ++changes; };
  memo.TextEdited("typed\r\nhere");
  EXPECT_EQ(memo.Text(), "typed\r\nhere");
  EXPECT_EQ(changes, 1);
}

TEST(GraphicControl, ShapesAndBevelsAreClickedByAReleaseOverThem) {
  TMyShape shape;
  TMyBevel bevel;
  for (TGraphicControl* c : {static_cast<TGraphicControl*>(&shape), static_cast<TGraphicControl*>(&bevel)}) {
    int clicks = 0, downs = 0, moves = 0, ups = 0;
    c->OnClick = [&](TControl&) { ++clicks; };
    c->OnMouseDown = [&](TControl&, const TMouseEvent&) { ++downs; };
    c->OnMouseMove = [&](TControl&, const TMouseEvent&) { ++moves; };
    c->OnMouseUp = [&](TControl&, const TMouseEvent&) { ++ups; };
    c->MouseDown(At(3, 3));
    c->MouseMove(At(4, 4));
    c->MouseUp(At(4, 4));
    c->MouseDown(At(3, 3));
    c->MouseUp(At(300, 4));
    c->MouseUp(At(4, 4));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(ups, 3);
  }
}

TEST(MyShape, TheFigureInsetsByHalfThePenAndSquaresTakeTheShorterSide) {
  TMyShape shape;
  shape.SetBounds(0, 0, 65, 41);
  EXPECT_EQ(shape.FigureRect(), (TRect{0, 0, 65, 41}));
  shape.SetPen({clBlack, 3, TPenStyle::psSolid});
  EXPECT_EQ(shape.FigureRect(), (TRect{1, 1, 64, 40}));
  shape.SetShape(TShapeType::stCircle);
  EXPECT_EQ(shape.FigureRect(), (TRect{13, 1, 52, 40}));
  shape.SetPen({clBlack, 0, TPenStyle::psSolid});
  shape.SetShape(TShapeType::stRectangle);
  EXPECT_EQ(shape.FigureRect(), (TRect{0, 0, 65, 41})) << "no pen: one pixel less, as for a pen of one";
}

TEST(MyShape, APenOfThreeDrawsThreePixelsAtTheEdgeOverTheBrush) {
  TMyShape shape;
  shape.SetBounds(0, 0, 20, 10);
  shape.SetPen({clRed, 3, TPenStyle::psSolid});
  shape.SetBrush({clBlue, TBrushStyle::bsSolid});
  TBitmap32 b = Painted(shape.Paint(), 20, 10);
  EXPECT_EQ(b.Pixel(0, 5), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(2, 5), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(3, 5), 0xFF0000FFu);
  EXPECT_EQ(b.Pixel(19, 5), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(16, 5), 0xFF0000FFu);
  shape.SetBrush({clBlue, TBrushStyle::bsClear});
  shape.SetShape(TShapeType::stEllipse);
  b = Painted(shape.Paint(), 20, 10);
  EXPECT_EQ(b.Pixel(0, 0), 0u) << "outside the ellipse nothing is drawn";
  EXPECT_EQ(b.Pixel(10, 5), 0u) << "a clear brush leaves the inside";
  EXPECT_EQ(b.Pixel(10, 0), 0xFFFF0000u);
}

TEST(MyBevel, ALoweredBoxIsShadowAboveAndLeftAndHighlightBelowAndRight) {
  TMyBevel bevel;
  bevel.SetBounds(0, 0, 10, 8);
  TBitmap32 b = Painted(bevel.Paint(), 10, 8);
  const uint32_t shadow = ColorToPixel(clBtnShadow), light = ColorToPixel(clBtnHighlight);
  EXPECT_EQ(b.Pixel(0, 0), shadow);
  EXPECT_EQ(b.Pixel(5, 0), shadow);
  EXPECT_EQ(b.Pixel(0, 7), shadow);
  EXPECT_EQ(b.Pixel(9, 0), light);
  EXPECT_EQ(b.Pixel(9, 7), light);
  EXPECT_EQ(b.Pixel(5, 7), light);
  EXPECT_EQ(b.Pixel(5, 4), 0u);
  bevel.SetStyle(TBevelStyle::bsRaised);
  b = Painted(bevel.Paint(), 10, 8);
  EXPECT_EQ(b.Pixel(5, 0), light);
  EXPECT_EQ(b.Pixel(5, 7), shadow);
  bevel.SetShape(TBevelShape::bsBottomLine);
  b = Painted(bevel.Paint(), 10, 8);
  EXPECT_EQ(b.Pixel(3, 6), light);
  EXPECT_EQ(b.Pixel(3, 7), shadow);
  EXPECT_EQ(b.Pixel(3, 0), 0u);
}

TEST(Painting, LinesLeaveOutTheirEndAndWidePensCoverThePixelsAboveAndLeft) {
  TPaintList list;
  TPainter p(list);
  p.Line(1, 1, 5, 1, clWhite);
  p.Line(1, 5, 4, 8, clWhite, 2);
  p.Frame({10, 10, 15, 14}, clWhite, 2);
  const TBitmap32 b = Painted(list, 20, 20);
  EXPECT_EQ(b.Pixel(4, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(5, 1), 0u);
  EXPECT_EQ(b.Pixel(0, 4), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(3, 7), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(4, 8), 0u);
  EXPECT_EQ(b.Pixel(9, 9), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(14, 13), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(15, 12), 0u);
  EXPECT_EQ(b.Pixel(12, 11), 0u);
}

TEST(FormParent, TheOptionsDecideTheFrame) {
  TfmQVFormParent form;
  TWindowFrame f = form.Frame();
  EXPECT_EQ(f.border, TWindowFrame::TBorder::Single);
  EXPECT_FALSE(f.systemMenu || f.maximizeBox || f.minimizeBox || f.maximized);
  EXPECT_TRUE(f.centred);
  form.SetSizeable(true);
  EXPECT_EQ(form.Frame().border, TWindowFrame::TBorder::Sizeable);
  form.SetNoFrame(true);
  EXPECT_EQ(form.Frame().border, TWindowFrame::TBorder::NoBorder) << "NoFrame wins over Sizeable";
  form.SetShowButtons(true);
  form.SetMaximizeButton(true);
  form.SetMinimizeButton(true);
  form.SetMaximizeOnShow(true);
  f = form.Frame();
  EXPECT_TRUE(f.systemMenu && f.maximizeBox && f.minimizeBox && f.maximized);
}

}  // namespace
}  // namespace qv
