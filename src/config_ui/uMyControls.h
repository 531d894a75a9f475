// The small skinned controls besides the picture button: a shape and a bevel
// that can be clicked, a memo whose whole text is one property, and the base
// window class that carries a skin window's six options.
#pragma once
#include <string>
#include <vector>

#include "config_ui/uControls.h"
#include "config_ui/uPaint.h"

namespace qv {

// A control without a window of its own: mouse events as any control has
// them, and a click when the left button goes up over it.
class TGraphicControl : public TControl {
 public:
  void MouseDown(const TMouseEvent& e);
  void MouseMove(const TMouseEvent& e);
  void MouseUp(const TMouseEvent& e);

 private:
  TClickTracker click_;
};

enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
};
struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
};

class TMyShape : public TGraphicControl {
 public:
  TMyShape();
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType shape);
  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& brush);
  const TPen& Pen() const { return pen_; }
  void SetPen(const TPen& pen);

  // The figure: the pen's middle runs pen-width / 2 inside the bounds;
  // squares and circles take the shorter side and are centred.
  TRect FigureRect() const;
  TPaintList Paint() const;

 private:
  TShapeType shape_ = TShapeType::stRectangle;
  TBrush brush_;
  TPen pen_;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle { bsLowered, bsRaised };

class TMyBevel : public TGraphicControl {
 public:
  TMyBevel();
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);

  // Lines in the button shadow and highlight colours: the first colour on
  // the top and left, the second on the bottom and right (swapped when raised).
  TPaintList Paint() const;

 private:
  TBevelShape shape_ = TBevelShape::bsBox;
  TBevelStyle style_ = TBevelStyle::bsLowered;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TMyMemo : public TControl {
 public:
  TMyMemo();

  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(const std::vector<std::string>& lines);
  // All lines joined by CR LF (no line break after the last one).
  std::string Text() const;
  // Replaces all lines; CR LF, LF and CR each end a line, and a line break at
  // the very end adds no empty line.
  void SetText(const std::string& text);

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle bars);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);

  // The widget reports what the user typed.
  std::function<void(TMyMemo&)> OnChange;
  void TextEdited(const std::string& text);

 private:
  std::vector<std::string> lines_;
  bool readOnly_ = false;
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TFont font_;
};

// How a skin window is framed, from its options.
struct TWindowFrame {
  enum class TBorder { NoBorder, Sizeable, Single };
  TBorder border = TBorder::Single;
  bool systemMenu = false;
  bool maximizeBox = false;
  bool minimizeBox = false;
  bool maximized = false;
  bool centred = true;
};

// The base of every skin window.
class TfmQVFormParent : public TControl {
 public:
  TfmQVFormParent();

  bool Sizeable() const { return sizeable_; }
  void SetSizeable(bool v) { sizeable_ = v; }
  bool NoFrame() const { return noFrame_; }
  void SetNoFrame(bool v) { noFrame_ = v; }
  bool MaximizeButton() const { return maximizeButton_; }
  void SetMaximizeButton(bool v) { maximizeButton_ = v; }
  bool MinimizeButton() const { return minimizeButton_; }
  void SetMinimizeButton(bool v) { minimizeButton_ = v; }
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool v) { showButtons_ = v; }
  bool MaximizeOnShow() const { return maximizeOnShow_; }
  void SetMaximizeOnShow(bool v) { maximizeOnShow_ = v; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  // No frame when NoFrame, else resizable when Sizeable, else single; the
  // system menu, maximise and minimise boxes by their options; maximised by
  // MaximizeOnShow; always centred on the screen.
  TWindowFrame Frame() const;

  // The creation handler; it does nothing here.
  virtual void FormCreate() {}

 private:
  bool sizeable_ = false;
  bool noFrame_ = false;
  bool maximizeButton_ = false;
  bool minimizeButton_ = false;
  bool showButtons_ = false;
  bool maximizeOnShow_ = false;
  std::string caption_;
};

}  // namespace qv
