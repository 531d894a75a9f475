// Plays one transition between the picture on screen and the next one: the
// effect list, the choice of effect, the frame timing and the frames themselves.
// The window that owns the bitmaps is reached through ITransitionHost.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "transitions/PSEffect.h"

namespace qv {

// The project's TransitionEffects text split as comma text (items separated by
// commas or blanks, double quotes group an item), each item read as an effect
// number once. Items that are not a whole number from 1 to kEffectCount are
// dropped; an empty result is {1}.
std::vector<int> LoadEffectList(const std::string& transitionEffects);

// The number held by one list item, or 0 when it is not a number of the table.
int EffectNumber(const std::string& item);

// The items of a TransitionEffects text that LoadEffectList drops, in order,
// and the effect numbers it keeps (without the {1} of an empty list).
std::vector<std::string> DroppedEffectItems(const std::string& transitionEffects);
std::vector<int> EffectNumbersIn(const std::string& transitionEffects);

// The effect of the next transition: item Random(count) of the list, drawn from
// the shared generator (1 for an empty list).
int PickEffect(const std::vector<int>& effectList);

// Percent of frame i of Steps: i * 100 / Steps rounded to nearest, halves to even.
int StepPercent(int i, int steps);

// The point (X, Y) on the diagonal of a W x H frame at Percent.
struct TProgress {
  int X = 0;
  int Y = 0;
};
TProgress ProgressAt(int W, int H, int Percent);

// One frame as the runner draws it: Work = Old, then effect `effect` of `table`
// with the progress of Percent. New must have Old's size. With `bands` an
// effect that can is drawn in bands of rows at once, with the same pixels
// and the same draws from the shared generator; `scratch` is its working
// bitmap (a fresh one when none is given).
void RenderEffectFrame(std::span<const TEffect> table, int effect, const TBitmap32& Old,
                       const TBitmap32& New, TBitmap32& Work, int Percent, IBands* bands = nullptr,
                       TBitmap32* scratch = nullptr);

// What the runner needs from the window it plays in.
class ITransitionHost {
 public:
  virtual ~ITransitionHost() = default;
  // Milliseconds; wraps around at 2^32.
  virtual uint32_t TickCount() = 0;
  // Handles pending input and notifications, so the saver stays closable.
  virtual void ProcessMessages() = 0;
  // The size the transition covers: the screen, or the accelerated surface.
  virtual void FrameSize(int& width, int& height) = 0;
  // Copies what is on screen now into Old, which already has the frame size.
  virtual void CaptureScreen(TBitmap32& Old) = 0;
  // Where the new picture lies in the frame: centred, or (0, 0) when it fills
  // the screen or on the accelerated surface.
  virtual void PictureOffset(int& offX, int& offY) = 0;
  // True when the new item is animated and is drawn afresh before every frame.
  virtual bool NewIsAnimated() = 0;
  // Draws the new picture (an animated item's next frame) onto New at the offset.
  virtual void DrawNewPicture(TBitmap32& New, int offX, int offY) = 0;
  // True when the picture on screen keeps moving while it leaves: Old is then
  // drawn afresh from it before every frame, the 0 % frame included.
  virtual bool OldIsAnimated() { return false; }
  virtual void DrawOldPicture(TBitmap32& Old) { (void)Old; }
  // The shortest time between two presented frames: a first frame cheaper
  // than that still sets the frame budget at this period.
  virtual uint32_t FramePeriodMs() { return 0; }
  // Shows a finished frame at (0, 0).
  virtual void Present(const TBitmap32& Work) = 0;
  // True once the window is asked to close: the transition ends at its next
  // step instead of playing out, so the saver goes at once.
  virtual bool Cancelled() { return false; }
};

class TTransitionRunner {
 public:
  // The bitmaps belong to the window and are resized by a run when the frame
  // size changed. With `bands` the frames are drawn in bands on several
  // threads, with the same pixels and draws as on one.
  TTransitionRunner(ITransitionHost& host, TBitmap32& Old, TBitmap32& New, TBitmap32& Work,
                    std::span<const TEffect> table = EffectTable(), IBands* bands = nullptr);

  // Plays the whole transition and returns after the last frame is presented,
  // or at the first step after the host says it is cancelled. Throws
  // EQVError, before any frame, when the chosen number is not in the table.
  void RunTransition(int transitionTime, const std::vector<int>& effectList);
  // The same a frame at a time, for a loop that draws other things between
  // the frames: Begin prepares the run and presents its 0 % frame; Step
  // presents the next frame, then lets messages be handled, and returns false
  // once the run is over (the last frame shown, or the host cancelled).
  // `effect`, when not 0, plays instead of a choice from the list (nothing is
  // drawn from the generator for it).
  void Begin(int transitionTime, const std::vector<int>& effectList, int effect = 0);
  bool Step();
  bool Running() const { return running_; }
  // Renders the frame at Percent with effect N and presents it.
  void DrawTransitionFrame(int Percent);

  int Steps() const { return steps_; }
  int EffectN() const { return n_; }
  int OffX() const { return offX_; }
  int OffY() const { return offY_; }

 private:
  ITransitionHost& host_;
  TBitmap32& old_;
  TBitmap32& new_;
  TBitmap32& work_;
  std::span<const TEffect> table_;
  IBands* bands_;
  TBitmap32 scratch_;
  bool running_ = false;
  bool animated_ = false, oldAnimated_ = false;
  int step_ = 0;
  int steps_ = 0;
  uint32_t t0_ = 0;
  int n_ = 1;
  int offX_ = 0;
  int offY_ = 0;
};

}  // namespace qv
