#include "saver/FScrSvr.h"

#include <algorithm>
#include <filesystem>

#include "common/Error.h"
#include "common/Random.h"
#include "common/Utf8Path.h"
#include "platform/ThreadBands.h"
#include "platform/ThreadWorker.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "saver/uMusicList.h"
#include "saver/uSoundEffect.h"
#include "startup/uSharedFolder.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

}  // namespace

TQVfmScrSvr::TQVfmScrSvr(TQVCProject& project, TSaverServices& services)
    : project_(project), services_(services), display_(*services.display), clock_(*services.clock) {}

TQVfmScrSvr::~TQVfmScrSvr() = default;

void TQVfmScrSvr::ShowModal() {
  FormCreate();
  FormShow();
  for (;;) {
    // While a transition runs, its runner lets messages be handled between
    // its frames, and a close or a new size waits until it has finished.
    if (!AnyTransition()) {
      display_.ProcessMessages(*this);
      if (resized_) Refit();
      if (closeRequested_) {
        closeRequested_ = false;
        if (FormCloseQuery()) break;
      }
    }
    ClaimVoice();
    if (idleInstalled_) {
      AppIdle();
    } else {
      Refresh();
      display_.WaitMessage(50);
    }
  }
  FormClose();
}

void TQVfmScrSvr::FormCreate() {
  // The speed and the proportional flag start at 100 and on; FormShow takes
  // the project's when there is something to show.
  settings_ = TShowSettings();
  fitting_ = TItemFitting();
}

void TQVfmScrSvr::BuildPlaylist() {
  // The pictures whose enabled flag is set, in project order: the user's
  // favourites and single-picture choices narrow the flags beforehand.
  const TQVCFileList& list = project_.FileList();
  playlist_.clear();
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.Flags()[i] == "TRUE") playlist_.push_back(list.Names()[i]);
}

void TQVfmScrSvr::TakeSettings() {
  const TQVCSetting& s = project_.Setting();
  settings_.advance = s.Random;
  settings_.duration = s.Duration;
  settings_.speed = s.Speed;
  settings_.orderMode = s.ShowImageMode;
  settings_.transition = s.Transition;
  settings_.transitionTime = s.TransitionTime;
  settings_.sound = s.Sound;
  settings_.effects = LoadEffectList(s.TransitionEffects);
  settings_.monitors = s.Monitors == 1 || s.Monitors == 2 ? s.Monitors : 0;
  fitting_.stretch = s.Stretch;
  fitting_.proportional = s.Proportional;
  if (s.PanZoom) {
    fitting_.panZoomPercent = std::clamp(s.PanZoomPercent, 50, 100);
    // The path spans the whole time a picture shows, its transitions in and
    // out included, and at least ten seconds, so it moves gently.
    const int64_t shows = int64_t{std::max(s.Duration, 0)} * 1000 + 2 * int64_t{std::max(s.TransitionTime, 0)};
    fitting_.panZoomPeriodMs = static_cast<uint32_t>(std::clamp<int64_t>(shows, 10000, 24 * 3600 * 1000));
  }
}

TItemFitting TQVfmScrSvr::FittingFor(int screen) const {
  TItemFitting f = fitting_;
  const platform::TMonitor m = display_.Screen(screen);
  f.screen = {m.width, m.height};
  if (f.directDraw) f.workingSize = DirectDrawWorkingSize(project_.Setting().DirectXQuality, f.screen);
  return f;
}

void TQVfmScrSvr::ChooseItem(TScreenShow& show, int index) {
  show.SetCurrentIndex(index);
  // The other processes of a daemon's monitors learn it as soon as it is chosen.
  if (!shows_.empty() && &show == shows_[0].get() && services_.tellShowing) services_.tellShowing(index);
}

