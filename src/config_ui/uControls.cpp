#include "config_ui/uControls.h"

#include <cctype>

namespace qv {

TBitmap32 PictureForDrawing(const TSkinPicture& picture, bool transparent) {
  TBitmap32 out = picture.bitmap;
  if (out.Empty()) return out;
  const bool keyed = transparent && picture.kind == TGraphicKind::Bitmap;
  const uint32_t key = out.Pixel(0, out.Height() - 1) & 0xFFFFFF;
  uint32_t* p = out.Bits();
  const size_t count = static_cast<size_t>(out.Width()) * out.Height();
  for (size_t i = 0; i < count; ++i) {
    const uint32_t rgb = p[i] & 0xFFFFFF;
    p[i] = (keyed && rgb == key) ? rgb : (rgb | 0xFF000000u);
  }
  return out;
}

std::string FontFamilyFor(const std::string& name, const std::function<bool(const std::string&)>& installed) {
  if (!name.empty() && installed && installed(name)) return name;
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto has = [&lower](const char* part) { return lower.find(part) != std::string::npos; };
  if (has("courier") || has("consol") || has("mono") || has("fixedsys") || has("terminal") || has("typewriter"))
    return "DejaVu Sans Mono";
  if (has("times") || has("georgia") || has("garamond") || has("antiqua") || has("palatino") || has("cambria") ||
      has("century") || has("bookman") || has("constantia") || has("ms serif") || has("roman") || lower == "serif")
    return "DejaVu Serif";
  return "DejaVu Sans";
}

std::string CaptionText(const std::string& caption, int* underline) {
  std::string out;
  int marked = -1;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && marked < 0) marked = static_cast<int>(out.size());
    }
    out += caption[i];
  }
  if (underline) *underline = marked;
  return out;
}

char32_t AcceleratorOf(const std::string& caption) {
  int marked = -1;
  const std::string text = CaptionText(caption, &marked);
  if (marked < 0) return 0;
  const unsigned char c = static_cast<unsigned char>(text[marked]);
  return c < 0x80 ? static_cast<char32_t>(std::toupper(c)) : 0;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized) {
    Resized();
    Repaint();
  }
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
  Repaint();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
  Repaint();
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Repaint();
}

}  // namespace qv
