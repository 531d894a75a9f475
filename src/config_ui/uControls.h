// What every skinned control shares: place and size, visibility, tag,
// colour, hint, font and picture values, the mouse events, and the marked
// (accelerator) character of a caption. The controls are plain objects; a
// toolkit widget shows one and forwards its input.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "graphics/Bitmap32.h"
#include "graphics/Colors.h"
#include "graphics/Rect.h"

namespace qv {

enum class TMouseButton { Left, Right, Middle };

struct TMouseEvent {
  TMouseButton button = TMouseButton::Left;
  int x = 0;  // in the control's own coordinates
  int y = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

enum class TCursor { Default, Arrow, HandPoint, IBeam, Cross, SizeAll, Wait };

struct TFont {
  std::string Name = "Tahoma";
  int Height = -11;  // negative: the character height in pixels
  TColor Color = clWindowText;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// The font family that shows a Windows font here: the font itself when
// `installed` knows it, else the DejaVu family of its kind (sans, serif or
// mono), "DejaVu Sans" for a name that tells no kind.
std::string FontFamilyFor(const std::string& name, const std::function<bool(const std::string&)>& installed);

// A picture a skin carries: a bitmap file's or a JPEG's pixels. Only bitmaps
// can be drawn transparent.
enum class TGraphicKind { NoGraphic, Bitmap, Jpeg };

struct TSkinPicture {
  TGraphicKind kind = TGraphicKind::NoGraphic;
  TBitmap32 bitmap;
  bool Empty() const { return kind == TGraphicKind::NoGraphic || bitmap.Empty(); }
};

// The picture with alpha 0 where a transparent bitmap shows what lies behind
// it (every pixel of its bottom-left pixel's colour) and 255 elsewhere.
TBitmap32 PictureForDrawing(const TSkinPicture& picture, bool transparent);

// The marked character of a caption ("&Next" marks N; "&&" is a plain "&"),
// upper-cased, or 0 when none is marked.
char32_t AcceleratorOf(const std::string& caption);
// The caption as shown: markers removed; underline is the byte position of
// the marked character in the result, or -1.
std::string CaptionText(const std::string& caption, int* underline = nullptr);

class TControl {
 public:
  virtual ~TControl() = default;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show) { showHint_ = show; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  // Events as any control has them.
  std::function<void(TControl&)> OnClick;
  std::function<void(TControl&)> OnDblClick;
  std::function<void(TControl&, const TMouseEvent&)> OnMouseDown;
  std::function<void(TControl&, const TMouseEvent&)> OnMouseMove;
  std::function<void(TControl&, const TMouseEvent&)> OnMouseUp;

  // The widget showing the control repaints when told; it also learns of
  // size changes the control makes itself.
  std::function<void()> onRepaint;
  std::function<void()> onResize;

 protected:
  void Repaint() const {
    if (onRepaint) onRepaint();
  }
  // Called after a change of width or height.
  virtual void Resized() {}
  virtual void EnabledChanged() {}
  virtual void VisibleChanged() {}

 private:
  std::string name_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  int32_t tag_ = 0;
  TColor color_ = clBtnFace;
  std::string hint_;
  bool showHint_ = false;
  TCursor cursor_ = TCursor::Default;
};

// A graphic control (no window of its own) is clicked when the left button
// goes up over it after going down on it. Shapes, bevels and picture buttons
// share this.
class TClickTracker {
 public:
  void Down(const TMouseEvent& e) {
    if (e.button == TMouseButton::Left) clicked_ = true;
  }
  // True when this release is a click.
  bool Up(const TMouseEvent& e, int width, int height) {
    if (e.button != TMouseButton::Left || !clicked_) return false;
    clicked_ = false;
    return e.x >= 0 && e.y >= 0 && e.x < width && e.y < height;
  }
  void Cancel() { clicked_ = false; }

 private:
  bool clicked_ = false;
};

}  // namespace qv
