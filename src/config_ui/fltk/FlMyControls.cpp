#include "config_ui/fltk/FlMyControls.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <cstdlib>
#include <string>

#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlStdControls.h"

namespace qv::ui {

namespace {

// Draws a graphic control's picture: its paint list over what lies behind it.
void DrawPaintList(const TPaintList& list, int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return;
  TBitmap32 image(w, h);  // alpha 0 everywhere: nothing drawn yet
  PaintTo(list, image);
  DrawBitmapKeyed(image, x, y);
}

}  // namespace

void FollowControl(Fl_Widget& widget, TControl& control, bool transparent, std::function<void()> follow) {
  control.SetBounds(control.Left(), control.Top(), widget.w(), widget.h());
  control.onRepaint = [&widget, &control, transparent, follow] {
    if (follow) follow();
    if (control.Visible()) widget.show();
    else widget.hide();
    if (control.Enabled()) widget.activate();
    else widget.deactivate();
    widget.copy_tooltip(control.ShowHint() && !control.Hint().empty() ? control.Hint().c_str() : nullptr);
    if (transparent && widget.parent()) widget.parent()->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
    else widget.redraw();
  };
  control.onResize = [&widget, &control] {
    if (widget.parent()) widget.parent()->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
    widget.size(control.Width(), control.Height());
    widget.redraw();
  };
  if (follow) follow();
}

void UnfollowControl(TControl& control) {
  control.onRepaint = nullptr;
  control.onResize = nullptr;
}

TFlMyButton::TFlMyButton(int x, int y, int w, int h, platform::TTimerFactory timers)
    : TFlMyButton(x, y, w, h, *new TMyButton(std::move(timers))) {
  own_.reset(&button_);
}

TFlMyButton::TFlMyButton(int x, int y, int w, int h, TMyButton& control)
    : Fl_Widget(x, y, w, h), button_(control) {
  box(FL_NO_BOX);
  FollowControl(*this, button_, true);
}

TFlMyButton::~TFlMyButton() { UnfollowControl(button_); }

void TFlMyButton::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);
  button_.SetBounds(button_.Left(), button_.Top(), w, h);
}

void TFlMyButton::draw() {
  const TButtonFace face = button_.Paint(MeasureText);
  switch (face.kind) {
    case TButtonFace::TKind::Picture:
      DrawBitmapKeyed(PictureForDrawing(*face.picture, face.transparent), x(), y());
      break;
    case TButtonFace::TKind::PushButton: fl_draw_box(FL_UP_BOX, x(), y(), w(), h(), FL_BACKGROUND_COLOR); break;
    case TButtonFace::TKind::SunkenEdge: fl_draw_box(FL_THIN_DOWN_FRAME, x(), y(), w(), h(), FL_BACKGROUND_COLOR); break;
  }
  if (face.showCaption) {
    UseFont(face.font);
    fl_color(FlColor(face.font.Color));
    const int baseline = y() + face.textY + fl_height() - fl_descent();
    fl_draw(face.text.c_str(), x() + face.textX, baseline);
    if (face.underline >= 0 && static_cast<size_t>(face.underline) < face.text.size()) {
      const int from = static_cast<int>(fl_width(face.text.c_str(), face.underline));
      const int to = static_cast<int>(fl_width(face.text.c_str(), face.underline + 1));
      fl_line(x() + face.textX + from, baseline + 1, x() + face.textX + to - 1, baseline + 1);
    }
  }
}

int TFlMyButton::handle(int event) {
  switch (event) {
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG: button_.MouseMove(EventAt(x(), y())); return 1;
    case FL_LEAVE: button_.MouseLeave(); return 1;
    case FL_PUSH: button_.MouseDown(EventAt(x(), y()), Fl::event_clicks() > 0); return 1;
    case FL_RELEASE: button_.MouseUp(EventAt(x(), y())); return 1;
    case FL_SHORTCUT: {
      const char* text = Fl::event_text();
      if (!text || !text[0] || (text[0] & 0x80)) return 0;
      const bool showing = window() && window()->shown() && visible_r();
      return button_.DialogChar(static_cast<unsigned char>(text[0]), showing) ? 1 : 0;
    }
    default: return Fl_Widget::handle(event);
  }
}

TFlMyShape::TFlMyShape(int x, int y, int w, int h) : TFlMyShape(x, y, w, h, *new TMyShape) { own_.reset(&shape_); }

TFlMyShape::TFlMyShape(int x, int y, int w, int h, TMyShape& control) : Fl_Widget(x, y, w, h), shape_(control) {
  box(FL_NO_BOX);
  FollowControl(*this, shape_, true);
}

TFlMyShape::~TFlMyShape() { UnfollowControl(shape_); }

void TFlMyShape::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);
  shape_.SetBounds(shape_.Left(), shape_.Top(), w, h);
}

void TFlMyShape::draw() { DrawPaintList(shape_.Paint(), x(), y(), w(), h()); }

int TFlMyShape::handle(int event) {
  const int used = ForwardMouse(event, *this, shape_);
  return used ? used : Fl_Widget::handle(event);
}