bool TQVfmScrSvr::Acceptable(const TScreenShow& show, int index, bool strict) const {
  if (settings_.monitors != 1) return true;
  if (std::find(peersShown_.begin(), peersShown_.end(), index) != peersShown_.end()) return false;
  if (shows_.size() < 2) return true;
  for (const auto& other : shows_)
    if (other.get() != &show && (other->CurrentIndex() == index || other->LoadingIndex() == index ||
                                 other->ShownIndex() == index || other->LeavingIndex() == index))
      return false;
  if (!strict) return true;
  // A portrait picture goes to a portrait monitor when there is one.
  const auto portraitScreen = [](const TScreenShow& s) { return s.ScreenSize().height > s.ScreenSize().width; };
  const bool anyPortrait = std::any_of(shows_.begin(), shows_.end(), [&](const auto& s) { return portraitScreen(*s); });
  const bool anyLandscape = std::any_of(shows_.begin(), shows_.end(), [&](const auto& s) { return !portraitScreen(*s); });
  if (!anyPortrait || !anyLandscape) return true;
  const int8_t kind = portrait_[static_cast<size_t>(index)];
  return kind < 0 || (kind == 1) == portraitScreen(show);
}

int TQVfmScrSvr::NextItemIndex(TScreenShow& show, bool mayWait) {
  const int count = static_cast<int>(playlist_.size());
  const int mode = settings_.orderMode;
  const int current = show.CurrentIndex();
  peersShown_.clear();
  if (settings_.monitors == 1 && services_.peersShowing) peersShown_ = services_.peersShowing();
  if (settings_.monitors == 1 && (shows_.size() > 1 || !peersShown_.empty())) {
    // Each show its own order, never taking what another shows while there
    // are others to take; the monitor's own shape first when it is known.
    for (bool strict : {true, false}) {
      std::vector<int> free;
      for (int i = 0; i < count; ++i)
        if (i != current && !failed_[static_cast<size_t>(i)] && Acceptable(show, i, strict)) free.push_back(i);
      if (free.empty()) continue;
      if (mode != 0 && mode != 2) {
        for (int step = 1; step <= count; ++step) {
          const int i = (current + step + count) % count;
          if (std::find(free.begin(), free.end(), i) != free.end()) return i;
        }
      }
      int next;
      do next = NextPictureIndex(current, count, mode);
      while (std::find(free.begin(), free.end(), next) == free.end());
      return next;
    }
    // Nothing is free while another show changes its picture (it shows one
    // and loads another): with more pictures than shows one comes free once
    // that change is over, so this show keeps its picture until then.
    const int usable = static_cast<int>(std::count(failed_.begin(), failed_.end(), false));
    if (mayWait && usable > static_cast<int>(shows_.size() + peersShown_.size())) return -1;
  }
  int next = NextPictureIndex(current, count, mode);
  if (mode != 0 && mode != 2) return next;  // in order, every item comes round in turn
  bool untried = false;
  for (int i = 0; i < count && !untried; ++i) untried = i != current && !failed_[static_cast<size_t>(i)];
  if (!untried) {
    failed_.assign(playlist_.size(), false);
    return next;
  }
  while (failed_[static_cast<size_t>(next)]) next = NextPictureIndex(current, count, mode);
  return next;
}

void TQVfmScrSvr::CreateShows() {
  platform::IWorkers* workers = services_.workers;
  if (!workers) {
    ownWorkers_ = std::make_unique<platform::TThreadWorkers>();
    workers = ownWorkers_.get();
  }
  IBands* bands = services_.bands;
  if (!bands) {
    ownBands_ = std::make_unique<platform::TThreadBands>();
    bands = ownBands_.get();
  }
  const std::string temp = services_.tempFolder;
  const std::string exeFolder = Utf8FromPath(PathFromUtf8(services_.exePath).parent_path());
  const int screens = settings_.monitors == 0 ? 1 : std::max(1, display_.ScreenCount());
  for (int screen = 0; screen < screens; ++screen) {
    TShowContext c;
    c.display = &display_;
    c.screen = screen;
    c.clock = &clock_;
    c.bands = bands;
    c.background = services_.background;
    c.workers = workers;
    // Object pictures are looked for as stored, then in the shared folder.
    c.locatePicture = [temp, exeFolder](const std::string& stored) {
      return LocateProjectFile(stored, TLookupKind::Picture, temp, exeFolder);
    };
    c.animated.clock = &clock_;
    // One voice: only the primary monitor's show plays sounds.
    c.animated.player = screen == 0 ? soundEffect_.get() : nullptr;
    c.animated.tempFolder = temp;
    c.animated.exeFolder = exeFolder;
    c.animated.stepWorkers = services_.stepWorkers;
    c.animated.processMessages = [this] { display_.ProcessMessages(*this); };
    c.animated.note = services_.note;
    c.processMessages = [this] { display_.ProcessMessages(*this); };
    c.cancelled = [this] { return closeRequested_; };
    shows_.push_back(std::make_unique<TScreenShow>(std::move(c), FittingFor(screen), settings_.speed, settings_.sound));
  }
}

