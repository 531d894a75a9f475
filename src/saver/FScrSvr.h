// The saver window: one full-screen black window that plays the project's
// slideshow, paced by its idle handler, and closes on input. With several
// monitors it plays a show on each (or on the primary one alone, the others
// black), with one voice.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Bands.h"
#include "graphics/Bitmap32.h"
#include "platform/Audio.h"
#include "platform/Background.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/Worker.h"
#include "project/uRunOverrides.h"
#include "saver/uScreenShow.h"
#include "saver/uSlideshow.h"
#include "saver/uSlideshowItem.h"

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
  // An instance that started without the voice (another one held it, or one
  // being replaced still did) asks for it about once a second; once this
  // gives an audio device the music starts and the sounds play. When the
  // voice marks the primary instance, this one becomes it.
  std::function<platform::IAudio*()> claimVoice;
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
  // Frames drawn in bands on several threads (the window makes its own when
  // none are given), and the next picture decoded beside the window (at once
  // without).
  IBands* bands = nullptr;
  platform::IBackground* background = nullptr;
  // A daemon that starts one process per monitor: whether this one is on
  // the primary monitor (with Monitors 0 the others stay black), the
  // pictures the others show (with 1 they are not taken while there are
  // others), the primary one's (with 2 the others follow it), and where this
  // one tells its own. Unset for a saver alone on its screens.
  bool primaryInstance = true;
  std::function<std::vector<int>()> peersShowing;
  std::function<int()> primaryShowing;
  std::function<void(int index)> tellShowing;
};

class TQVfmScrSvr final : public platform::IWindowEvents {
 public:
  TQVfmScrSvr(TQVCProject& project, TSaverServices& services);
  ~TQVfmScrSvr() override;

  // Shows the window and runs it until a close is allowed.
  void ShowModal();

  // Window handlers.
  void FormCreate();
  void FormShow();
  // Chooses the first items and starts the shows and the music.
  void StartShows();
  // The audio device opened with its sound player, and the music started.
  void OpenVoice();
  void StartMusic();
  // Asks for the voice when this instance has none, at most once a second.
  void ClaimVoice();
  bool FormCloseQuery();
  void FormClose();
  void FormMouseMove(int x, int y) override;
  void FormMouseDown() override;
  void FormKeyPress(char32_t character) override;
  void FormKeyDown(platform::TKey key) override;
  void CloseRequested() override;
  void MediaPlayerNotify() override;
  void Exposed() override;
  void Resized() override { resized_ = true; }

  // The slideshow: one idle pass (every show's sounds, changes, transition
  // frames and moving items), then one painted frame and the pacing. A frame
  // is put on a screen only when what it shows changed.
  void AppIdle();
  void PaintFrame();

  const std::vector<std::string>& Playlist() const { return playlist_; }
  int CurrentIndex() const { return shows_.empty() ? -1 : shows_[0]->CurrentIndex(); }
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
    int monitors = 0;  // 0 the primary only, 1 a show each, 2 the same picture on each
  };

  void Close() { closeRequested_ = true; }
  void BuildPlaylist();
  void TakeSettings();
  void CreateShows();
  TItemFitting FittingFor(int screen) const;
  void ChooseItem(TScreenShow& show, int index);
  // The next item after the show's current one; in random order an item that
  // failed to load is not drawn again before every other one was tried, and
  // with a show on each monitor one that another shows is not taken while
  // there are others.
  // -1 (only when `mayWait`): nothing is free just now, as another show is
  // changing its picture; the show keeps its picture and asks again.
  int NextItemIndex(TScreenShow& show, bool mayWait = false);
  bool Acceptable(const TScreenShow& show, int index, bool strict) const;
  // One show's part of an idle pass.
  void ShowIdle(size_t index);
  void TakeLoaded(size_t index);
  void TransitionOver(TScreenShow& show);
  bool AnyTransition() const;
  bool FollowsPrimaryInstance() const;
  void LoadFirstItems();
  void Refresh();
  // The screen changed its size: the frame and the item are fitted anew.
  void Refit();

  TQVCProject& project_;
  TSaverServices& services_;
  platform::ISaverDisplay& display_;
  platform::IClock& clock_;

  TShowSettings settings_;
  TItemFitting fitting_;  // of the primary monitor

  bool audioOpen_ = false;
  uint32_t voiceAskedAt_ = 0;
  // Black because another instance is the primary one (Monitors 0).
  bool waitingToBePrimary_ = false;
  std::unique_ptr<TSoundEffect> soundEffect_;
  std::unique_ptr<TMusicPlayback> music_;
  // The workers animated objects move on and the bands frames are drawn in,
  // when the services give none.
  std::unique_ptr<platform::IWorkers> ownWorkers_;
  std::unique_ptr<IBands> ownBands_;
  // One show per monitor played on; the first is the primary monitor's.
  std::vector<std::unique_ptr<TScreenShow>> shows_;
  TBitmap32 black_;  // the window before anything shows, without a playlist
  bool f1_ = false;  // toggled by F1; every second press rebuilds an animated frame

  std::vector<std::string> playlist_;
  std::vector<bool> failed_;       // items that failed to load since the last success
  std::vector<int8_t> portrait_;   // per item: -1 not known yet, 0 not portrait, 1 portrait
  std::vector<bool> firstLoad_;    // per show: its first picture is loading beside the window
  std::vector<int> peersShown_;    // what the other processes show, asked at each choice
  bool dirty_ = true;              // the screen no longer shows what it should
  bool resized_ = false;
  bool idleInstalled_ = false;
  bool closeRequested_ = false;
  bool cursorHidden_ = false;
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
