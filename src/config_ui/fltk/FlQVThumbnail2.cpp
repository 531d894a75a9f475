#include "config_ui/fltk/FlQVThumbnail2.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "config_ui/fltk/FlMyControls.h"
#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlStdControls.h"

namespace qv::ui {

TFlQVThumbnail2::TFlQVThumbnail2(int x, int y, int w, int h) : TFlQVThumbnail2(x, y, w, h, *new TQVThumbnail2) {
  own_.reset(&grid_);
}

TFlQVThumbnail2::~TFlQVThumbnail2() { UnfollowControl(grid_); }

TFlQVThumbnail2::TFlQVThumbnail2(int x, int y, int w, int h, TQVThumbnail2& control)
    : Fl_Group(x, y, w, h), grid_(control) {
  box(FL_NO_BOX);
  bar_ = new Fl_Scrollbar(x, y, TQVThumbnail2::kScrollBarSize, h);
  bar_->callback(&TFlQVThumbnail2::Scrolled, this);
  bar_->hide();
  end();
  FollowControl(*this, grid_, false, [this] { FollowScrollBar(); });
}

void TFlQVThumbnail2::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);  // the scroll bar is placed by the grid
  grid_.SetBounds(grid_.Left(), grid_.Top(), w, h);
  FollowScrollBar();
}

void TFlQVThumbnail2::FollowScrollBar() {
  const TRect r = grid_.ScrollBarRect();
  switch (grid_.ScrollBar()) {
    case TQVThumbnail2::TScrollBar::NoScrollBar: bar_->hide(); return;
    case TQVThumbnail2::TScrollBar::Vertical:
      bar_->type(FL_VERTICAL);
      bar_->value(grid_.TopRow(), grid_.VisibleRowCount(), 0, grid_.RowCount());
      break;
    case TQVThumbnail2::TScrollBar::Horizontal:
      bar_->type(FL_HORIZONTAL);
      bar_->value(grid_.LeftCol(), grid_.VisibleColCount(), 0, grid_.ColCount());
      break;
  }
  bar_->resize(x() + r.Left, y() + r.Top, r.Width(), r.Height());
  bar_->linesize(1);
  bar_->show();
}

void TFlQVThumbnail2::Scrolled(Fl_Widget*, void* data) {
  auto* self = static_cast<TFlQVThumbnail2*>(data);
  if (self->grid_.ScrollBar() == TQVThumbnail2::TScrollBar::Horizontal) self->grid_.SetLeftCol(self->bar_->value());
  else self->grid_.SetTopRow(self->bar_->value());
}

void TFlQVThumbnail2::draw() {
  TPaintList texts;
  const TBitmap32 image = grid_.Render(&texts);
  DrawBitmap(image, x(), y());
  DrawTexts(texts, x(), y(), grid_.ClientRect());
  if (bar_->visible()) {
    bar_->damage(FL_DAMAGE_ALL);
    draw_child(*bar_);
  }
}

int TFlQVThumbnail2::handle(int event) {
  const TRect client = grid_.ClientRect();
  const int cx = x() + client.Left, cy = y() + client.Top;
  auto setCursor = [this](TCursor cursor) {
    if (Fl_Window* win = window()) win->cursor(cursor == TCursor::HandPoint ? FL_CURSOR_HAND : FL_CURSOR_DEFAULT);
  };
  switch (event) {
    case FL_ENTER:
    case FL_MOVE:
      if (bar_->visible() && Fl::event_inside(bar_)) {
        setCursor(TCursor::Default);
        return Fl_Group::handle(event);
      }
      setCursor(grid_.MouseMove(Fl::event_x() - cx, Fl::event_y() - cy));
      return 1;
    case FL_LEAVE: setCursor(TCursor::Default); return Fl_Group::handle(event);
    case FL_PUSH:
      if (bar_->visible() && Fl::event_inside(bar_)) return Fl_Group::handle(event);
      if (Fl::visible_focus()) take_focus();
      grid_.MouseDown(EventAt(cx, cy));
      setCursor(grid_.Cursor());
      return 1;
    case FL_RELEASE:
    case FL_DRAG: return bar_->visible() && Fl::pushed() == bar_ ? Fl_Group::handle(event) : 1;
    case FL_MOUSEWHEEL: {
      const int steps = grid_.MultiRows() ? Fl::event_dy() : (Fl::event_dx() ? Fl::event_dx() : Fl::event_dy());
      grid_.MouseWheel(steps);
      return 1;
    }
    case FL_FOCUS:
    case FL_UNFOCUS: return 1;
    case FL_KEYBOARD: {
      using K = TQVThumbnail2::TKey;
      switch (Fl::event_key()) {
        case FL_Left: grid_.KeyDown(K::Left); return 1;
        case FL_Right: grid_.KeyDown(K::Right); return 1;
        case FL_Up: grid_.KeyDown(K::Up); return 1;
        case FL_Down: grid_.KeyDown(K::Down); return 1;
        case FL_Page_Up: grid_.KeyDown(K::PageUp); return 1;
        case FL_Page_Down: grid_.KeyDown(K::PageDown); return 1;
        case FL_Home: grid_.KeyDown(K::Home); return 1;
        case FL_End: grid_.KeyDown(K::End); return 1;
        default: return 0;
      }
    }
    default: return Fl_Group::handle(event);
  }
}

TFlQVPreview::TFlQVPreview(int x, int y, int w, int h) : TFlQVPreview(x, y, w, h, *new TQVPreview) {
  own_.reset(&preview_);
}

TFlQVPreview::~TFlQVPreview() { UnfollowControl(preview_); }

TFlQVPreview::TFlQVPreview(int x, int y, int w, int h, TQVPreview& control) : Fl_Widget(x, y, w, h), preview_(control) {
  box(FL_NO_BOX);
  FollowControl(*this, preview_, false);
}

void TFlQVPreview::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);
  preview_.SetBounds(preview_.Left(), preview_.Top(), w, h);
}

int TFlQVPreview::handle(int event) {
  const int used = ForwardMouse(event, *this, preview_);
  return used ? used : Fl_Widget::handle(event);
}

void TFlQVPreview::draw() {
  const TBitmap32& picture = preview_.Picture();
  if (picture.Empty()) {
    fl_color(FlColor(preview_.Color()));
    fl_rectf(x(), y(), w(), h());
    return;
  }
  // Stretched over the control, which may have changed size since the load.
  DrawBitmapStretched(picture, x(), y(), w(), h());
}

}  // namespace qv::ui