void TQVfmScrSvr::FormShow() {
  const TQVCSetting& s = project_.Setting();
  fitting_.screen = {display_.ScreenWidth(), display_.ScreenHeight()};
  black_.SetSize(fitting_.screen.width, fitting_.screen.height);
  black_.Clear(kBlack);
  // The audio device is opened once for the window; without one the show
  // runs silent.
  OpenVoice();
  voiceAskedAt_ = clock_.TickCount();

  RandSeed = services_.seed ? *services_.seed : clock_.TickCount();
  mouseGuard_.ForgetPosition();
  f1_ = false;

  BuildPlaylist();

  fitting_.directDraw = s.DirectX && display_.StartAccelerated();
  if (fitting_.directDraw) fitting_.workingSize = DirectDrawWorkingSize(s.DirectXQuality, fitting_.screen);
  failed_.assign(playlist_.size(), false);
  portrait_.assign(playlist_.size(), -1);
  // The window is black from the moment it shows, also behind a message.
  dirty_ = true;
  Refresh();

  StartShows();
  frameClock_ = clock_.TickCount();
}

void TQVfmScrSvr::StartShows() {
  if (!playlist_.empty()) {
    TakeSettings();
    // With Monitors 0 an instance a daemon started on another monitor than
    // the primary one stays black, until it becomes the primary one.
    if (settings_.monitors == 0 && !services_.primaryInstance) {
      waitingToBePrimary_ = true;
      playlist_.clear();
    }
  }

  if (!playlist_.empty()) {
    CreateShows();
    int index = NextPictureIndex(-1, static_cast<int>(playlist_.size()), settings_.orderMode);
    // Another process may already show the first one on another monitor.
    if (settings_.monitors == 1 && services_.peersShowing) index = NextItemIndex(*shows_[0]);
    for (auto& show : shows_) {
      ChooseItem(*show, index);
      // The others start where their own order takes them from the first.
      if (settings_.monitors == 1) index = NextItemIndex(*show);
    }
  } else if (services_.primaryInstance) {
    services_.dialogs->Error(kPleaseConfigureMessage);
  }

  // Music starts once the first picture is chosen and before it loads.
  StartMusic();

  if (!playlist_.empty()) {
    LoadFirstItems();
    idleInstalled_ = true;
    // Windows 9x is told here that a screensaver runs; Linux has no such flag.
    display_.ShowCursor(false);
    cursorHidden_ = true;
  }
}

void TQVfmScrSvr::OpenVoice() {
  if (!services_.audio) return;
  audioOpen_ = services_.audio->Open();
  soundEffect_ = std::make_unique<TSoundEffect>(services_.audio->Sounds());
}

void TQVfmScrSvr::StartMusic() {
  const TQVCSetting& s = project_.Setting();
  if (!audioOpen_ || music_ || !MusicOn(s.Music, s.MusicFile)) return;
  music_ = std::make_unique<TMusicPlayback>(services_.audio->Music(), BuildMusicList(s.MusicFile, services_.tempFolder),
                                            s.MusicMode);
  music_->Start();
}

