// The saver window on SDL2: full-screen, borderless and black, presented
// through its window surface or through an SDL renderer of the working size;
// with several monitors one such window on each, black until presented to.
#pragma once
#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace qv::platform {

// Starts SDL's video (and events) for a real display. The screensaver and
// the display's power saving stay allowed; a driver that draws nowhere
// (offscreen, dummy) is refused unless SDL_VIDEODRIVER names it. False, with
// the reason in `error`, when no display can be had.
bool StartVideo(std::string& error);

class TSdlDisplay final : public ISaverDisplay {
 public:
  // Null, with the reason in `error`, when no window can be made.
  static std::unique_ptr<TSdlDisplay> Create(std::string& error);
  ~TSdlDisplay() override;

  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  int ScreenBitDepth() const override;
  void PresentScreen(const TBitmap32& screen) override;
  bool StartAccelerated() override;
  bool AcceleratedCanDraw() const override { return Renderer() != nullptr; }
  void PresentAccelerated(const TBitmap32& surface) override;
  int ScreenCount() const override { return static_cast<int>(screens_.size()); }
  TMonitor Screen(int index) const override;
  void PresentScreenOn(int screen, const TBitmap32& bitmap) override;
  void PresentAcceleratedOn(int screen, const TBitmap32& surface) override;
  uint32_t FramePeriodMs() const override;
  bool PresentWaitsForRefresh() const override;
  void ShowCursor(bool visible) override;
  void Hide() override;
  void ProcessMessages(IWindowEvents& events) override;
  void WaitMessage(uint32_t ms) override;

  // While the saver runs it holds the keyboard and pointer and stays above
  // every other window; a message box of its own needs both let go.
  void AllowOtherWindows(bool allow);

  // Other parts of the platform (the music player) see every event first; a
  // handler that returns true has consumed it.
  void AddEventHandler(std::function<bool(const SDL_Event&, IWindowEvents&)> handler);

  SDL_Window* Window() const { return window_; }

 private:
  // One monitor's window; the primary one's is window_.
  struct TScreenWindow {
    SDL_Window* window = nullptr;
    TMonitor area;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    bool presented = false;  // it shows what the saver drew, not black
  };

  TSdlDisplay(SDL_Window* window, int width, int height);
  void Dispatch(const SDL_Event& e, IWindowEvents& events);
  static std::vector<TMonitor> Monitors();
  static void FillBlack(SDL_Window* window);
  void PresentThroughRenderer(TScreenWindow& screen, const TBitmap32& surface);
  SDL_Renderer* Renderer() const { return screens_[0].renderer; }  // the primary window's

  SDL_Window* window_;
  std::vector<TScreenWindow> screens_;
  int width_, height_;
  std::vector<std::function<bool(const SDL_Event&, IWindowEvents&)>> handlers_;
};

}  // namespace qv::platform