TFlMyBevel::TFlMyBevel(int x, int y, int w, int h) : TFlMyBevel(x, y, w, h, *new TMyBevel) { own_.reset(&bevel_); }

TFlMyBevel::TFlMyBevel(int x, int y, int w, int h, TMyBevel& control) : Fl_Widget(x, y, w, h), bevel_(control) {
  box(FL_NO_BOX);
  FollowControl(*this, bevel_, true);
}

TFlMyBevel::~TFlMyBevel() { UnfollowControl(bevel_); }

void TFlMyBevel::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);
  bevel_.SetBounds(bevel_.Left(), bevel_.Top(), w, h);
}

void TFlMyBevel::draw() { DrawPaintList(bevel_.Paint(), x(), y(), w(), h()); }

int TFlMyBevel::handle(int event) {
  const int used = ForwardMouse(event, *this, bevel_);
  return used ? used : Fl_Widget::handle(event);
}

TFlMyMemo::TFlMyMemo(int x, int y, int w, int h) : TFlMyMemo(x, y, w, h, *new TMyMemo) { own_.reset(&memo_); }

TFlMyMemo::TFlMyMemo(int x, int y, int w, int h, TMyMemo& control) : Fl_Text_Editor(x, y, w, h), memo_(control) {
  buffer(&buffer_);
  buffer_.add_modify_callback(&TFlMyMemo::Modified, this);
  FollowControl(*this, memo_, false, [this] { Show(); });
}

TFlMyMemo::~TFlMyMemo() {
  UnfollowControl(memo_);
  buffer_.remove_modify_callback(&TFlMyMemo::Modified, this);
  buffer(nullptr);
}

void TFlMyMemo::resize(int x, int y, int w, int h) {
  Fl_Text_Editor::resize(x, y, w, h);
  memo_.SetBounds(memo_.Left(), memo_.Top(), w, h);
}

void TFlMyMemo::Show() {
  std::string text;
  for (size_t i = 0; i < memo_.Lines().size(); ++i) {
    if (i) text += '\n';
    text += memo_.Lines()[i];
  }
  color(FlColor(memo_.Color()));
  textfont(FlFace(memo_.Font()));
  textsize(FlSize(memo_.Font()));
  textcolor(FlColor(memo_.Font().Color));
  wrap_mode(memo_.WordWrap() ? WRAP_AT_BOUNDS : WRAP_NONE, 0);
  char* current = buffer_.text();
  const bool same = current && text == current;
  free(current);
  if (!same) {
    showing_ = true;
    buffer_.text(text.c_str());
    showing_ = false;
  }
}

void TFlMyMemo::Modified(int, int inserted, int deleted, int, const char*, void* data) {
  auto* self = static_cast<TFlMyMemo*>(data);
  if (self->showing_ || (inserted == 0 && deleted == 0)) return;
  char* text = self->buffer_.text();
  std::string crlf;
  for (const char* p = text; p && *p; ++p) {
    if (*p == '\n') crlf += "\r\n";
    else crlf += *p;
  }
  free(text);
  self->showing_ = true;
  self->memo_.TextEdited(crlf);
  self->showing_ = false;
}

int TFlMyMemo::handle(int event) {
  if (memo_.ReadOnly() && (event == FL_KEYBOARD || event == FL_PASTE)) {
    // Moving the cursor and copying stay possible; changes do not.
    const int key = Fl::event_key();
    const bool moves = key == FL_Left || key == FL_Right || key == FL_Up || key == FL_Down || key == FL_Home ||
                       key == FL_End || key == FL_Page_Up || key == FL_Page_Down ||
                       (Fl::event_ctrl() && (key == 'c' || key == 'a'));
    if (event == FL_PASTE || !moves) return 0;
  }
  return Fl_Text_Editor::handle(event);
}

TFlFormParent::TFlFormParent(int w, int h, const char* caption) : Fl_Double_Window(w, h, caption) {
  form_.SetBounds(0, 0, w, h);
  form_.FormCreate();
}

void ApplyFrame(Fl_Window& window, const TfmQVFormParent& options) {
  const TWindowFrame frame = options.Frame();
  window.border(frame.border != TWindowFrame::TBorder::NoBorder);
  if (frame.border == TWindowFrame::TBorder::Sizeable) {
    window.resizable(&window);
    window.size_range(40, 40);
  } else {
    window.resizable(nullptr);
    window.size_range(window.w(), window.h(), window.w(), window.h());
  }
  // The system menu and the maximise and minimise boxes are the window
  // manager's to draw on X11; a window cannot ask for them one by one.
  int sx = 0, sy = 0, sw = Fl::w(), sh = Fl::h();
  Fl::screen_work_area(sx, sy, sw, sh);
  if (frame.maximized) window.resize(sx, sy, sw, sh);
  else window.position(sx + (sw - window.w()) / 2, sy + (sh - window.h()) / 2);
}

void TFlFormParent::ApplyFrame() { ui::ApplyFrame(*this, form_); }

}  // namespace qv::ui