void TQVfmScrSvr::ClaimVoice() {
  if (services_.audio || !services_.claimVoice) return;
  const uint32_t now = clock_.TickCount();
  if (now - voiceAskedAt_ < 1000) return;
  voiceAskedAt_ = now;
  services_.audio = services_.claimVoice();
  if (!services_.audio) return;
  OpenVoice();
  if (waitingToBePrimary_) {
    // The primary instance ended: this one plays in its place.
    waitingToBePrimary_ = false;
    services_.primaryInstance = true;
    BuildPlaylist();
    failed_.assign(playlist_.size(), false);
    portrait_.assign(playlist_.size(), -1);
    StartShows();
    return;
  }
  if (!shows_.empty()) shows_[0]->SetSoundPlayer(soundEffect_.get());
  StartMusic();
}

void TQVfmScrSvr::LoadFirstItems() {
  // A first item that cannot be loaded gives way to the next ones; when
  // none loads, the screen stays black and the idle handler keeps trying. A
  // picture loaded beside the window shows once it is ready.
  for (size_t s = 0; s < shows_.size(); ++s) {
    TScreenShow& show = *shows_[s];
    if (settings_.monitors == 2 && s > 0) ChooseItem(show, shows_[0]->CurrentIndex());
    firstLoad_.push_back(false);
    for (size_t tries = 0; tries < playlist_.size(); ++tries) {
      show.RequestLoad(show.CurrentIndex(), playlist_[static_cast<size_t>(show.CurrentIndex())]);
      if (!show.LoadReady()) {
        firstLoad_[s] = true;
        break;
      }
      try {
        TakeLoaded(s);
        break;
      } catch (const std::exception&) {
        ChooseItem(show, NextItemIndex(show));
      }
    }
    show.pictureClock = clock_.TickCount();
  }
}

// The loaded picture becomes the show's item. Throws (and marks the picture
// failed) when it did not load.
void TQVfmScrSvr::TakeLoaded(size_t index) {
  TScreenShow& show = *shows_[index];
  const int picture = show.CurrentIndex();
  const TSize size = show.LoadedPictureSize();
  if (size.width > 0 && size.height > 0) portrait_[static_cast<size_t>(picture)] = size.height > size.width ? 1 : 0;
  try {
    show.FinishLoad();
  } catch (...) {
    failed_[static_cast<size_t>(picture)] = true;
    throw;
  }
  failed_.assign(playlist_.size(), false);
}

void TQVfmScrSvr::AppIdle() {
  for (size_t i = 0; i < shows_.size(); ++i) ShowIdle(i);
  PaintFrame();
}

