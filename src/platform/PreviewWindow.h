// A foreign window to draw the preview into: the display-properties window of
// the screensaver protocol, adopted by its id.
#pragma once

namespace qv {
class TBitmap32;
}

namespace qv::platform {

class IPreviewWindow {
 public:
  virtual ~IPreviewWindow() = default;
  // Waits, processing pending messages, until the window is visible; false
  // when it never becomes visible in time or does not exist.
  virtual bool WaitVisible() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws a bitmap of the window's size at (0, 0).
  virtual void Present(const TBitmap32& frame) = 0;
  // Keeps what was drawn on show until the window goes away, where the
  // system expects the preview to live that long (on Windows a window of our
  // own inside the given one shows it); returns at once where the drawing
  // stays by itself (X11).
  virtual void StayUntilClosed() {}
};

}  // namespace qv::platform
