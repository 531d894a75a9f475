#include "config_ui/fltk/FlStdControls.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <string>

#include "config_ui/fltk/FlMyControls.h"
#include "config_ui/fltk/FlPaint.h"

namespace qv::ui {

namespace {

// Texts are shown as written: "\r" goes (line breaks are "\n" here) and
// FLTK's "@" symbols are not looked for.
std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

// A label for a widget's own label drawing: "@" doubled so it is not a symbol.
std::string WidgetLabel(const std::string& caption) {
  std::string out;
  for (char c : Shown(caption)) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

Fl_Cursor FlCursor(TCursor cursor) {
  switch (cursor) {
    case TCursor::HandPoint: return FL_CURSOR_HAND;
    case TCursor::IBeam: return FL_CURSOR_INSERT;
    case TCursor::Cross: return FL_CURSOR_CROSS;
    case TCursor::SizeAll: return FL_CURSOR_MOVE;
    case TCursor::Wait: return FL_CURSOR_WAIT;
    case TCursor::Arrow: return FL_CURSOR_ARROW;
    case TCursor::Default: break;
  }
  return FL_CURSOR_DEFAULT;
}


// Bevel lines of one kind, `width` pixels, `inset` pixels in from the edges.
void DrawBevel(int x, int y, int w, int h, int inset, int width, TBevelCut cut) {
  if (cut == TBevelCut::bvNone) return;
  const Fl_Color light = FlColor(clBtnHighlight), dark = FlColor(clBtnShadow);
  const bool raised = cut == TBevelCut::bvRaised;
  for (int i = 0; i < width; ++i) {
    const int l = x + inset + i, t = y + inset + i, r = x + w - 1 - inset - i, b = y + h - 1 - inset - i;
    if (r <= l || b <= t) return;
    if (cut == TBevelCut::bvSpace) continue;
    fl_color(raised ? light : dark);
    fl_line(l, b, l, t, r, t);
    fl_color(raised ? dark : light);
    fl_line(r, t, r, b, l, b);
  }
}

Fl_Align AlignOf(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taCenter: return FL_ALIGN_CENTER;
    case TAlignment::taRightJustify: return FL_ALIGN_RIGHT;
    case TAlignment::taLeftJustify: break;
  }
  return FL_ALIGN_LEFT;
}

}  // namespace

// Mouse input of a control without a window of its own.
int ForwardMouse(int event, Fl_Widget& widget, TGraphicControl& control) {
  switch (event) {
    case FL_PUSH: control.MouseDown(EventAt(widget.x(), widget.y())); return 1;
    case FL_DRAG:
    case FL_MOVE: control.MouseMove(EventAt(widget.x(), widget.y())); return 1;
    case FL_RELEASE: control.MouseUp(EventAt(widget.x(), widget.y())); return 1;
    case FL_ENTER: ShowCursorOf(widget, control, true); return 1;
    case FL_LEAVE: ShowCursorOf(widget, control, false); return 1;
    default: return 0;
  }
}

void ShowCursorOf(Fl_Widget& widget, const TControl& control, bool inside) {
  if (Fl_Window* window = widget.window()) window->cursor(inside ? FlCursor(control.Cursor()) : FL_CURSOR_DEFAULT);
}

TFlLabel::TFlLabel(int x, int y, int w, int h, TLabel& label) : Fl_Widget(x, y, w, h), label_(label) {
  box(FL_NO_BOX);
  FollowControl(*this, label_, true);
}

TFlLabel::~TFlLabel() { UnfollowControl(label_); }

void TFlLabel::draw() {
  if (!label_.Transparent()) {
    fl_color(FlColor(label_.Color()));
    fl_rectf(x(), y(), w(), h());
  }
  const std::string text = Shown(CaptionText(label_.Caption()));
  if (text.empty()) return;
  const TFont& font = label_.Font();
  UseFont(font);
  fl_color(FlColor(active_r() ? font.Color : clGrayText));
  Fl_Align align = AlignOf(label_.Alignment()) | FL_ALIGN_INSIDE | FL_ALIGN_CLIP;
  if (label_.Layout() == TTextLayout::tlTop) align |= FL_ALIGN_TOP;
  if (label_.Layout() == TTextLayout::tlBottom) align |= FL_ALIGN_BOTTOM;
  if (label_.WordWrap()) align |= FL_ALIGN_WRAP;
  fl_push_clip(x(), y(), w(), h());
  fl_draw(text.c_str(), x(), y(), w(), h(), align, nullptr, 0);
  if (font.Underline && !label_.WordWrap() && text.find('\n') == std::string::npos) {
    int tw = 0, th = 0;
    fl_measure(text.c_str(), tw, th, 0);
    int left = x();
    if (label_.Alignment() == TAlignment::taCenter) left = x() + (w() - tw) / 2;
    if (label_.Alignment() == TAlignment::taRightJustify) left = x() + w() - tw;
    int top = y();
    if (label_.Layout() == TTextLayout::tlCenter) top = y() + (h() - th) / 2;
    if (label_.Layout() == TTextLayout::tlBottom) top = y() + h() - th;
    const int baseline = top + fl_height() - fl_descent() + 1;
    fl_line(left, baseline, left + tw - 1, baseline);
  }
  fl_pop_clip();
}

int TFlLabel::handle(int event) {
  const int used = ForwardMouse(event, *this, label_);
  return used ? used : Fl_Widget::handle(event);
}

TFlButton::TFlButton(int x, int y, int w, int h, TButton& button) : Fl_Button(x, y, w, h), button_(button) {
  callback([](Fl_Widget*, void* self) { static_cast<TFlButton*>(self)->button_.Click(); }, this);
  FollowControl(*this, button_, false, [this] { Show(); });
}

TFlButton::~TFlButton() {
  UnfollowControl(button_);
  image(nullptr);
}

void TFlButton::Show() {
  copy_label(WidgetLabel(button_.Caption()).c_str());
  labelfont(FlFace(button_.Font()));
  labelsize(FlSize(button_.Font()));
  labelcolor(FlColor(button_.Font().Color));
  color(FlColor(button_.Color()));
  auto* bit = dynamic_cast<TBitBtn*>(&button_);
  if (!bit || bit->Glyph().Empty()) return;
  const TBitmap32 glyph = PictureForDrawing(bit->Glyph(), true);
  glyphPixels_.resize(static_cast<size_t>(glyph.Width()) * glyph.Height() * 4);
  for (int gy = 0; gy < glyph.Height(); ++gy)
    for (int gx = 0; gx < glyph.Width(); ++gx) {
      const uint32_t p = glyph.Pixel(gx, gy);
      unsigned char* o = &glyphPixels_[(static_cast<size_t>(gy) * glyph.Width() + gx) * 4];
      o[0] = static_cast<unsigned char>(p >> 16);
      o[1] = static_cast<unsigned char>(p >> 8);
      o[2] = static_cast<unsigned char>(p);
      o[3] = static_cast<unsigned char>(p >> 24);
    }
  image(nullptr);
  glyph_ = std::make_unique<Fl_RGB_Image>(glyphPixels_.data(), glyph.Width(), glyph.Height(), 4);
  image(glyph_.get());
  align(FL_ALIGN_IMAGE_NEXT_TO_TEXT);
}

TFlEdit::TFlEdit(int x, int y, int w, int h, TEdit& edit) : Fl_Input(x, y, w, h), edit_(edit) {
  when(FL_WHEN_CHANGED);
  callback([](Fl_Widget*, void* self) {
    auto* me = static_cast<TFlEdit*>(self);
    me->edit_.SetText(me->value());
  }, this);
  FollowControl(*this, edit_, false, [this] { Show(); });
}

TFlEdit::~TFlEdit() { UnfollowControl(edit_); }

void TFlEdit::Show() {
  if (edit_.Text() != value()) value(edit_.Text().c_str());
  readonly(edit_.ReadOnly() ? 1 : 0);
  maximum_size(edit_.MaxLength() > 0 ? edit_.MaxLength() : 32767);
  textfont(FlFace(edit_.Font()));
  textsize(FlSize(edit_.Font()));
  textcolor(FlColor(edit_.Font().Color));
  color(FlColor(edit_.Color()));
}

TFlPanel::TFlPanel(int x, int y, int w, int h, TPanel& panel) : Fl_Group(x, y, w, h), panel_(panel) {
  box(FL_FLAT_BOX);
  FollowControl(*this, panel_, false);
}

TFlPanel::~TFlPanel() { UnfollowControl(panel_); }

void TFlPanel::draw() {
  fl_color(FlColor(panel_.Color()));
  fl_rectf(x(), y(), w(), h());
  const int bevel = panel_.BevelWidth();
  DrawBevel(x(), y(), w(), h(), 0, bevel, panel_.BevelOuter());
  const int inner = (panel_.BevelOuter() != TBevelCut::bvNone ? bevel : 0) + panel_.BorderWidth();
  DrawBevel(x(), y(), w(), h(), inner, bevel, panel_.BevelInner());
  const std::string text = Shown(CaptionText(panel_.Caption()));
  if (!text.empty()) {
    UseFont(panel_.Font());
    fl_color(FlColor(panel_.Font().Color));
    const TRect r = panel_.ClientRect();
    fl_draw(text.c_str(), x() + r.Left, y() + r.Top, r.Width(), r.Height(),
            AlignOf(panel_.Alignment()) | FL_ALIGN_INSIDE | FL_ALIGN_CLIP, nullptr, 0);
  }
  draw_children();
}

int TFlPanel::handle(int event) {
  switch (event) {
    case FL_PUSH:
      if (Fl_Group::handle(event)) return 1;
      panel_.MouseDown(EventAt(x(), y()));
      return 1;
    case FL_DRAG: panel_.MouseMove(EventAt(x(), y())); return 1;
    case FL_RELEASE: panel_.MouseUp(EventAt(x(), y())); return 1;
    case FL_ENTER:
    case FL_MOVE:
      if (!Fl_Group::handle(event)) ShowCursorOf(*this, panel_, true);
      return 1;
    case FL_LEAVE:
      ShowCursorOf(*this, panel_, false);
      return Fl_Group::handle(event);
    default: return Fl_Group::handle(event);
  }
}

TFlImage::TFlImage(int x, int y, int w, int h, TImage& image) : Fl_Widget(x, y, w, h), image_(image) {
  box(FL_NO_BOX);
  // The picture is scaled again after any change.
  FollowControl(*this, image_, true, [this] { shownRect_ = {}; });
}

TFlImage::~TFlImage() { UnfollowControl(image_); }

void TFlImage::draw() {
  const TRect r = image_.PictureRect();
  if (r.IsEmpty()) return;
  if (r != shownRect_ || shown_.Empty()) {
    // Scaled first, so a large picture is never copied whole for a draw.
    const TBitmap32& picture = image_.Picture().bitmap;
    TSkinPicture scaled;
    scaled.kind = image_.Picture().kind;
    scaled.bitmap.SetSize(r.Width(), r.Height());
    picture.DrawTo(scaled.bitmap, {0, 0, r.Width(), r.Height()}, {0, 0, picture.Width(), picture.Height()});
    shown_ = PictureForDrawing(scaled, image_.Transparent());
    shownRect_ = r;
  }
  fl_push_clip(x(), y(), w(), h());
  if (image_.Transparent()) DrawBitmapKeyed(shown_, x() + r.Left, y() + r.Top);
  else DrawBitmap(shown_, x() + r.Left, y() + r.Top);
  fl_pop_clip();
}

int TFlImage::handle(int event) {
  const int used = ForwardMouse(event, *this, image_);
  return used ? used : Fl_Widget::handle(event);
}

TFlCheckBox::TFlCheckBox(int x, int y, int w, int h, TCheckBox& box) : Fl_Check_Button(x, y, w, h), box_(box) {
  callback([](Fl_Widget*, void* self) {
    auto* me = static_cast<TFlCheckBox*>(self);
    me->box_.SetChecked(me->value() != 0);
  }, this);
  FollowControl(*this, box_, false, [this] { Show(); });
}

TFlCheckBox::~TFlCheckBox() { UnfollowControl(box_); }

void TFlCheckBox::Show() {
  copy_label(WidgetLabel(box_.Caption()).c_str());
  value(box_.Checked() ? 1 : 0);
  labelfont(FlFace(box_.Font()));
  labelsize(FlSize(box_.Font()));
  labelcolor(FlColor(box_.Font().Color));
  color(FlColor(box_.Color()));
}

TFlPageControl::TFlPageControl(int x, int y, int w, int h, TPageControl& pages) : Fl_Tabs(x, y, w, h), pages_(pages) {
  color(FlColor(pages_.Color()));
  FollowControl(*this, pages_, false);
}

TFlPageControl::~TFlPageControl() { UnfollowControl(pages_); }

}  // namespace qv::ui