void TQVfmScrSvr::ShowIdle(size_t index) {
  TScreenShow& show = *shows_[index];
  // The same picture on every monitor: the first show leads, the others
  // load what it loads and change when it changes, with its effect.
  const bool follower = settings_.monitors == 2 && index > 0;
  TScreenShow& leader = *shows_[0];
  try {
    show.Tick();
    if (show.InTransition()) {
      if (show.StepTransition()) return;
      TransitionOver(show);
    } else if (!show.Loading() && FollowsPrimaryInstance()) {
      // Another process shows the primary monitor's picture: this one
      // changes when it does.
      const int primary = services_.primaryShowing();
      if (primary >= 0 && primary < static_cast<int>(playlist_.size()) && primary != show.CurrentIndex()) {
        ChooseItem(show, primary);
        show.RequestLoad(primary, playlist_[static_cast<size_t>(primary)]);
      }
    } else if (!show.Loading() && !follower) {
      const uint32_t shown = (clock_.TickCount() - show.pictureClock) / 1000;
      const int next = settings_.advance && shown >= static_cast<uint32_t>(std::max(settings_.duration, 0))
                           ? NextItemIndex(show, true)
                           : -2;
      if (next == -1) {
        // Asked again a tenth of a second later.
        show.pictureClock += 100;
      } else if (next >= 0) {
        ChooseItem(show, next);
        const std::string& file = playlist_[static_cast<size_t>(show.CurrentIndex())];
        if (file != show.LastLoaded()) {
          show.RequestLoad(show.CurrentIndex(), file);
          if (settings_.monitors == 2)
            for (size_t f = 1; f < shows_.size(); ++f) {
              ChooseItem(*shows_[f], show.CurrentIndex());
              shows_[f]->RequestLoad(show.CurrentIndex(), file);
            }
        } else {
          show.pictureClock = clock_.TickCount();
        }
      }
    }
    // A follower changes once its leader has begun to.
    if (show.Loading() && show.LoadReady() && (!follower || leader.InTransition() || !leader.Loading())) {
      const bool first = firstLoad_[index];
      if (settings_.monitors == 1 && shows_.size() > 1) {
        // A portrait picture loaded for a landscape monitor while a portrait
        // monitor could take it is put back, and another is chosen.
        const TSize size = show.LoadedPictureSize();
        if (size.width > 0 && size.height > 0) portrait_[static_cast<size_t>(show.CurrentIndex())] = size.height > size.width;
        if (!Acceptable(show, show.CurrentIndex(), true) && !first) {
          show.AbandonLoad();
          show.SetCurrentIndex(-1);
          const int next = NextItemIndex(show);
          ChooseItem(show, next);
          show.RequestLoad(next, playlist_[static_cast<size_t>(next)]);
          return;
        }
      }
      try {
        TakeLoaded(index);
      } catch (...) {
        if (settings_.monitors == 2 && !follower)
          for (size_t f = 1; f < shows_.size(); ++f) shows_[f]->AbandonLoad();
        if (first) {
          // The first picture beside the window did not load: the next one
          // is tried at once, as a first picture loaded at once would be.
          ChooseItem(show, NextItemIndex(show));
          show.RequestLoad(show.CurrentIndex(), playlist_[static_cast<size_t>(show.CurrentIndex())]);
        }
        throw;
      }
      firstLoad_[index] = false;
      if (first) {
        show.pictureClock = clock_.TickCount();
      } else if (settings_.transition) {
        show.BeginTransition(settings_.transitionTime, settings_.effects, follower ? leader.Effect() : 0);
        if (!show.InTransition()) TransitionOver(show);
      } else {
        show.FillBlack();
        show.pictureClock = clock_.TickCount();
      }
    }
    if (!show.InTransition()) show.Advance();
  } catch (const std::exception&) {
    // The next call starts afresh; the picture clock was not restarted, so a
    // picture that failed to load makes way for the next one at once.
  }
}

void TQVfmScrSvr::TransitionOver(TScreenShow& show) {
  if (services_.onTransition) services_.onTransition(show.Effect());
  show.pictureClock = clock_.TickCount();
}

bool TQVfmScrSvr::FollowsPrimaryInstance() const {
  return settings_.monitors == 2 && !services_.primaryInstance && services_.primaryShowing != nullptr;
}

bool TQVfmScrSvr::AnyTransition() const {
  return std::any_of(shows_.begin(), shows_.end(), [](const auto& s) { return s->InTransition(); });
}

void TQVfmScrSvr::PaintFrame() {
  try {
    Refresh();
  } catch (const std::exception&) {
  }
  // Every pass keeps the pace, shown or not, so a slideshow whose pictures
  // all fail to load waits like any other instead of spinning.
  const int32_t wait = static_cast<int32_t>(frameClock_ + display_.FramePeriodMs() - clock_.TickCount());
  if (wait > 0) clock_.Sleep(static_cast<uint32_t>(wait));
  frameClock_ = clock_.TickCount();
}

void TQVfmScrSvr::Refresh() {
  if (!shows_.empty()) {
    for (auto& show : shows_) show->Refresh();
    return;
  }
  if (!dirty_) return;
  dirty_ = false;
  if (fitting_.directDraw) {
    if (display_.AcceleratedCanDraw()) {
      TBitmap32 surface(fitting_.workingSize.width, fitting_.workingSize.height);
      surface.Clear(kBlack);
      display_.PresentAccelerated(surface);
    }
  } else {
    display_.PresentScreen(black_);
  }
}

