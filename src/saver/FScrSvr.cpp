#include "saver/FScrSvr.h"

#include <cstring>

#include "common/Error.h"
#include "common/Random.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "saver/uMusicList.h"
#include "saver/uSoundEffect.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kFramePeriodMs = 33;

void CopyPixels(const TBitmap32& from, TBitmap32& to) {
  if (to.Width() != from.Width() || to.Height() != from.Height()) to.SetSize(from.Width(), from.Height());
  if (!from.Empty()) std::memcpy(to.Bits(), from.Bits(), static_cast<size_t>(from.Width()) * from.Height() * 4);
}

}  // namespace

TQVfmScrSvr::TQVfmScrSvr(TQVCProject& project, TSaverServices& services)
    : project_(project), services_(services), display_(*services.display), clock_(*services.clock) {}

TQVfmScrSvr::~TQVfmScrSvr() = default;

void TQVfmScrSvr::ShowModal() {
  FormCreate();
  FormShow();
  for (;;) {
    display_.ProcessMessages(*this);
    // A close asked for during a transition takes effect here, once the
    // transition has finished.
    if (closeRequested_) {
      closeRequested_ = false;
      if (FormCloseQuery()) break;
    }
    if (idleInstalled_) AppIdle();
    else display_.WaitMessage(50);
  }
  FormClose();
}

void TQVfmScrSvr::FormCreate() {
  speed_ = 100;
  proportional_ = true;
}

TSize TQVfmScrSvr::Screen() const { return {display_.ScreenWidth(), display_.ScreenHeight()}; }

void TQVfmScrSvr::BuildPlaylist() {
  // The pictures whose enabled flag is set, in project order: the user's
  // favourites and single-picture choices narrow the flags beforehand.
  const TQVCFileList& list = project_.FileList();
  playlist_.clear();
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.Flags()[i] == "TRUE") playlist_.push_back(list.Names()[i]);
}

