#include "saver/FScrSvr.h"

#include <filesystem>

#include "common/Error.h"
#include "common/Random.h"
#include "common/Utf8Path.h"
#include "platform/ThreadWorker.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "saver/uMusicList.h"
#include "saver/uSoundEffect.h"
#include "startup/uSharedFolder.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kFramePeriodMs = 33;

}  // namespace

TQVfmScrSvr::TQVfmScrSvr(TQVCProject& project, TSaverServices& services)
    : project_(project), services_(services), display_(*services.display), clock_(*services.clock) {}

TQVfmScrSvr::~TQVfmScrSvr() = default;

void TQVfmScrSvr::ShowModal() {
  FormCreate();
  FormShow();
  for (;;) {
    display_.ProcessMessages(*this);
    if (resized_) Refit();
    // A close asked for during a transition takes effect here, once the
    // transition has finished.
    if (closeRequested_) {
      closeRequested_ = false;
      if (FormCloseQuery()) break;
    }
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
  fitting_.stretch = s.Stretch;
  fitting_.proportional = s.Proportional;
}

void TQVfmScrSvr::ChooseItem(int index) {
  currentIndex_ = index;
  currentFile_ = playlist_[static_cast<size_t>(currentIndex_)];
}

int TQVfmScrSvr::NextItemIndex() {
  const int count = static_cast<int>(playlist_.size());
  const int mode = settings_.orderMode;
  int next = NextPictureIndex(currentIndex_, count, mode);
  if (mode != 0 && mode != 2) return next;  // in order, every item comes round in turn
  bool untried = false;
  for (int i = 0; i < count && !untried; ++i) untried = i != currentIndex_ && !failed_[static_cast<size_t>(i)];
  if (!untried) {
    failed_.assign(playlist_.size(), false);
    return next;
  }
  while (failed_[static_cast<size_t>(next)]) next = NextPictureIndex(currentIndex_, count, mode);
  return next;
}

void TQVfmScrSvr::LoadItemOrMarkFailed() {
  try {
    LoadCurrentItem();
  } catch (...) {
    failed_[static_cast<size_t>(currentIndex_)] = true;
    throw;
  }
  failed_.assign(playlist_.size(), false);
}

void TQVfmScrSvr::FormShow() {
  const TQVCSetting& s = project_.Setting();
  old_.SetSize(800, 600);
  new_.SetSize(800, 600);
  work_.SetSize(800, 600);
  fitting_.screen = {display_.ScreenWidth(), display_.ScreenHeight()};
  screen_.SetSize(fitting_.screen.width, fitting_.screen.height);
  screen_.Clear(kBlack);
  runner_ = std::make_unique<TTransitionRunner>(static_cast<ITransitionHost&>(*this), old_, new_, work_);
  // The audio device is opened once for the window; without one the show
  // runs silent.
  if (services_.audio) {
    audioOpen_ = services_.audio->Open();
    soundEffect_ = std::make_unique<TSoundEffect>(services_.audio->Sounds());
  }

  RandSeed = services_.seed ? *services_.seed : clock_.TickCount();
  mouseGuard_.ForgetPosition();
  f1_ = false;

  BuildPlaylist();

  fitting_.directDraw = s.DirectX && display_.StartAccelerated();
  if (fitting_.directDraw) {
    fitting_.workingSize = DirectDrawWorkingSize(s.DirectXQuality, fitting_.screen);
    surface_.SetSize(fitting_.workingSize.width, fitting_.workingSize.height);
    surface_.Clear(kBlack);
  }
  failed_.assign(playlist_.size(), false);
  // The window is black from the moment it shows, also behind a message.
  dirty_ = true;
  Refresh();

  if (!playlist_.empty()) {
    TakeSettings();
    ChooseItem(NextPictureIndex(-1, static_cast<int>(playlist_.size()), settings_.orderMode));
  } else {
    services_.dialogs->Error(kPleaseConfigureMessage);
  }

  // Music starts once the first picture is chosen and before it loads.
  if (audioOpen_ && MusicOn(s.Music, s.MusicFile)) {
    music_ = std::make_unique<TMusicPlayback>(services_.audio->Music(),
                                              BuildMusicList(s.MusicFile, services_.tempFolder), s.MusicMode);
    music_->Start();
  }

  if (!playlist_.empty()) {
    CreateAnimation();
    // A first item that cannot be loaded gives way to the next ones; when
    // none loads, the screen stays black and the idle handler keeps trying.
    for (size_t tries = 0; tries < playlist_.size(); ++tries) {
      try {
        LoadItemOrMarkFailed();
        break;
      } catch (const std::exception&) {
        ChooseItem(NextItemIndex());
      }
    }
    pictureClock_ = clock_.TickCount();
    idleInstalled_ = true;
    // Windows 9x is told here that a screensaver runs; Linux has no such flag.
    display_.ShowCursor(false);
    cursorHidden_ = true;
  }
  frameClock_ = clock_.TickCount();
}

void TQVfmScrSvr::CreateAnimation() {
  platform::IWorkers* workers = services_.workers;
  if (!workers) {
    ownWorkers_ = std::make_unique<platform::TThreadWorkers>();
    workers = ownWorkers_.get();
  }
  const std::string temp = services_.tempFolder;
  const std::string exeFolder = Utf8FromPath(PathFromUtf8(services_.exePath).parent_path());
  // Object pictures are looked for as stored, then in the shared folder.
  TAnimEnvironment environment{&clock_, workers, [temp, exeFolder](const std::string& stored) {
                                 return LocateProjectFile(stored, TLookupKind::Picture, temp, exeFolder);
                               }};
  animProject_ = std::make_unique<TProject>();
  animEngine_ = std::make_unique<TAnimEngine>(environment);
  TAnimatedItemContext context;
  context.clock = &clock_;
  context.player = soundEffect_.get();
  context.tempFolder = temp;
  context.exeFolder = exeFolder;
  context.stepWorkers = services_.stepWorkers;
  context.processMessages = [this] { display_.ProcessMessages(*this); };
  context.note = services_.note;
  animated_ = std::make_unique<TAnimatedItem>(*animProject_, *animEngine_, std::move(context));
  animated_->SetShowValues(settings_.speed, settings_.sound);
}

void TQVfmScrSvr::AppIdle() {
  try {
    if (item_) item_->Tick();
    const uint32_t shown = (clock_.TickCount() - pictureClock_) / 1000;
    if (settings_.advance && shown >= static_cast<uint32_t>(std::max(settings_.duration, 0))) {
      ChooseItem(NextItemIndex());
      if (currentFile_ != lastLoaded_) {
        LoadItemOrMarkFailed();
        if (settings_.transition) {
          runner_->RunTransition(settings_.transitionTime, settings_.effects);
          if (services_.onTransition) services_.onTransition(runner_->EffectN());
        } else {
          FillBlack();
        }
      }
      pictureClock_ = clock_.TickCount();
    }
    if (item_ && item_->Animated()) {
      item_->Advance();
      dirty_ = true;
    }
  } catch (const std::exception&) {
    // The next call starts afresh; the picture clock was not restarted, so a
    // picture that failed to load makes way for the next one at once.
  }
  PaintFrame();
}

void TQVfmScrSvr::PaintFrame() {
  try {
    Refresh();
  } catch (const std::exception&) {
  }
  // Every pass keeps the pace, shown or not, so a slideshow whose pictures
  // all fail to load waits like any other instead of spinning.
  const int32_t wait = static_cast<int32_t>(frameClock_ + kFramePeriodMs - clock_.TickCount());
  if (wait > 0) clock_.Sleep(static_cast<uint32_t>(wait));
  frameClock_ = clock_.TickCount();
}

void TQVfmScrSvr::Refresh() {
  if (!dirty_) return;
  dirty_ = false;
  if (item_) {
    int x = 0, y = 0;
    ItemPosition(item_->Size(), fitting_.screen, fitting_.stretch, fitting_.proportional, x, y);
    PresentBitmap(item_->Frame(), x, y);
  } else if (fitting_.directDraw) {
    if (display_.AcceleratedCanDraw()) display_.PresentAccelerated(surface_);
  } else {
    display_.PresentScreen(screen_);
  }
}

void TQVfmScrSvr::LoadCurrentItem() {
  TSlideshowItem* next = &still_;
  if (!IsStillPicture(currentFile_)) {
    // An animated picture whose file is not there changes nothing: the
    // previous frame stays.
    std::error_code ec;
    if (!animated_ || !std::filesystem::exists(PathFromUtf8(currentFile_), ec)) return;
    next = animated_.get();
  }
  next->Load(currentFile_, fitting_);
  // The sounds of an animated item stop once something else is ready.
  if (item_ && item_ != next) item_->Stop();
  item_ = next;
  lastLoaded_ = currentFile_;
  dirty_ = true;
}

void TQVfmScrSvr::PresentBitmap(const TBitmap32& bitmap, int x, int y) {
  if (fitting_.directDraw) {
    if (!display_.AcceleratedCanDraw()) return;
    surface_.Assign(bitmap);
    display_.PresentAccelerated(surface_);
    return;
  }
  bitmap.DrawTo(screen_, x, y);
  display_.PresentScreen(screen_);
}

void TQVfmScrSvr::Refit() {
  resized_ = false;
  fitting_.screen = {display_.ScreenWidth(), display_.ScreenHeight()};
  screen_.SetSize(fitting_.screen.width, fitting_.screen.height);
  screen_.Clear(kBlack);
  if (item_ && !lastLoaded_.empty()) {
    try {
      item_->Load(lastLoaded_, fitting_);
    } catch (const std::exception&) {
      // The item shows as it was fitted before; the next change fits anew.
    }
  }
  dirty_ = true;
}

void TQVfmScrSvr::FillBlack() {
  // The next frame draws the new item over black. The accelerated surface
  // is redrawn whole by that frame, so nothing black is ever shown alone.
  if (!fitting_.directDraw) screen_.Clear(kBlack);
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
  // Gone from the screen at once; the sound device takes its time to close.
  display_.Hide();
  if (item_) item_->Stop();
  item_ = nullptr;
  // The engine goes first: its objects' workers end before the project and
  // the workers they run on are freed.
  animated_.reset();
  animEngine_.reset();
  animProject_.reset();
  ownWorkers_.reset();
  if (soundEffect_) soundEffect_->StopAll();
  music_.reset();
  soundEffect_.reset();
  if (audioOpen_) services_.audio->Close();
  audioOpen_ = false;
  idleInstalled_ = false;
  playlist_.clear();
  still_ = TStillItem();
  runner_.reset();
  old_ = TBitmap32();
  new_ = TBitmap32();
  work_ = TBitmap32();
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
  if (!f1_ && item_) {
    item_->KeyF1();
    dirty_ = true;
  }
}

void TQVfmScrSvr::CloseRequested() { Close(); }

void TQVfmScrSvr::MediaPlayerNotify() {
  if (music_) music_->MediaPlayerNotify();
}

uint32_t TQVfmScrSvr::TickCount() { return clock_.TickCount(); }

void TQVfmScrSvr::ProcessMessages() { display_.ProcessMessages(*this); }

void TQVfmScrSvr::FrameSize(int& width, int& height) {
  const TBitmap32& shown = fitting_.directDraw ? surface_ : screen_;
  width = shown.Width();
  height = shown.Height();
}

void TQVfmScrSvr::CaptureScreen(TBitmap32& Old) {
  const TBitmap32& shown = fitting_.directDraw ? surface_ : screen_;
  if (Old.Width() == shown.Width() && Old.Height() == shown.Height()) Old.Assign(shown);
  else shown.DrawTo(Old, 0, 0);
}

void TQVfmScrSvr::PictureOffset(int& offX, int& offY) {
  offX = offY = 0;
  if (fitting_.directDraw || !item_) return;
  if (!fitting_.stretch || fitting_.proportional) {
    offX = (fitting_.screen.width - item_->Frame().Width()) / 2;
    offY = (fitting_.screen.height - item_->Frame().Height()) / 2;
  }
}

bool TQVfmScrSvr::NewIsAnimated() { return item_ && item_->Animated(); }

void TQVfmScrSvr::DrawNewPicture(TBitmap32& New, int offX, int offY) {
  if (!item_) return;
  // A moving item renders its next frame for every frame of the transition.
  if (item_->Animated()) item_->Advance();
  item_->Frame().DrawTo(New, offX, offY);
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
