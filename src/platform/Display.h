// The saver's screen: a full-screen borderless black window presented either
// through its window surface or through an accelerated surface of a fixed
// working size stretched and centred, plus the window's input. With several
// monitors, one such window on each: screen 0 is the primary monitor's, the
// others stay black until something is presented on them.
#pragma once
#include <cstdint>

namespace qv {
class TBitmap32;
}

namespace qv::platform {

enum class TKey { F1, Other };

// One monitor of the desktop, in the desktop's coordinates.
struct TMonitor {
  int x = 0, y = 0, width = 0, height = 0;
  bool primary = false;
};

// The window's handlers; the display calls them while it processes pending
// messages, on the user-interface thread.
class IWindowEvents {
 public:
  virtual ~IWindowEvents() = default;
  virtual void FormMouseMove(int x, int y) = 0;
  virtual void FormMouseDown() = 0;
  // A key that produced a character.
  virtual void FormKeyPress(char32_t character) = 0;
  // Every key press, character or not.
  virtual void FormKeyDown(TKey key) = 0;
  // The system asks the window to close (window manager, a signal).
  virtual void CloseRequested() = 0;
  // The music player finished a track.
  virtual void MediaPlayerNotify() = 0;
  // What the window shows was lost (uncovered, resized): draw it again.
  virtual void Exposed() = 0;
  // The screen has a new size (a hosting window was resized): fit again.
  virtual void Resized() = 0;
};

class ISaverDisplay {
 public:
  virtual ~ISaverDisplay() = default;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int ScreenBitDepth() const = 0;

  // The window path: shows a bitmap of the screen's size at (0, 0).
  virtual void PresentScreen(const TBitmap32& screen) = 0;

  // The accelerated path. False when it cannot start: the window path serves.
  virtual bool StartAccelerated() = 0;
  virtual bool AcceleratedCanDraw() const = 0;
  // Shows a bitmap of any size stretched to the screen, proportions kept,
  // centred.
  virtual void PresentAccelerated(const TBitmap32& surface) = 0;

  // The screens: 0 is the one the calls above draw on. The area of a
  // screen is in the desktop's coordinates.
  virtual int ScreenCount() const { return 1; }
  virtual TMonitor Screen(int index) const {
    return index == 0 ? TMonitor{0, 0, ScreenWidth(), ScreenHeight(), true} : TMonitor{};
  }
  // The window and accelerated paths on any screen; screen 0 is the calls above.
  virtual void PresentScreenOn(int screen, const TBitmap32& bitmap) {
    if (screen == 0) PresentScreen(bitmap);
  }
  virtual void PresentAcceleratedOn(int screen, const TBitmap32& surface) {
    if (screen == 0) PresentAccelerated(surface);
  }

  // Pacing. The shortest time between two frames: the display's refresh
  // period, and never less than a 60th of a second where nothing else paces
  // the presents.
  virtual uint32_t FramePeriodMs() const { return 17; }
  // True when a present itself waits for the display's refresh (the
  // accelerated path with vertical sync): the loop need not wait after one.
  virtual bool PresentWaitsForRefresh() const { return false; }

  virtual void ShowCursor(bool visible) = 0;
  // Takes the window off the screen at once, before the slower tidy-up
  // (closing the sound device) that follows a close.
  virtual void Hide() = 0;

  // Hands every pending input event to the handlers, then returns.
  virtual void ProcessMessages(IWindowEvents& events) = 0;
  // Waits up to `ms` for an event when there is nothing else to do.
  virtual void WaitMessage(uint32_t ms) = 0;
};

}  // namespace qv::platform
