#include "saver/uScreenShow.h"

#include <exception>
#include <filesystem>

#include "common/Error.h"
#include "common/Utf8Path.h"
#include "saver/uSlideshow.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

}  // namespace

// A load under way: a still picture prepared beside the window (or at once),
// or an animated picture, which loads on the window's thread when it is taken.
struct TScreenShow::TLoad {
  struct TResult {
    TStillPreparation prepared;
    std::exception_ptr error;
  };
  bool animated = false;
  std::shared_ptr<TResult> result = std::make_shared<TResult>();
  std::unique_ptr<platform::IBackgroundJob> job;  // last: ends first, while the result is still there
};

TScreenShow::TScreenShow(TShowContext context, const TItemFitting& fitting, int speed, bool sound)
    : context_(std::move(context)),
      fitting_(fitting),
      speed_(speed),
      sound_(sound),
      stills_{TStillItem(context_.clock, context_.bands), TStillItem(context_.clock, context_.bands)} {
  screen_.SetSize(fitting_.screen.width, fitting_.screen.height);
  screen_.Clear(kBlack);
  if (fitting_.directDraw) {
    surface_.SetSize(fitting_.workingSize.width, fitting_.workingSize.height);
    surface_.Clear(kBlack);
  }
  // The transition's bitmaps have the frame's size from the start: memory
  // touched for the first time costs a pause, better taken now than in the
  // first transition.
  const TBitmap32& frame = fitting_.directDraw ? surface_ : screen_;
  for (TBitmap32* b : {&old_, &new_, &work_}) b->SetSize(frame.Width(), frame.Height());
  runner_ = std::make_unique<TTransitionRunner>(static_cast<ITransitionHost&>(*this), old_, new_, work_, EffectTable(),
                                                context_.bands);
  CreateAnimation();
}

TScreenShow::~TScreenShow() { Stop(); }

void TScreenShow::CreateAnimation() {
  TAnimEnvironment environment{context_.clock, context_.workers, context_.locatePicture, context_.bands};
  animProject_ = std::make_unique<TProject>();
  animEngine_ = std::make_unique<TAnimEngine>(environment);
  animated_ = std::make_unique<TAnimatedItem>(*animProject_, *animEngine_, context_.animated);
  animated_->SetShowValues(speed_, sound_);
}

void TScreenShow::Tick() {
  if (item_) item_->Tick();
}

void TScreenShow::RequestLoad(int index, const std::string& file) {
  AbandonLoad();
  loading_ = std::make_unique<TLoad>();
  loadingIndex_ = index;
  loadingFile_ = file;
  if (!IsStillPicture(file)) {
    loading_->animated = true;
    return;
  }
  platform::TBackgroundWork work = [result = loading_->result, file, fitting = fitting_](
                                       const std::atomic<bool>& cancelled) {
    try {
      result->prepared = PrepareStill(file, fitting, &cancelled);
    } catch (...) {
      result->error = std::current_exception();
    }
  };
  if (context_.background) {
    loading_->job = context_.background->Start(std::move(work));
  } else {
    const std::atomic<bool> never{false};
    work(never);
  }
}

bool TScreenShow::LoadReady() const { return loading_ && (!loading_->job || loading_->job->Done()); }

TSize TScreenShow::LoadedPictureSize() const {
  return LoadReady() && !loading_->animated ? loading_->result->prepared.picture : TSize{};
}

void TScreenShow::AbandonLoad() {
  loading_.reset();
  loadingIndex_ = -1;
}

bool TScreenShow::FinishLoad() {
  std::unique_ptr<TLoad> load = std::move(loading_);
  const int index = loadingIndex_;
  loadingIndex_ = -1;
  if (!load) return false;
  const std::string file = loadingFile_;
  TSlideshowItem* next = nullptr;
  if (load->animated) {
    // An animated picture whose file is not there changes nothing: the
    // previous frame stays.
    std::error_code ec;
    if (!animated_ || !std::filesystem::exists(PathFromUtf8(file), ec)) return false;
    next = animated_.get();
    next->Load(file, fitting_);
    leaving_ = nullptr;
  } else {
    if (load->result->error) std::rethrow_exception(load->result->error);
    const int spare = 1 - still_;
    stills_[spare].Take(std::move(load->result->prepared), fitting_);
    // A panned still picture keeps moving while the transition leaves it.
    leaving_ = item_ == &stills_[still_] && item_->Animated() ? item_ : nullptr;
    still_ = spare;
    next = &stills_[spare];
  }
  // The sounds of an animated item stop once something else is ready.
  if (item_ && item_ != next) item_->Stop();
  item_ = next;
  lastLoaded_ = file;
  leavingIndex_ = shownIndex_;
  shownIndex_ = index;
  dirty_ = true;
  return true;
}

