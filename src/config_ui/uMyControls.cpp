#include "config_ui/uMyControls.h"

#include <algorithm>

namespace qv {

void TGraphicControl::MouseDown(const TMouseEvent& e) {
  if (!Enabled()) return;
  click_.Down(e);
  if (OnMouseDown) OnMouseDown(*this, e);
}

void TGraphicControl::MouseMove(const TMouseEvent& e) {
  if (Enabled() && OnMouseMove) OnMouseMove(*this, e);
}

void TGraphicControl::MouseUp(const TMouseEvent& e) {
  if (!Enabled()) return;
  if (click_.Up(e, Width(), Height()) && OnClick) OnClick(*this);
  if (OnMouseUp) OnMouseUp(*this, e);
}

TMyShape::TMyShape() { SetBounds(0, 0, 65, 65); }

void TMyShape::SetShape(TShapeType shape) {
  shape_ = shape;
  Repaint();
}

void TMyShape::SetBrush(const TBrush& brush) {
  brush_ = brush;
  Repaint();
}

void TMyShape::SetPen(const TPen& pen) {
  pen_ = pen;
  if (pen_.Width < 0) pen_.Width = 0;
  Repaint();
}

TRect TMyShape::FigureRect() const {
  int x = pen_.Width / 2, y = x;
  int w = Width() - pen_.Width + 1, h = Height() - pen_.Width + 1;
  if (pen_.Width == 0) {
    --w;
    --h;
  }
  const int s = std::min(w, h);
  if (shape_ == TShapeType::stSquare || shape_ == TShapeType::stRoundSquare || shape_ == TShapeType::stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  return {x, y, x + w, y + h};
}

TPaintList TMyShape::Paint() const {
  TPaintList list;
  TPainter p(list);
  const TRect f = FigureRect();
  if (f.IsEmpty()) return list;
  const int pen = pen_.Style == TPenStyle::psClear ? 0 : pen_.Width;
  const bool noBrush = brush_.Style == TBrushStyle::bsClear;
  switch (shape_) {
    case TShapeType::stRectangle:
    case TShapeType::stSquare:
      if (!noBrush) p.Fill(f, brush_.Color);
      if (pen > 0) p.Frame(f, pen_.Color, pen);
      break;
    case TShapeType::stRoundRect:
    case TShapeType::stRoundSquare:
    case TShapeType::stEllipse:
    case TShapeType::stCircle: {
      // The outline's outer edge: the pen is centred on the figure's edges.
      const int w = std::max(pen, 1);
      const TRect outer{f.Left - w / 2, f.Top - w / 2, f.Right - 1 - w / 2 + w, f.Bottom - 1 - w / 2 + w};
      const bool round = shape_ == TShapeType::stRoundRect || shape_ == TShapeType::stRoundSquare;
      const int corner = std::min(f.Width(), f.Height()) / 4;
      if (round) p.RoundRect(outer, corner, corner, pen_.Color, pen, brush_.Color, noBrush);
      else p.Ellipse(outer, pen_.Color, pen, brush_.Color, noBrush);
      break;
    }
  }
  return list;
}

TMyBevel::TMyBevel() { SetBounds(0, 0, 50, 50); }

void TMyBevel::SetShape(TBevelShape shape) {
  shape_ = shape;
  Repaint();
}

void TMyBevel::SetStyle(TBevelStyle style) {
  style_ = style;
  Repaint();
}

TPaintList TMyBevel::Paint() const {
  TPaintList list;
  TPainter p(list);
  TColor c1 = clBtnHighlight, c2 = clBtnShadow;
  if (style_ == TBevelStyle::bsLowered) std::swap(c1, c2);
  const int w = Width(), h = Height();
  // The first colour along the left and top, the second along the right and
  // bottom of the rectangle whose far corner is (r, b).
  auto bevelRect = [&p](int l, int t, int r, int b, TColor first, TColor second) {
    p.Line(l, b, l, t, first);
    p.Line(l, t, r, t, first);
    p.Line(r, t, r, b, second);
    p.Line(r, b, l, b, second);
  };
  switch (shape_) {
    case TBevelShape::bsBox: bevelRect(0, 0, w - 1, h - 1, c1, c2); break;
    case TBevelShape::bsFrame:
      bevelRect(1, 1, w - 1, h - 1, c2, c2);
      bevelRect(0, 0, w - 2, h - 2, c1, c1);
      break;
    case TBevelShape::bsTopLine:
      p.Line(0, 0, w, 0, c1);
      p.Line(0, 1, w, 1, c2);
      break;
    case TBevelShape::bsBottomLine:
      p.Line(0, h - 2, w, h - 2, c1);
      p.Line(0, h - 1, w, h - 1, c2);
      break;
    case TBevelShape::bsLeftLine:
      p.Line(0, 0, 0, h, c1);
      p.Line(1, 0, 1, h, c2);
      break;
    case TBevelShape::bsRightLine:
      p.Line(w - 2, 0, w - 2, h, c1);
      p.Line(w - 1, 0, w - 1, h, c2);
      break;
    case TBevelShape::bsSpacer: break;
  }
  return list;
}

TMyMemo::TMyMemo() {
  SetBounds(0, 0, 185, 89);
  SetColor(clWindow);
}

void TMyMemo::SetLines(const std::vector<std::string>& lines) {
  lines_ = lines;
  Repaint();
}

std::string TMyMemo::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

void TMyMemo::SetText(const std::string& text) {
  lines_.clear();
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines_.push_back(line);
  Repaint();
}

void TMyMemo::TextEdited(const std::string& text) {
  SetText(text);
  if (OnChange) OnChange(*this);
}

void TMyMemo::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  Repaint();
}

void TMyMemo::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  Repaint();
}

void TMyMemo::SetScrollBars(TScrollStyle bars) {
  scrollBars_ = bars;
  Repaint();
}

void TMyMemo::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Repaint();
}

void TMyMemo::SetFont(const TFont& font) {
  font_ = font;
  Repaint();
}

TfmQVFormParent::TfmQVFormParent() { SetBounds(0, 0, 588, 478); }

void TfmQVFormParent::SetCaption(const std::string& caption) {
  caption_ = caption;
  Repaint();
}

TWindowFrame TfmQVFormParent::Frame() const {
  TWindowFrame f;
  f.border = noFrame_ ? TWindowFrame::TBorder::NoBorder
                      : (sizeable_ ? TWindowFrame::TBorder::Sizeable : TWindowFrame::TBorder::Single);
  f.systemMenu = showButtons_;
  f.maximizeBox = maximizeButton_;
  f.minimizeBox = minimizeButton_;
  f.maximized = maximizeOnShow_;
  f.centred = true;
  return f;
}

}  // namespace qv
