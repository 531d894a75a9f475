// How an animated object moves and when it shows: its display schedule, the
// bounce and wander walks, the motion models and the flip by direction of
// travel, as plain state advanced one tick at a time.
#pragma once
#include <cstdint>

#include "animation/uObjectDescription.h"
#include "graphics/Rect.h"

namespace qv {

// Seeds the shared generator for an object's start from the time and the
// object's number: objects started in the same millisecond still draw
// different sequences. The one place an object's start reseeds it.
void SeedForObjectStart(uint32_t now, int number);

class TObjectMotion {
 public:
  // The start of a picture of frameWidth x frameHeight, for a picture of
  // pictureWidth x pictureHeight shown in `display`: seeds the shared
  // generator, sets the display schedule from `now`, the motion area, the
  // start place and the first directions.
  void Start(const TObjectDescription& d, int frameWidth, int frameHeight, const TRect& display, int pictureWidth,
             int pictureHeight, uint32_t now);

  // The display schedule at `now`: shows the object once its time has come
  // and hides it once its showing has ended. True when it must start again,
  // picture and all (Redisplay with ResetPos): the caller starts it and then
  // calls ShowingStarts.
  bool Schedule(const TObjectDescription& d, uint32_t now);
  // A showing starts at `now` (after a restart).
  void ShowingStarts(uint32_t now) { startTick_ = now; }
  // One step of a visible object: the walks, the motion model, the flip.
  void Move(const TObjectDescription& d);
  // An object that could not start draws nothing.
  void Hide() { visible_ = false; }

  bool Visible() const { return visible_; }
  bool Flipped() const { return flipped_; }
  double X() const { return x_; }
  double Y() const { return y_; }
  // The frame's left and top edges on the display.
  int32_t LeftEdge(const TObjectDescription& d) const;
  int32_t TopEdge(const TObjectDescription& d) const;
  // The frame's rectangle on the display, stretched by the display scale
  // and WidthSize and HeightSize percent when scaled.
  TRect DrawRect(const TObjectDescription& d) const;

 private:
  void Walk();

  // The display schedule.
  bool visible_ = false;
  int64_t startTick_ = -1;  // -1: never again
  // The frame and how the picture is shown.
  int32_t frameWidth_ = 0, frameHeight_ = 0;
  double scaleX_ = 1, scaleY_ = 1;
  // The motion area.
  int64_t areaLeft_ = 0, areaTop_ = 0, areaRight_ = 0, areaBottom_ = 0;
  int32_t speed_ = 0;
  // Where the object is (its centre), and its flip.
  double x_ = 0, y_ = 0;
  bool flipped_ = false;
  // The bounce walk: position and direction (-1 or +1).
  double bounceX_ = 0, bounceY_ = 0;
  int bounceDirX_ = 1, bounceDirY_ = 1;
  // The wander walk: position, direction, step ranges and the steps until
  // it turns.
  double wanderX_ = 0, wanderY_ = 0;
  int wanderDirX_ = 1, wanderDirY_ = 0;
  int32_t rangeX_ = 0, rangeY_ = 0;
  int32_t stepCounter_ = 0, stepLimit_ = 0;
  // The directions it started with (the wrapping models keep to them).
  int startDirX_ = 1, startDirY_ = 1;
  int64_t ticks_ = 0;
};

}  // namespace qv