void TQVfmScrSvr::Exposed() {
  dirty_ = true;
  for (auto& show : shows_) show->MarkDirty();
}

void TQVfmScrSvr::Refit() {
  resized_ = false;
  fitting_.screen = {display_.ScreenWidth(), display_.ScreenHeight()};
  black_.SetSize(fitting_.screen.width, fitting_.screen.height);
  black_.Clear(kBlack);
  for (size_t s = 0; s < shows_.size(); ++s) shows_[s]->Refit(FittingFor(static_cast<int>(s)));
  dirty_ = true;
}

bool TQVfmScrSvr::FormCloseQuery() {
  mouseGuard_.IgnoreNext(5);
  // Windows 9x checks the screensaver password here. Elsewhere the system's
  // own screen locker owns the password and the close goes ahead, unless the
  // platform says otherwise.
  return services_.verifyPassword ? services_.verifyPassword() : true;
}

void TQVfmScrSvr::FormClose() {
  if (cursorHidden_) display_.ShowCursor(true);
  cursorHidden_ = false;
  // Gone from the screen at once; the sound device and a picture still
  // loading take their time to end.
  display_.Hide();
  // The shows go first: their objects' workers end before the workers they
  // run on are freed.
  shows_.clear();
  ownWorkers_.reset();
  ownBands_.reset();
  if (soundEffect_) soundEffect_->StopAll();
  music_.reset();
  soundEffect_.reset();
  if (audioOpen_) services_.audio->Close();
  audioOpen_ = false;
  idleInstalled_ = false;
  playlist_.clear();
  settings_.effects.clear();
}

void TQVfmScrSvr::FormMouseMove(int x, int y) {
  if (mouseGuard_.Move(x, y)) Close();
}

void TQVfmScrSvr::FormMouseDown() { Close(); }

void TQVfmScrSvr::FormKeyPress(char32_t) { Close(); }

void TQVfmScrSvr::FormKeyDown(platform::TKey key) {
  // Keys without a character do not end the saver. F1 toggles a flag; each
  // time it turns back off, an animated item rebuilds its frame.
  if (key != platform::TKey::F1) return;
  f1_ = !f1_;
  if (!f1_)
    for (auto& show : shows_) show->KeyF1();
}

void TQVfmScrSvr::CloseRequested() { Close(); }

void TQVfmScrSvr::MediaPlayerNotify() {
  if (music_) music_->MediaPlayerNotify();
}

void RunSaver(TQVCProject& project, bool readUserSettings, TSaverServices& services) {
  if (project.FileList().Count() == 0) {
    services.dialogs->Information(kNoImageMessage);
    return;
  }
  project.FileList().SetAllEnabled(true);
  if (readUserSettings) ApplyUserSettings(project, UserSettingsFiles(services.exePath).ForReading());
  services.overrides.ApplyTo(project.Setting());
  if (!services.display && services.openDisplay) services.display = services.openDisplay();
  if (!services.display) return;
  TQVfmScrSvr window(project, services);
  window.ShowModal();
}

void ShowSinglePicture(const TQVCProject& project, const std::string& pictureFile, TSaverServices& services) {
  TQVCProject single;
  single.FileList().Add(pictureFile, true);
  const TQVCSetting& from = project.Setting();
  TQVCSetting& to = single.Setting();
  to.Stretch = from.Stretch;
  to.Proportional = from.Proportional;
  to.DirectX = from.DirectX;
  to.DirectXQuality = from.DirectXQuality;
  to.Speed = from.Speed;
  to.Sound = true;
  to.Music = false;
  // The user's settings apply as they do to a run, but the one picture
  // asked for is always shown: neither the favourites nor the selected
  // picture of the user's settings may take it out.
  ApplyUserSettings(single, UserSettingsFiles(services.exePath).ForReading());
  RunSaver(single, false, services);
}

}  // namespace qv
