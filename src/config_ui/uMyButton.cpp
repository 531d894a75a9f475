#include "config_ui/uMyButton.h"

#include <cctype>

namespace qv {

TMyButton::TMyButton(platform::TTimerFactory timers) : timers_(std::move(timers)) {
  SetBounds(0, 0, 75, 25);
}

TMyButton::~TMyButton() = default;

void TMyButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  Repaint();
}

void TMyButton::SetFont(const TFont& font) {
  font_ = font;
  Repaint();
}

void TMyButton::SetButtonUp(const TSkinPicture& picture) {
  up_ = picture;
  ApplyAutoSize();
  Repaint();
}

void TMyButton::SetButtonDown(const TSkinPicture& picture) {
  down_ = picture;
  Repaint();
}

void TMyButton::SetButtonOver(const TSkinPicture& picture) {
  over_ = picture;
  Repaint();
}

void TMyButton::SetButtonDisable(const TSkinPicture& picture) {
  disable_ = picture;
  Repaint();
}

void TMyButton::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  ApplyAutoSize();
  Repaint();
}

void TMyButton::SetDown(bool down) {
  if (!allowDown_ || down == downLatch_) return;
  downLatch_ = down;
  Repaint();
}

void TMyButton::SetAllowDown(bool allow) {
  allowDown_ = allow;
  if (!allow && downLatch_) {
    downLatch_ = false;
    Repaint();
  }
}

void TMyButton::SetMouseInControl(bool in) {
  mouseIn_ = in;
  Repaint();
}

void TMyButton::SetShowCaption(bool show) {
  showCaption_ = show;
  Repaint();
}

void TMyButton::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Repaint();
}

void TMyButton::StartTimer(uint32_t ms) {
  if (!timers_) return;
  if (!timer_) timer_ = timers_([this] { TimerTick(); });
  interval_ = ms;
  if (timer_) timer_->Start(ms);
}

void TMyButton::StopTimer() {
  if (timer_) timer_->Stop();
}

void TMyButton::TimerTick() {
  // A new interval restarts the count, so the second repeat comes 50 ms after
  // the first; later ticks keep the pace.
  if (interval_ != kRepeatMs) StartTimer(kRepeatMs);
  if (OnMousePressed) OnMousePressed(*this);
}

void TMyButton::CancelPress() {
  StopTimer();
  pressed_ = false;
  click_.Cancel();
}

void TMyButton::EnabledChanged() {
  if (!Enabled()) CancelPress();
}

void TMyButton::VisibleChanged() {
  if (!Visible()) CancelPress();
}

void TMyButton::MouseDown(const TMouseEvent& e, bool doubleClick) {
  if (!Enabled()) return;
  if (doubleClick && OnDblClick) OnDblClick(*this);
  if (e.button == TMouseButton::Left) {
    mouseIn_ = true;
    if (!pressed_) {
      StartTimer(kFirstRepeatMs);
      if (OnMousePressed) OnMousePressed(*this);
      pressed_ = true;
      Repaint();
    }
    if (!doubleClick) click_.Down(e);
  }
  if (OnMouseDown) OnMouseDown(*this, e);
}

void TMyButton::MouseMove(const TMouseEvent& e) {
  if (!Enabled()) return;
  const bool inside = e.x >= 0 && e.y >= 0 && e.x < Width() && e.y < Height();
  if (inside) MouseEnter();
  else MouseLeave();
  if (OnMouseMove) OnMouseMove(*this, e);
}

void TMyButton::MouseUp(const TMouseEvent& e) {
  if (!Enabled()) return;
  if (e.button == TMouseButton::Left && pressed_) {
    StopTimer();
    // Released away from the button it is no click, and the latch stays.
    if (allowDown_ && mouseIn_) downLatch_ = !downLatch_;
    pressed_ = false;
    Repaint();
  }
  if (click_.Up(e, Width(), Height())) Click();
  if (OnMouseUp) OnMouseUp(*this, e);
}

void TMyButton::MouseEnter() {
  if (mouseIn_) return;
  if (pressed_ && timer_) timer_->Start(interval_);
  mouseIn_ = true;
  Repaint();
}

void TMyButton::MouseLeave() {
  if (!mouseIn_) return;
  StopTimer();
  mouseIn_ = false;
  Repaint();
}

bool TMyButton::DialogChar(char32_t key, bool parentShowing) {
  const char32_t marked = AcceleratorOf(caption_);
  if (key < 0x80) key = static_cast<char32_t>(std::toupper(static_cast<int>(key)));
  if (marked == 0 || key != marked || !Enabled() || !Visible() || !parentShowing) return false;
  Click();
  return true;
}

void TMyButton::Click() {
  if (OnClick) OnClick(*this);
}

void TMyButton::ApplyAutoSize() {
  if (!autoSize_ || up_.Empty()) return;
  const int w = up_.bitmap.Width(), h = up_.bitmap.Height();
  if (w == Width() && h == Height()) return;
  SetBounds(Left(), Top(), w, h);
  if (onResize) onResize();
}

TButtonState TMyButton::State() const {
  if (!Enabled()) return TButtonState::Disabled;
  if (downLatch_ || (mouseIn_ && pressed_)) return TButtonState::Down;
  if (mouseIn_) return TButtonState::Over;
  return TButtonState::Up;
}

TButtonFace TMyButton::Paint(const TTextMeasure& measure) {
  ApplyAutoSize();
  TButtonFace face;
  face.state = State();
  auto picture = [&face](const TSkinPicture& p, bool transparent) {
    face.kind = TButtonFace::TKind::Picture;
    face.picture = &p;
    face.transparent = transparent;
  };
  switch (face.state) {
    case TButtonState::Up:
      if (!up_.Empty()) picture(up_, transparent_);
      else face.kind = TButtonFace::TKind::PushButton;
      break;
    case TButtonState::Down:
      if (!down_.Empty()) picture(down_, transparent_);
      else if (!up_.Empty()) picture(up_, transparent_);
      else face.kind = TButtonFace::TKind::SunkenEdge;
      break;
    case TButtonState::Over:
      if (!over_.Empty()) picture(over_, transparent_);
      else if (!up_.Empty()) picture(up_, transparent_);
      else face.kind = TButtonFace::TKind::PushButton;
      break;
    case TButtonState::Disabled:
      if (!disable_.Empty()) picture(disable_, transparent_);
      else face.kind = TButtonFace::TKind::PushButton;
      break;
  }
  if (face.state != TButtonState::Disabled && showCaption_) {
    face.showCaption = true;
    face.text = CaptionText(caption_, &face.underline);
    face.font = font_;
    int tw = 0, th = 0;
    if (measure) measure(face.text, font_, tw, th);
    face.textX = (Width() - tw) / 2;
    face.textY = (Height() - th) / 2;
  }
  return face;
}

}  // namespace qv