void TScreenShow::BeginTransition(int transitionTime, const std::vector<int>& effects, int effect) {
  runner_->Begin(transitionTime, effects, effect);
  if (!runner_->Running()) leaving_ = nullptr;
}

bool TScreenShow::StepTransition() {
  const bool more = runner_->Step();
  if (!more) leaving_ = nullptr;
  return more;
}

void TScreenShow::FillBlack() {
  // The next frame draws the new item over black. The accelerated surface
  // is redrawn whole by that frame, so nothing black is ever shown alone.
  if (!fitting_.directDraw) screen_.Clear(kBlack);
  leaving_ = nullptr;
  dirty_ = true;
}

void TScreenShow::Advance() {
  if (!item_ || !item_->Animated()) return;
  item_->Advance();
  dirty_ = true;
}

void TScreenShow::Refresh() {
  if (!dirty_ || InTransition()) return;
  dirty_ = false;
  platform::ISaverDisplay& display = *context_.display;
  if (item_) {
    int x = 0, y = 0;
    ItemPosition(item_->Size(), fitting_.screen, fitting_.stretch, fitting_.proportional, x, y);
    PresentBitmap(item_->Frame(), x, y);
  } else if (fitting_.directDraw) {
    if (display.AcceleratedCanDraw()) display.PresentAcceleratedOn(context_.screen, surface_);
  } else {
    display.PresentScreenOn(context_.screen, screen_);
  }
}

void TScreenShow::PresentBitmap(const TBitmap32& bitmap, int x, int y) {
  platform::ISaverDisplay& display = *context_.display;
  if (fitting_.directDraw) {
    if (!display.AcceleratedCanDraw()) return;
    surface_.Assign(bitmap);
    display.PresentAcceleratedOn(context_.screen, surface_);
    return;
  }
  bitmap.DrawTo(screen_, x, y);
  display.PresentScreenOn(context_.screen, screen_);
}

void TScreenShow::KeyF1() {
  if (!item_) return;
  item_->KeyF1();
  dirty_ = true;
}

void TScreenShow::Refit(const TItemFitting& fitting) {
  fitting_ = fitting;
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

void TScreenShow::Stop() {
  AbandonLoad();
  if (item_) item_->Stop();
  item_ = leaving_ = nullptr;
  // The engine goes first: its objects' workers end before the project.
  animated_.reset();
  animEngine_.reset();
  animProject_.reset();
}

uint32_t TScreenShow::TickCount() { return context_.clock->TickCount(); }

void TScreenShow::ProcessMessages() {
  if (context_.processMessages) context_.processMessages();
}

void TScreenShow::FrameSize(int& width, int& height) {
  const TBitmap32& shown = fitting_.directDraw ? surface_ : screen_;
  width = shown.Width();
  height = shown.Height();
}

void TScreenShow::CaptureScreen(TBitmap32& Old) {
  const TBitmap32& shown = fitting_.directDraw ? surface_ : screen_;
  if (Old.Width() == shown.Width() && Old.Height() == shown.Height()) Old.Assign(shown);
  else shown.DrawTo(Old, 0, 0);
}

void TScreenShow::PictureOffset(int& offX, int& offY) {
  offX = offY = 0;
  if (fitting_.directDraw || !item_) return;
  if (!fitting_.stretch || fitting_.proportional) {
    offX = (fitting_.screen.width - item_->Frame().Width()) / 2;
    offY = (fitting_.screen.height - item_->Frame().Height()) / 2;
  }
}

bool TScreenShow::NewIsAnimated() { return item_ && item_->Animated(); }

void TScreenShow::DrawNewPicture(TBitmap32& New, int offX, int offY) {
  if (!item_) return;
  // A moving item renders its next frame for every frame of the transition.
  if (item_->Animated()) item_->Advance();
  item_->Frame().DrawTo(New, offX, offY);
}

bool TScreenShow::OldIsAnimated() { return leaving_ != nullptr; }

void TScreenShow::DrawOldPicture(TBitmap32& Old) {
  if (!leaving_) return;
  leaving_->Advance();
  int x = 0, y = 0;
  if (!fitting_.directDraw)
    ItemPosition(leaving_->Size(), fitting_.screen, fitting_.stretch, fitting_.proportional, x, y);
  leaving_->Frame().DrawTo(Old, x, y);
}

uint32_t TScreenShow::FramePeriodMs() { return context_.display->FramePeriodMs(); }

}  // namespace qv
