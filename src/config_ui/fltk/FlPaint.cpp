#include "config_ui/fltk/FlPaint.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cctype>
#include <vector>

#include "common/Paths.h"
#include "platform/fltk/FltkDialogs.h"

namespace qv::ui {

Fl_Color FlColor(TColor color) {
  const TColor c = ColorToRGB(color);
  return fl_rgb_color(static_cast<uchar>(c & 0xFF), static_cast<uchar>((c >> 8) & 0xFF),
                      static_cast<uchar>((c >> 16) & 0xFF));
}

namespace {

// The entry of FLTK's font table for a family in a style: its name there is
// the family after a style letter (' ' plain, 'B' bold, 'I' italic, 'P' both).
int FontIndex(const std::string& family, char style) {
  const int count = Fl::set_fonts(nullptr);  // fills the table once, then only counts it
  for (int i = 0; i < count; ++i) {
    const char* name = Fl::get_font(static_cast<Fl_Font>(i));
    if (name && name[0] == style && EqualsIgnoreCase(name + 1, family)) return i;
  }
  return -1;
}

}  // namespace

Fl_Font FlFace(const TFont& font) {
  platform::OpenFltkDisplay();
  const std::string family =
      FontFamilyFor(font.Name, [](const std::string& name) { return FontIndex(name, ' ') >= 0; });
  const char style = font.Bold && font.Italic ? 'P' : font.Bold ? 'B' : font.Italic ? 'I' : ' ';
  int index = FontIndex(family, style);
  if (index < 0) index = FontIndex(family, ' ');
  if (index >= 0) return static_cast<Fl_Font>(index);
  // Not even DejaVu: FLTK's own faces.
  Fl_Font face = family == "DejaVu Sans Mono" ? FL_COURIER : family == "DejaVu Serif" ? FL_TIMES : FL_HELVETICA;
  if (font.Bold) face += FL_BOLD;
  if (font.Italic) face += FL_ITALIC;
  return face;
}

int FlSize(const TFont& font) {
  // A negative height is the characters' own height; a positive one counts
  // the line's leading too.
  const int size = font.Height < 0 ? -font.Height : font.Height * 6 / 7;
  return std::clamp(size, 6, 200);
}

void UseFont(const TFont& font) { fl_font(FlFace(font), FlSize(font)); }

void MeasureText(const std::string& text, const TFont& font, int& width, int& height) {
  UseFont(font);
  width = static_cast<int>(fl_width(text.c_str()) + 0.5);
  height = fl_height();
}

namespace {

std::vector<uchar> Rgb(const TBitmap32& b) {
  std::vector<uchar> out(static_cast<size_t>(b.Width()) * b.Height() * 3);
  const uint32_t* p = b.Bits();
  for (size_t i = 0, n = static_cast<size_t>(b.Width()) * b.Height(); i < n; ++i) {
    out[i * 3] = static_cast<uchar>(p[i] >> 16);
    out[i * 3 + 1] = static_cast<uchar>(p[i] >> 8);
    out[i * 3 + 2] = static_cast<uchar>(p[i]);
  }
  return out;
}

}  // namespace

void DrawBitmap(const TBitmap32& bitmap, int x, int y) {
  if (bitmap.Empty()) return;
  const std::vector<uchar> rgb = Rgb(bitmap);
  fl_draw_image(rgb.data(), x, y, bitmap.Width(), bitmap.Height(), 3);
}

void DrawBitmapKeyed(const TBitmap32& bitmap, int x, int y) {
  if (bitmap.Empty()) return;
  // Runs of drawn pixels, row by row: exact on any display, blending or not.
  const std::vector<uchar> rgb = Rgb(bitmap);
  const int w = bitmap.Width();
  for (int row = 0; row < bitmap.Height(); ++row) {
    const uint32_t* p = bitmap.Row(row);
    for (int col = 0; col < w;) {
      if ((p[col] >> 24) == 0) {
        ++col;
        continue;
      }
      int end = col;
      while (end < w && (p[end] >> 24) != 0) ++end;
      fl_draw_image(rgb.data() + (static_cast<size_t>(row) * w + col) * 3, x + col, y + row, end - col, 1, 3);
      col = end;
    }
  }
}

void DrawBitmapStretched(const TBitmap32& bitmap, int x, int y, int w, int h) {
  if (bitmap.Empty() || w <= 0 || h <= 0) return;
  if (w == bitmap.Width() && h == bitmap.Height()) return DrawBitmap(bitmap, x, y);
  TBitmap32 scaled(w, h);
  bitmap.DrawTo(scaled, {0, 0, w, h}, {0, 0, bitmap.Width(), bitmap.Height()});
  DrawBitmap(scaled, x, y);
}

void DrawTexts(const TPaintList& list, int dx, int dy, const TRect& clip) {
  fl_push_clip(clip.Left + dx, clip.Top + dy, clip.Width(), clip.Height());
  for (const TPaintOp& op : list) {
    if (op.kind != TPaintOp::TKind::Text) continue;
    UseFont(op.font);
    fl_color(FlColor(op.color));
    Fl_Align align = FL_ALIGN_CLIP;
    align |= (op.align & TPaintOp::Center) ? FL_ALIGN_CENTER : FL_ALIGN_LEFT;
    if (!(op.align & TPaintOp::VCenter)) align |= FL_ALIGN_TOP;
    if (op.align & TPaintOp::WordWrap) align |= FL_ALIGN_WRAP;
    // No '@' symbols: a title is shown as it is written.
    fl_draw(op.text.c_str(), op.rect.Left + dx, op.rect.Top + dy, op.rect.Width(), op.rect.Height(), align, nullptr, 0);
  }
  fl_pop_clip();
}

TMouseEvent EventAt(int ox, int oy) {
  TMouseEvent e;
  switch (Fl::event_button()) {
    case FL_RIGHT_MOUSE: e.button = TMouseButton::Right; break;
    case FL_MIDDLE_MOUSE: e.button = TMouseButton::Middle; break;
    default: e.button = TMouseButton::Left; break;
  }
  e.x = Fl::event_x() - ox;
  e.y = Fl::event_y() - oy;
  e.shift = Fl::event_shift() != 0;
  e.ctrl = Fl::event_ctrl() != 0;
  e.alt = Fl::event_alt() != 0;
  return e;
}

TBitmap32 CaptureWidget(Fl_Widget& widget) {
  platform::OpenFltkDisplay();
  TBitmap32 out;
  if (widget.w() <= 0 || widget.h() <= 0) return out;
  // FLTK draws only visible widgets; a window need not be on the screen to be
  // drawn into the image.
  const bool hidden = !widget.visible();
  if (hidden) widget.set_visible();
  // Everything, not only what changed since the last drawing.
  const uchar damage = widget.damage();
  widget.clear_damage(FL_DAMAGE_ALL);
  Fl_Image_Surface surface(widget.w(), widget.h());
  surface.set_current();
  fl_color(FL_WHITE);
  fl_rectf(0, 0, widget.w(), widget.h());
  surface.draw(&widget);
  widget.clear_damage(damage);
  if (hidden) widget.clear_visible();
  Fl_RGB_Image* image = surface.image();
  Fl_Display_Device::display_device()->set_current();
  if (!image) return out;
  out.SetSize(image->w(), image->h());
  const uchar* data = reinterpret_cast<const uchar*>(image->data()[0]);
  const int d = image->d(), line = image->ld() ? image->ld() : image->w() * d;
  for (int y = 0; y < image->h(); ++y)
    for (int x = 0; x < image->w(); ++x) {
      const uchar* p = data + static_cast<size_t>(y) * line + static_cast<size_t>(x) * d;
      const uint32_t r = p[0], g = d >= 3 ? p[1] : p[0], b = d >= 3 ? p[2] : p[0];
      out.SetPixel(x, y, 0xFF000000u | (r << 16) | (g << 8) | b);
    }
  delete image;
  return out;
}

}  // namespace qv::ui
