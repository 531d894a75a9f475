#include "transitions/uTransitionRunner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/CommaText.h"
#include "common/Error.h"
#include "common/MulDiv.h"
#include "common/Random.h"

namespace qv {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;


}  // namespace

int EffectNumber(const std::string& item) {
  const char* first = item.data();
  const char* last = first + item.size();
  if (first != last && *first == '+') ++first;  // from_chars takes only '-'
  long long value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last || value < 1 || value > kEffectCount)
    return 0;
  return static_cast<int>(value);
}

std::vector<int> EffectNumbersIn(const std::string& transitionEffects) {
  std::vector<int> list;
  for (const std::string& item : CommaTextItems(transitionEffects))
    if (const int n = EffectNumber(item)) list.push_back(n);
  return list;
}

std::vector<int> LoadEffectList(const std::string& transitionEffects) {
  std::vector<int> list = EffectNumbersIn(transitionEffects);
  if (list.empty()) list.push_back(1);
  return list;
}

std::vector<std::string> DroppedEffectItems(const std::string& transitionEffects) {
  std::vector<std::string> dropped;
  for (const std::string& item : CommaTextItems(transitionEffects))
    if (EffectNumber(item) == 0) dropped.push_back(item);
  return dropped;
}

int PickEffect(const std::vector<int>& effectList) {
  if (effectList.empty()) return 1;
  return effectList[Random(static_cast<uint32_t>(effectList.size()))];
}

int StepPercent(int i, int steps) {
  // nearbyint follows the current rounding mode, which is to nearest, halves to even.
  return static_cast<int>(std::nearbyint(static_cast<double>(i) * 100.0 / steps));
}

TProgress ProgressAt(int W, int H, int Percent) {
  TProgress p;
  if (W >= H) {
    p.X = MulDiv(W, Percent, 100);
    p.Y = MulDiv(p.X, H, W);
  } else {
    p.Y = MulDiv(H, Percent, 100);
    p.X = MulDiv(p.Y, W, H);
  }
  return p;
}

void RenderEffectFrame(std::span<const TEffect> table, int effect, const TBitmap32& Old,
                       const TBitmap32& New, TBitmap32& Work, int Percent, IBands* bands,
                       TBitmap32* scratch) {
  if (effect < 1 || static_cast<size_t>(effect) > table.size())
    throw EQVError("There is no transition effect " + std::to_string(effect));
  const TEffect& e = table[static_cast<size_t>(effect - 1)];
  const int W = Old.Width(), H = Old.Height();
  const TProgress p = ProgressAt(W, H, Percent);
  if (bands && e.Banded && &Work != &Old) {
    // Each band starts its own rows from Old: no copy of the whole frame first.
    if (Work.Width() != W || Work.Height() != H) Work.SetSize(W, H);
    TBitmap32 own;
    e.Banded(TBandedFrame{Work, Old, New, scratch ? *scratch : own, *bands}, W, H, p.X, p.Y, Percent);
    return;
  }
  Work.Assign(Old);
  e.Proc(Work, New, W, H, p.X, p.Y, Percent);
}

TTransitionRunner::TTransitionRunner(ITransitionHost& host, TBitmap32& Old, TBitmap32& New,
                                     TBitmap32& Work, std::span<const TEffect> table, IBands* bands)
    : host_(host), old_(Old), new_(New), work_(Work), table_(table), bands_(bands) {}

void TTransitionRunner::RunTransition(int transitionTime, const std::vector<int>& effectList) {
  Begin(transitionTime, effectList);
  while (Step()) {
  }
}

void TTransitionRunner::Begin(int transitionTime, const std::vector<int>& effectList, int effect) {
  running_ = false;
  step_ = steps_ = 0;
  host_.ProcessMessages();
  if (host_.Cancelled()) return;
  offX_ = offY_ = 0;

  int w = 0, h = 0;
  host_.FrameSize(w, h);
  // Fresh memory for a frame is costly to touch: the bitmaps keep theirs
  // while the size stays, and everything in them is drawn anew below.
  for (TBitmap32* b : {&old_, &new_, &work_})
    if (b->Width() != w || b->Height() != h) b->SetSize(w, h);
  host_.ProcessMessages();
  new_.Clear(kBlack);
  host_.PictureOffset(offX_, offY_);
  host_.CaptureScreen(old_);
  host_.ProcessMessages();
  if (host_.Cancelled()) return;

  animated_ = host_.NewIsAnimated();
  oldAnimated_ = host_.OldIsAnimated();
  if (animated_) {
    t0_ = host_.TickCount();
    host_.DrawNewPicture(new_, offX_, offY_);
  } else {
    host_.DrawNewPicture(new_, offX_, offY_);
    t0_ = host_.TickCount();
  }
  if (oldAnimated_) host_.DrawOldPicture(old_);

  n_ = effect != 0 ? effect : PickEffect(effectList);
  DrawTransitionFrame(0);

  const uint32_t firstFrame = std::max(host_.TickCount() - t0_, host_.FramePeriodMs());
  steps_ = static_cast<int>(transitionTime / (static_cast<int64_t>(firstFrame) + 1));
  running_ = steps_ > 0;
}

bool TTransitionRunner::Step() {
  if (!running_) return false;
  ++step_;
  const int percent = StepPercent(step_, steps_);
  if (animated_) host_.DrawNewPicture(new_, offX_, offY_);
  if (oldAnimated_) host_.DrawOldPicture(old_);
  DrawTransitionFrame(percent);
  host_.ProcessMessages();
  if (host_.Cancelled() || step_ >= steps_) running_ = false;
  return running_;
}

void TTransitionRunner::DrawTransitionFrame(int Percent) {
  RenderEffectFrame(table_, n_, old_, new_, work_, Percent, bands_, &scratch_);
  host_.Present(work_);
}

}  // namespace qv
