// A screen in memory for tests and headless renders: it keeps what would be
// on screen, charges a fixed cost on the manual clock for every presented
// frame, and delivers scripted input when its time comes.
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>

#include "graphics/Bitmap32.h"
#include "graphics/Rect.h"
#include "platform/Display.h"
#include "platform/doubles/ManualClock.h"

namespace qv::platform {

struct TScriptedEvent {
  enum Kind { MouseMove, MouseDown, Character, Key, Close, MusicFinished } kind;
  uint32_t at = 0;  // clock time at which it is delivered
  int x = 0, y = 0;
  char32_t character = 0;
  TKey key = TKey::Other;
};

class TMemoryDisplay final : public ISaverDisplay {
 public:
  TMemoryDisplay(TManualClock& clock, int width, int height, uint32_t frameCostMs = 33)
      : clock_(clock), width_(width), height_(height), frameCost_(frameCostMs) {
    screen_.SetSize(width, height);
    screen_.Clear(0xFF000000u);
  }

  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  int ScreenBitDepth() const override { return 32; }

  void PresentScreen(const TBitmap32& screen) override {
    screen_.Assign(screen);
    Presented();
  }

  bool StartAccelerated() override { return acceleratedAvailable; }
  bool AcceleratedCanDraw() const override { return acceleratedAvailable; }
  void PresentAccelerated(const TBitmap32& surface) override {
    // Stretched to the screen with its proportions, centred, as the
    // accelerated path shows it.
    screen_.Clear(0xFF000000u);
    if (!surface.Empty()) {
      const double scale = std::min(static_cast<double>(width_) / surface.Width(),
                                    static_cast<double>(height_) / surface.Height());
      const int w = static_cast<int>(surface.Width() * scale), h = static_cast<int>(surface.Height() * scale);
      const int x = (width_ - w) / 2, y = (height_ - h) / 2;
      surface.DrawTo(screen_, TRect{x, y, x + w, y + h}, TRect{0, 0, surface.Width(), surface.Height()});
    }
    lastSurfaceWidth = surface.Width();
    lastSurfaceHeight = surface.Height();
    Presented();
  }

  void ShowCursor(bool visible) override { cursorVisible = visible; }
  void Hide() override { hidden = true; }

  void ProcessMessages(IWindowEvents& events) override {
    ++messageRounds;
    if (endRequested && endRequested()) events.CloseRequested();
    while (!script_.empty() && script_.front().at <= clock_.TickCount()) {
      TScriptedEvent e = script_.front();
      script_.pop_front();
      switch (e.kind) {
        case TScriptedEvent::MouseMove: events.FormMouseMove(e.x, e.y); break;
        case TScriptedEvent::MouseDown: events.FormMouseDown(); break;
        case TScriptedEvent::Character:
          events.FormKeyDown(TKey::Other);
          events.FormKeyPress(e.character);
          break;
        case TScriptedEvent::Key: events.FormKeyDown(e.key); break;
        case TScriptedEvent::Close: events.CloseRequested(); break;
        case TScriptedEvent::MusicFinished: events.MediaPlayerNotify(); break;
      }
    }
  }

  void WaitMessage(uint32_t ms) override { clock_.Advance(ms); }

  // Events are delivered in time order.
  void Script(TScriptedEvent e) {
    auto at = std::upper_bound(script_.begin(), script_.end(), e.at,
                               [](uint32_t t, const TScriptedEvent& s) { return t < s.at; });
    script_.insert(at, e);
  }

  const TBitmap32& Screen() const { return screen_; }
  int FramesPresented() const { return frames_; }

  // Called after every presented frame, with what is on screen and the time.
  std::function<void(const TBitmap32& screen, uint32_t at)> onFrame;
  bool acceleratedAvailable = false;
  // Asked on every round of messages: true closes the window (a signal).
  std::function<bool()> endRequested;
  bool cursorVisible = true;
  bool hidden = false;
  int messageRounds = 0;
  int lastSurfaceWidth = 0, lastSurfaceHeight = 0;

 private:
  void Presented() {
    ++frames_;
    if (onFrame) onFrame(screen_, clock_.TickCount());
    clock_.Advance(frameCost_);
  }

  TManualClock& clock_;
  int width_, height_;
  uint32_t frameCost_;
  TBitmap32 screen_;
  std::deque<TScriptedEvent> script_;
  int frames_ = 0;
};

}  // namespace qv::platform
