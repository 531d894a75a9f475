// One monitor's slideshow: the item it shows fitted to that monitor (and the
// one before it, which keeps moving while a transition turns one into the
// other), its transitions a frame per pass of the loop, its picture clock,
// and the loading of its next picture beside the window. The saver window
// runs one show per monitor it plays on and says which picture comes next.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "animation/uAnimEngine.h"
#include "animation/uProject.h"
#include "common/Bands.h"
#include "graphics/Bitmap32.h"
#include "platform/Background.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Worker.h"
#include "saver/uAnimatedItem.h"
#include "saver/uStillItem.h"
#include "transitions/uTransitionRunner.h"

namespace qv {

// What a show takes from the window.
struct TShowContext {
  platform::ISaverDisplay* display = nullptr;
  int screen = 0;  // the display's screen it shows on
  platform::IClock* clock = nullptr;
  IBands* bands = nullptr;            // frames drawn in bands; none: one thread
  platform::IBackground* background = nullptr;  // pictures loaded beside the window; none: at once
  platform::IWorkers* workers = nullptr;        // animated objects move on them
  // For the animated item: its sounds' player (the window's voice; none on
  // the other monitors), folders, stepping, messages, notes.
  TAnimatedItemContext animated;
  std::function<std::string(const std::string&)> locatePicture;  // an object's picture
  std::function<void()> processMessages;
  std::function<bool()> cancelled;               // a close is asked for
  std::function<void(int effect)> onTransition;  // a transition has played
};

class TScreenShow final : private ITransitionHost {
 public:
  TScreenShow(TShowContext context, const TItemFitting& fitting, int speed, bool sound);
  ~TScreenShow() override;
  TScreenShow(const TScreenShow&) = delete;
  TScreenShow& operator=(const TScreenShow&) = delete;

  // The item's sounds, every pass.
  void Tick();
  // The window's voice, once it has one: animated items loaded from now on
  // play their sounds through it.
  void SetSoundPlayer(TSoundEffect* player) { context_.animated.player = player; }
  // Starts loading `file` as the show's next item (index `index` of the
  // playlist); a still picture is decoded and fitted beside the window when
  // the window has a worker for it.
  void RequestLoad(int index, const std::string& file);
  bool Loading() const { return loading_ != nullptr; }
  bool LoadReady() const;
  int LoadingIndex() const { return loadingIndex_; }
  // The picture's true size once loaded (0 x 0 for an animated item).
  TSize LoadedPictureSize() const;
  // Makes the loaded picture the item. Throws EQVError when it did not load;
  // the item then shows what it showed before. False when the file is the
  // one shown already or an animated picture whose file is missing: nothing
  // changes.
  bool FinishLoad();
  // Drops a load that is no longer wanted.
  void AbandonLoad();

  // The transition to the item just loaded: its 0 % frame now, the next one
  // at each Step; `effect` other than 0 plays instead of a choice.
  void BeginTransition(int transitionTime, const std::vector<int>& effects, int effect = 0);
  bool StepTransition();
  bool InTransition() const { return runner_ && runner_->Running(); }
  int Effect() const { return runner_ ? runner_->EffectN() : 0; }
  // Without a transition the new item is shown over black.
  void FillBlack();
  // A moving item's next frame (pan and zoom, animation).
  void Advance();
  // Presents the item when what the screen shows changed and no transition
  // is drawing over it.
  void Refresh();
  void MarkDirty() { dirty_ = true; }
  void KeyF1();
  // The screen has a new size: the frame and the item are fitted anew.
  void Refit(const TItemFitting& fitting);
  // The window closes: sounds stop, objects end, loads are abandoned.
  void Stop();

  int CurrentIndex() const { return currentIndex_; }
  // The playlist index of the picture on screen (-1 before the first), and
  // of the one a transition is leaving while it runs.
  int ShownIndex() const { return shownIndex_; }
  int LeavingIndex() const { return InTransition() ? leavingIndex_ : -1; }
  void SetCurrentIndex(int index) { currentIndex_ = index; }
  const std::string& LastLoaded() const { return lastLoaded_; }
  bool HasItem() const { return item_ != nullptr; }
  bool ItemAnimated() const { return item_ && item_->Animated(); }
  uint32_t pictureClock = 0;  // tick count at the last change of item
  TSize ScreenSize() const { return fitting_.screen; }
  bool DirectDraw() const { return fitting_.directDraw; }

 private:
  struct TLoad;

  // The transition runner's view of the show.
  uint32_t TickCount() override;
  void ProcessMessages() override;
  void FrameSize(int& width, int& height) override;
  void CaptureScreen(TBitmap32& Old) override;
  void PictureOffset(int& offX, int& offY) override;
  bool NewIsAnimated() override;
  void DrawNewPicture(TBitmap32& New, int offX, int offY) override;
  bool OldIsAnimated() override;
  void DrawOldPicture(TBitmap32& Old) override;
  uint32_t FramePeriodMs() override;
  void Present(const TBitmap32& Work) override { PresentBitmap(Work, 0, 0); }
  bool Cancelled() override { return context_.cancelled && context_.cancelled(); }

  // Puts a finished frame on the screen: at (x, y) through the window, or
  // stretched from the working surface on the accelerated path.
  void PresentBitmap(const TBitmap32& bitmap, int x, int y);
  void CreateAnimation();

  TShowContext context_;
  TItemFitting fitting_;
  int speed_;
  bool sound_;
  TBitmap32 screen_;
  TBitmap32 surface_;
  TBitmap32 old_, new_, work_;
  std::unique_ptr<TTransitionRunner> runner_;
  // Two still items: the one shown and the one before it, which keeps
  // moving while a transition leaves it.
  TStillItem stills_[2];
  int still_ = 0;  // the one shown
  std::unique_ptr<TProject> animProject_;
  std::unique_ptr<TAnimEngine> animEngine_;
  std::unique_ptr<TAnimatedItem> animated_;
  TSlideshowItem* item_ = nullptr;
  TSlideshowItem* leaving_ = nullptr;  // the item a transition leaves
  std::unique_ptr<TLoad> loading_;
  int loadingIndex_ = -1;
  std::string loadingFile_;
  int currentIndex_ = -1;
  int shownIndex_ = -1;
  int leavingIndex_ = -1;
  std::string lastLoaded_;
  bool dirty_ = true;
};

}  // namespace qv
