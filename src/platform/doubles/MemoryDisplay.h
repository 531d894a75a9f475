// A screen in memory for tests and headless renders: it keeps what would be
// on screen, charges a fixed cost on the manual clock for every presented
// frame on its first screen (which is also its frame period), and delivers
// scripted input when its time comes. More screens may be added beside the
// first, as monitors; presenting on them costs no time of its own.
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

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

  void PresentScreen(const TBitmap32& screen) override { PresentScreenOn(0, screen); }
  void PresentScreenOn(int index, const TBitmap32& screen) override {
    if (index < 0 || index >= ScreenCount()) return;
    (index == 0 ? screen_ : others_[static_cast<size_t>(index - 1)].pixels).Assign(screen);
    Presented(index);
  }

  bool StartAccelerated() override { return acceleratedAvailable; }
  bool AcceleratedCanDraw() const override { return acceleratedAvailable; }
  void PresentAccelerated(const TBitmap32& surface) override { PresentAcceleratedOn(0, surface); }
  void PresentAcceleratedOn(int index, const TBitmap32& surface) override {
    if (index < 0 || index >= ScreenCount()) return;
    // Stretched to the screen with its proportions, centred, as the
    // accelerated path shows it.
    TBitmap32& target = index == 0 ? screen_ : others_[static_cast<size_t>(index - 1)].pixels;
    target.Clear(0xFF000000u);
    if (!surface.Empty()) {
      const double scale = std::min(static_cast<double>(target.Width()) / surface.Width(),
                                    static_cast<double>(target.Height()) / surface.Height());
      const int w = static_cast<int>(surface.Width() * scale), h = static_cast<int>(surface.Height() * scale);
      const int x = (target.Width() - w) / 2, y = (target.Height() - h) / 2;
      surface.DrawTo(target, TRect{x, y, x + w, y + h}, TRect{0, 0, surface.Width(), surface.Height()});
    }
    lastSurfaceWidth = surface.Width();
    lastSurfaceHeight = surface.Height();
    Presented(index);
  }

  int ScreenCount() const override { return 1 + static_cast<int>(others_.size()); }
  TMonitor Screen(int index) const override {
    if (index == 0) return {0, 0, width_, height_, true};
    if (index < 0 || index >= ScreenCount()) return {};
    return others_[static_cast<size_t>(index - 1)].area;
  }
  // A monitor beside the others, black until something is presented on it.
  void AddScreen(int x, int y, int width, int height) {
    TOther other;
    other.area = {x, y, width, height, false};
    other.pixels.SetSize(width, height);
    other.pixels.Clear(0xFF000000u);
    others_.push_back(std::move(other));
  }
  const TBitmap32& ScreenPixels(int index) const {
    return index == 0 ? screen_ : others_[static_cast<size_t>(index - 1)].pixels;
  }
  uint32_t FramePeriodMs() const override { return frameCost_; }

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

  // Called after every frame presented on screen 0, with what is on it and
  // the time; onScreenFrame after every frame on any screen.
  std::function<void(const TBitmap32& screen, uint32_t at)> onFrame;
  std::function<void(int index, const TBitmap32& screen, uint32_t at)> onScreenFrame;
  bool acceleratedAvailable = false;
  // Asked on every round of messages: true closes the window (a signal).
  std::function<bool()> endRequested;
  bool cursorVisible = true;
  bool hidden = false;
  int messageRounds = 0;
  int lastSurfaceWidth = 0, lastSurfaceHeight = 0;

 private:
  struct TOther {
    TMonitor area;
    TBitmap32 pixels;
  };

  void Presented(int index) {
    ++frames_;
    if (onScreenFrame) onScreenFrame(index, ScreenPixels(index), clock_.TickCount());
    if (index != 0) return;  // the screens of one frame cost its time once
    if (onFrame) onFrame(screen_, clock_.TickCount());
    clock_.Advance(frameCost_);
  }

  TManualClock& clock_;
  int width_, height_;
  uint32_t frameCost_;
  TBitmap32 screen_;
  std::vector<TOther> others_;
  std::deque<TScriptedEvent> script_;
  int frames_ = 0;
};

}  // namespace qv::platform
