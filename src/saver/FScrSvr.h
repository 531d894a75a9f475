// The saver window: one full-screen black window that plays the project's
// slideshow, paced by its idle handler, and closes on input.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/Worker.h"
#include "project/uRunOverrides.h"
#include "saver/uAnimatedItem.h"
#include "saver/uSlideshow.h"
#include "saver/uSlideshowItem.h"
#include "saver/uStillItem.h"
#include "transitions/uTransitionRunner.h"

namespace qv {

class TQVCProject;
class TMusicPlayback;
class TSoundEffect;

// What the saver window works with; the programs fill it with the real
// platform, tests and headless renders with doubles.
struct TSaverServices {
  platform::ISaverDisplay* display = nullptr;
  // Opens the screen when `display` is not given; called only once the
  // project is known to hold pictures. Null when no screen can be had.
  std::function<platform::ISaverDisplay*()> openDisplay;
  platform::IClock* clock = nullptr;
  platform::IDialogs* dialogs = nullptr;
  // Music and sound effects; none leaves the saver silent.
  platform::IAudio* audio = nullptr;
  // The project's temporary folder, where bare music and sound names are
  // looked for.
  std::string tempFolder;
  // The executable whose user settings file applies (its path with ".ini").
  std::string exePath;
  // The workers animated objects move on: threads in the programs (the
  // window makes its own when none are given), stepped on the manual clock
  // in tests and headless renders, which step them in `stepWorkers`, called
  // before every frame of an animated item.
  platform::IWorkers* workers = nullptr;
  std::function<void()> stepWorkers;
  // The seed of the shared generator; the clock when unset.
  std::optional<uint32_t> seed;
  // A platform that checks a screensaver password before closing says here
  // whether the close may go ahead.
  std::function<bool()> verifyPassword;
  // Told of every transition played, with its effect number.
  std::function<void(int effect)> onTransition;
  // A one-line note for the user's terminal (a picture that plays though
  // its file holds more than it needs).
  std::function<void(const std::string& note)> note;
  // Settings of this run alone (a daemon's switches), applied over the
  // project and the user's settings.
  TRunOverrides overrides;
};

class TQVfmScrSvr final : public platform::IWindowEvents, private ITransitionHost {
 public:
  TQVfmScrSvr(TQVCProject& project, TSaverServices& services);
  ~TQVfmScrSvr() override;

  // Shows the window and runs it until a close is allowed.
  void ShowModal();

  // Window handlers.
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormMouseMove(int x, int y) override;
  void FormMouseDown() override;
  void FormKeyPress(char32_t character) override;
  void FormKeyDown(platform::TKey key) override;
  void CloseRequested() override;
  void MediaPlayerNotify() override;
  void Exposed() override { dirty_ = true; }
  void Resized() override { resized_ = true; }

  // The slideshow: one idle pass, one painted frame, the current item loaded.
  // Every pass keeps the frame pacing; a frame is put on the screen only when
  // what it shows changed.
  void AppIdle();
  void PaintFrame();
  void LoadCurrentItem();
  // Puts a finished frame on the screen: at (x, y) through the window, or
  // stretched from the working surface on the accelerated path.
  void PresentBitmap(const TBitmap32& bitmap, int x, int y);

  const std::vector<std::string>& Playlist() const { return playlist_; }
  int CurrentIndex() const { return currentIndex_; }
  bool DirectDrawInUse() const { return fitting_.directDraw; }
  bool CloseRequestPending() const { return closeRequested_; }

 private:
  // The project's display settings as the window shows them, taken once in
  // FormShow after the user's settings were folded in.
  struct TShowSettings {
    bool advance = true;
    int duration = 30;
    int speed = 100;
    int orderMode = 0;
    bool transition = true;
    int transitionTime = 2000;
    bool sound = true;
    std::vector<int> effects;
  };

  // The transition runner's view of the window.
  uint32_t TickCount() override;
  void ProcessMessages() override;
  void FrameSize(int& width, int& height) override;
  void CaptureScreen(TBitmap32& Old) override;
  void PictureOffset(int& offX, int& offY) override;
  bool NewIsAnimated() override;
  void DrawNewPicture(TBitmap32& New, int offX, int offY) override;
  void Present(const TBitmap32& Work) override { PresentBitmap(Work, 0, 0); }
  bool Cancelled() override { return closeRequested_; }

  void Close() { closeRequested_ = true; }
  void BuildPlaylist();
  void TakeSettings();
  void ChooseItem(int index);
  // The next item after the current one; in random order an item that failed
  // to load is not drawn again before every other one was tried.
  int NextItemIndex();
  void LoadItemOrMarkFailed();
  void FillBlack();
  void Refresh();
  void CreateAnimation();
  // The screen changed its size: the frame and the item are fitted anew.
  void Refit();

  TQVCProject& project_;
  TSaverServices& services_;
  platform::ISaverDisplay& display_;
  platform::IClock& clock_;

  TShowSettings settings_;
  TItemFitting fitting_;

  // What is on screen: the window path composes every frame here, the
  // accelerated path keeps its last surface; a transition starts from it.
  TBitmap32 screen_;
  TBitmap32 surface_;
  TBitmap32 old_, new_, work_;
  std::unique_ptr<TTransitionRunner> runner_;
  bool audioOpen_ = false;
  std::unique_ptr<TSoundEffect> soundEffect_;
  std::unique_ptr<TMusicPlayback> music_;

  // The animation project and engine, made when there is something to
  // show, and the workers their objects move on when the services give none.
  std::unique_ptr<platform::IWorkers> ownWorkers_;
  std::unique_ptr<TProject> animProject_;
  std::unique_ptr<TAnimEngine> animEngine_;

  // The items: one of each kind, and the one on screen (none before the
  // first load).
  TStillItem still_;
  std::unique_ptr<TAnimatedItem> animated_;
  TSlideshowItem* item_ = nullptr;
  bool f1_ = false;  // toggled by F1; every second press rebuilds an animated frame

  std::vector<std::string> playlist_;
  std::vector<bool> failed_;  // items that failed to load since the last success
  bool dirty_ = true;         // the screen no longer shows what it should
  bool resized_ = false;
  bool idleInstalled_ = false;
  bool closeRequested_ = false;
  bool cursorHidden_ = false;

  int currentIndex_ = -1;
  std::string currentFile_;
  std::string lastLoaded_;
  uint32_t pictureClock_ = 0;
  uint32_t frameClock_ = 0;
  TMouseMoveGuard mouseGuard_;
};

// Run mode: reports an empty project, enables every picture, folds in the
// user settings when asked and the run's overrides, and shows the saver window until it closes.
void RunSaver(TQVCProject& project, bool readUserSettings, TSaverServices& services);

// Shows one picture full-screen with the display settings of `project`.
void ShowSinglePicture(const TQVCProject& project, const std::string& pictureFile, TSaverServices& services);

inline constexpr char kNoImageMessage[] = "This screensaver does not contain any image.";
inline constexpr char kPleaseConfigureMessage[] = "Unable to run screensaver.\r\nPlease configure!";

}  // namespace qv