void TQVfmScrSvr::FormShow() {
  const TQVCSetting& s = project_.Setting();
  effectList_.clear();
  old_.SetSize(800, 600);
  new_.SetSize(800, 600);
  work_.SetSize(800, 600);
  current_ = TBitmap32();
  screen_.SetSize(display_.ScreenWidth(), display_.ScreenHeight());
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

  BuildPlaylist();

  directDraw_ = s.DirectX && display_.StartAccelerated();
  if (directDraw_) {
    surface_.SetSize(display_.ScreenWidth(), display_.ScreenHeight());
    surface_.Clear(kBlack);
  }

  if (!playlist_.empty()) {
    stretch_ = s.Stretch;
    advance_ = s.Random;
    duration_ = s.Duration;
    speed_ = s.Speed;
    orderMode_ = s.ShowImageMode;
    transition_ = s.Transition;
    transitionTime_ = s.TransitionTime;
    sound_ = s.Sound;
    proportional_ = s.Proportional;
    effectList_ = LoadEffectList(s.TransitionEffects);
    currentIndex_ = NextPictureIndex(-1, static_cast<int>(playlist_.size()), orderMode_);
    currentFile_ = playlist_[static_cast<size_t>(currentIndex_)];
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
    duration_ = s.Duration;
    // A first item that cannot be loaded gives way to the next ones; when
    // none loads, the screen stays black and the idle handler keeps trying.
    for (size_t tries = 0; tries < playlist_.size(); ++tries) {
      try {
        LoadCurrentItem();
        break;
      } catch (const std::exception&) {
        currentIndex_ = NextPictureIndex(currentIndex_, static_cast<int>(playlist_.size()), orderMode_);
        currentFile_ = playlist_[static_cast<size_t>(currentIndex_)];
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

bool TQVfmScrSvr::AppIdle() {
  try {
    if (advance_ && (clock_.TickCount() - pictureClock_) / 1000 >= static_cast<uint32_t>(std::max(duration_, 0))) {
      duration_ = project_.Setting().Duration;
      currentIndex_ = NextPictureIndex(currentIndex_, static_cast<int>(playlist_.size()), orderMode_);
      currentFile_ = playlist_[static_cast<size_t>(currentIndex_)];
      if (currentFile_ != lastLoaded_) {
        LoadCurrentItem();
        if (transition_) {
          runner_->RunTransition(transitionTime_, effectList_);
          if (services_.onTransition) services_.onTransition(runner_->EffectN());
        } else {
          FillBlack();
        }
      }
      pictureClock_ = clock_.TickCount();
    }
    PaintFrame();
  } catch (const std::exception&) {
    // The next call starts afresh; the picture clock was not restarted, so a
    // picture that failed to load makes way for the next one at once.
  }
  return false;
}

void TQVfmScrSvr::PaintFrame() {
  int x = 0, y = 0;
  ItemPosition(itemSize_, Screen(), stretch_, proportional_, x, y);
  PresentBitmap(current_, x, y);
  const int32_t wait = static_cast<int32_t>(frameClock_ + kFramePeriodMs - clock_.TickCount());
  if (wait > 0) clock_.Sleep(static_cast<uint32_t>(wait));
  frameClock_ = clock_.TickCount();
}

void TQVfmScrSvr::LoadCurrentItem() {
  if (!IsStillPicture(currentFile_)) {
    // Animated-picture projects join the slideshow later; until then they
    // are passed over like a picture that cannot be loaded.
    throw EQVError("Animated pictures are not supported: " + currentFile_);
  }
  const TSize screen = Screen();
  TDecodeHint hint;
  if (directDraw_) {
    const TSize work = DirectDrawWorkingSize(project_.Setting().DirectXQuality, {current_.Width(), current_.Height()});
    hint = {work.width, work.height};
  } else if (stretch_) {
    hint = {screen.width, screen.height};
  }
  TPicture picture = LoadPicture(currentFile_, hint);
  // Every size below comes from the picture's true size, whatever scale it
  // was decoded at.
  const TSize pictureSize{picture.trueWidth, picture.trueHeight};
  TBitmap32 prepared;
  TSize item;
  if (directDraw_) {
    item = screen;
    TSize work = DirectDrawWorkingSize(project_.Setting().DirectXQuality, {current_.Width(), current_.Height()});
    if (work.width <= 0 || work.height <= 0) work = screen;
    SetBitmapFormat(prepared, work.width, work.height, 32);
    ResampleLanczos(picture.bitmap, prepared);
  } else if (stretch_) {
    item = FitStillPicture(pictureSize, screen, stretch_, proportional_);
    SetBitmapFormat(prepared, item.width, item.height, 32);
    ResampleLanczos(picture.bitmap, prepared);
  } else {
    item = pictureSize;
    prepared = std::move(picture.bitmap);
  }
  current_ = std::move(prepared);
  itemSize_ = item;
  still_ = true;
  lastLoaded_ = currentFile_;
}

void TQVfmScrSvr::PresentBitmap(const TBitmap32& bitmap, int x, int y) {
  if (directDraw_) {
    if (!display_.AcceleratedCanDraw()) return;
    CopyPixels(bitmap, surface_);
    display_.PresentAccelerated(surface_);
    return;
  }
  bitmap.DrawTo(screen_, x, y);
  display_.PresentScreen(screen_);
}

void TQVfmScrSvr::FillBlack() {
  if (directDraw_) {
    surface_.Clear(kBlack);
    if (display_.AcceleratedCanDraw()) display_.PresentAccelerated(surface_);
    return;
  }
  screen_.Clear(kBlack);
  display_.PresentScreen(screen_);
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
  if (soundEffect_) soundEffect_->StopAll();
  music_.reset();
  soundEffect_.reset();
  if (audioOpen_) services_.audio->Close();
  audioOpen_ = false;
  idleInstalled_ = false;
  playlist_.clear();
  current_ = TBitmap32();
  runner_.reset();
  old_ = TBitmap32();
  new_ = TBitmap32();
  work_ = TBitmap32();
  effectList_.clear();
}

void TQVfmScrSvr::FormMouseMove(int x, int y) {
  if (mouseGuard_.Move(x, y)) Close();
}

void TQVfmScrSvr::FormMouseDown() { Close(); }

void TQVfmScrSvr::FormKeyPress(char32_t) { Close(); }

void TQVfmScrSvr::FormKeyDown(platform::TKey) {
  // Keys without a character do not end the saver; F1 belongs to animated
  // items.
}

void TQVfmScrSvr::CloseRequested() { Close(); }

void TQVfmScrSvr::MediaPlayerNotify() {
  if (music_) music_->MediaPlayerNotify();
}

uint32_t TQVfmScrSvr::TickCount() { return clock_.TickCount(); }

void TQVfmScrSvr::ProcessMessages() { display_.ProcessMessages(*this); }

void TQVfmScrSvr::FrameSize(int& width, int& height) {
  if (directDraw_) {
    width = surface_.Width();
    height = surface_.Height();
  } else {
    width = display_.ScreenWidth();
    height = display_.ScreenHeight();
  }
}

void TQVfmScrSvr::CaptureScreen(TBitmap32& Old) {
  const TBitmap32& shown = directDraw_ ? surface_ : screen_;
  if (Old.Width() == shown.Width() && Old.Height() == shown.Height()) CopyPixels(shown, Old);
  else shown.DrawTo(Old, 0, 0);
}

void TQVfmScrSvr::PictureOffset(int& offX, int& offY) {
  offX = offY = 0;
  if (directDraw_) return;
  if (!stretch_ || proportional_) {
    offX = (display_.ScreenWidth() - current_.Width()) / 2;
    offY = (display_.ScreenHeight() - current_.Height()) / 2;
  }
}

void TQVfmScrSvr::DrawNewPicture(TBitmap32& New, int offX, int offY) { current_.DrawTo(New, offX, offY); }

void TQVfmScrSvr::Present(const TBitmap32& Work) {
  if (directDraw_) {
    if (!display_.AcceleratedCanDraw()) return;
    CopyPixels(Work, surface_);
    display_.PresentAccelerated(surface_);
    return;
  }
  CopyPixels(Work, screen_);
  display_.PresentScreen(screen_);
}

void RunSaver(TQVCProject& project, bool readUserSettings, TSaverServices& services) {
  if (project.FileList().Count() == 0) {
    services.dialogs->Information(kNoImageMessage);
    return;
  }
  project.FileList().SetAllEnabled(true);
  if (readUserSettings) ApplyUserSettings(project, UserSettingsPath(services.exePath));
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
  RunSaver(single, true, services);
}

}  // namespace qv
