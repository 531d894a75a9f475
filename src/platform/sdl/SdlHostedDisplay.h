// The saver's screen when a screensaver daemon hosts it: a window the daemon
// owns, given by its X id (or the root window), drawn into at its own size.
// Input belongs to the daemon and is not passed on; the window's size is
// followed; the saver ends when the window goes or a signal arrives.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace qv::platform {

class TSdlHostedDisplay final : public ISaverDisplay {
 public:
  // Null, with the reason in `error`, when there is no display or no such
  // window, or its pixels are not 24-bit true colour.
  static std::unique_ptr<TSdlHostedDisplay> Create(uint64_t window, std::string& error);
  ~TSdlHostedDisplay() override;

  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  int ScreenBitDepth() const override { return 32; }
  void PresentScreen(const TBitmap32& screen) override;
  // The daemon's window is drawn through its own pixels only.
  bool StartAccelerated() override { return false; }
  bool AcceleratedCanDraw() const override { return false; }
  void PresentAccelerated(const TBitmap32&) override {}
  // The cursor and the window are the daemon's.
  void ShowCursor(bool) override {}
  void Hide() override {}
  void ProcessMessages(IWindowEvents& events) override;
  void WaitMessage(uint32_t ms) override;

  // SDL's events (the music's end of track) reach these handlers; no video
  // of SDL's runs here.
  void AddEventHandler(std::function<bool(const SDL_Event&)> handler);

 private:
  struct TX;  // the X connection and window
  explicit TSdlHostedDisplay(std::unique_ptr<TX> x);

  std::unique_ptr<TX> x_;
  int width_ = 0, height_ = 0;
  bool gone_ = false;
  std::vector<std::function<bool(const SDL_Event&)>> handlers_;
};

}  // namespace qv::platform
