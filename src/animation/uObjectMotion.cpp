#include "animation/uObjectMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/Random.h"
#include "common/Rounding.h"

namespace qv {

namespace {

// -1 or +1, -1 when random(2) is 0.
int RandomSign() { return Random(2) == 0 ? -1 : 1; }

// A value in [low, high) as the system draws it: low + random(high - low),
// the range taken as 32 bits.
int64_t RandomIn(int64_t low, int64_t high) {
  return low + static_cast<int32_t>(Random(static_cast<uint32_t>(static_cast<uint64_t>(high - low))));
}

// Milliseconds from `since` to `now` on the wrapping 32-bit tick count.
int64_t Since(uint32_t now, int64_t since) { return static_cast<uint32_t>(now - static_cast<uint32_t>(since)); }

int32_t Place(TPlacement placement, int32_t given, int64_t low, int64_t high) {
  switch (placement) {
    case TPlacement::LowEdge: return Wrap32(low);
    case TPlacement::HighEdge: return Wrap32(high);
    case TPlacement::Middle: return Wrap32(low + (high - low) / 2);
    case TPlacement::Random: return Wrap32(RandomIn(low, high));
    case TPlacement::RandomMirrored: {
      const int64_t v = RandomIn(low, high);
      return Wrap32(v < low + (high - low) / 2 ? low - v : 2 * high - v);
    }
    default: return given;  // Given, and values the format does not name
  }
}

}  // namespace

void SeedForObjectStart(uint32_t now, int number) { RandSeed = now + static_cast<uint32_t>(number) * 2654435761u; }

void TObjectMotion::Start(const TObjectDescription& d, int frameWidth, int frameHeight, const TRect& display,
                          int pictureWidth, int pictureHeight, uint32_t now) {
  SeedForObjectStart(now, d.Number);
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  visible_ = d.DisplaySec == 0;
  startTick_ = now;
  ticks_ = 0;
  flipped_ = false;
  stepCounter_ = 0;
  stepLimit_ = 50 + static_cast<int32_t>(Random(300));
  rangeX_ = static_cast<int32_t>(Random(1000));
  rangeY_ = static_cast<int32_t>(Random(1000));

  int64_t l = 0, t = 0, r = pictureWidth, b = pictureHeight;
  if (d.MotionAreaType != 0) {
    l = d.MoveAreaRectleft;
    t = d.MoveAreaRecttop;
    r = d.MoveAreaRectright;
    b = d.MoveAreaRectbottom;
  }
  const int64_t hw = frameWidth / 2, hh = frameHeight / 2;
  const int64_t sw = RoundInt64(static_cast<double>(hw) * d.WidthSize / 100);
  const int64_t sh = RoundInt64(static_cast<double>(hh) * d.HeightSize / 100);
  if (d.RestrictArea) {
    areaLeft_ = l + hw;
    areaTop_ = t + hh;
    areaRight_ = r - sw;
    areaBottom_ = b - sh;
  } else {
    areaLeft_ = l - hw;
    areaTop_ = t - hh;
    areaRight_ = r + sw;
    areaBottom_ = b + sh;
  }

  const int32_t posLeft = Place(static_cast<TPlacement>(d.PosLeftType), d.PosLeft, areaLeft_, areaRight_);
  const int32_t posTop = Place(static_cast<TPlacement>(d.PosTopType), d.PosTop, areaTop_, areaBottom_);

  bounceDirX_ = RandomSign();
  bounceDirY_ = RandomSign();
  startDirX_ = RandomSign();
  startDirY_ = RandomSign();
  switch (static_cast<TInitialDirection>(d.InitialDir)) {
    case TInitialDirection::Left: bounceDirX_ = -1; break;
    case TInitialDirection::Right: bounceDirX_ = 1; break;
    case TInitialDirection::Up: bounceDirY_ = -1; break;
    case TInitialDirection::Down: bounceDirY_ = 1; break;
    case TInitialDirection::UpLeft: bounceDirX_ = bounceDirY_ = -1; break;
    case TInitialDirection::UpRight: bounceDirX_ = 1, bounceDirY_ = -1; break;
    case TInitialDirection::DownLeft: bounceDirX_ = -1, bounceDirY_ = 1; break;
    case TInitialDirection::DownRight: bounceDirX_ = bounceDirY_ = 1; break;
    default: break;  // the random ones
  }
  wanderDirX_ = startDirX_ = bounceDirX_;
  wanderDirY_ = startDirY_ = bounceDirY_;

  scaleX_ = pictureWidth > 0 ? static_cast<double>(display.Right) / pictureWidth : 1.0;
  scaleY_ = pictureHeight > 0 ? static_cast<double>(display.Bottom) / pictureHeight : 1.0;
  x_ = bounceX_ = wanderX_ = posLeft;
  y_ = bounceY_ = wanderY_ = posTop;
  speed_ = Wrap32(int64_t{d.MotionSpeed} * 10);
}

bool TObjectMotion::Schedule(const TObjectDescription& d, uint32_t now) {
  if (!visible_ && startTick_ != -1 && Since(now, startTick_) >= int64_t{d.DisplaySec} * 1000) visible_ = true;
  if (visible_ && d.DisplayDurationType == 1 && startTick_ != -1 &&
      Since(now, startTick_) >= (int64_t{d.DisplaySec} + d.DisplayDurationSec) * 1000) {
    visible_ = false;
    if (!d.Redisplay) {
      startTick_ = -1;
    } else {
      if (d.ResetPos) return true;
      startTick_ = now;
    }
  }
  return false;
}

void TObjectMotion::Move(const TObjectDescription& d) {
  Walk();
  const int32_t l0 = LeftEdge(d);
  switch (static_cast<TMotion>(d.Motion)) {
    case TMotion::Wander:
      x_ = wanderX_;
      y_ = wanderY_;
      break;
    case TMotion::Bounce:
      x_ = bounceX_;
      y_ = bounceY_;
      break;
    case TMotion::BounceAcross: x_ = bounceX_; break;
    case TMotion::BounceUpDown: y_ = bounceY_; break;
    case TMotion::WrapAcross: {
      const double m = static_cast<double>(areaLeft_ + areaRight_) - bounceX_;
      x_ = startDirX_ < 0 ? (bounceDirX_ > 0 ? m : bounceX_) : (bounceDirX_ > 0 ? bounceX_ : m);
      break;
    }
    case TMotion::WrapDown: {
      const double m = static_cast<double>(areaTop_ + areaBottom_) - bounceY_;
      y_ = startDirY_ < 0 ? (bounceDirY_ > 0 ? m : bounceY_) : (bounceDirY_ > 0 ? bounceY_ : m);
      break;
    }
    case TMotion::Circle: {
      // The tick counter was already advanced by this tick's walk.
      const double a = -static_cast<double>(ticks_) * std::numbers::pi / 180 * speed_ / 1000;
      const int64_t cx = areaLeft_ + (areaRight_ - areaLeft_) / 2, cy = areaTop_ + (areaBottom_ - areaTop_) / 2;
      x_ = std::sin(a) * static_cast<double>((areaRight_ - areaLeft_) / 2 - frameWidth_ / 2) + static_cast<double>(cx);
      y_ = std::cos(a) * static_cast<double>((areaBottom_ - areaTop_) / 2 - frameHeight_ / 2) + static_cast<double>(cy);
      break;
    }
    case TMotion::Shiver:
      x_ += (static_cast<int>(Random(9)) - 4) * static_cast<double>(speed_) / 1000;
      y_ += (static_cast<int>(Random(9)) - 4) * static_cast<double>(speed_) / 1000;
      break;
    default: break;  // Stay, StayToo and values the format does not name
  }
  const int32_t l1 = LeftEdge(d);
  if (d.ObjFacing == 1) flipped_ = d.DirFlip && (l1 < l0 || (l1 == l0 && flipped_));
  else if (d.ObjFacing == 0) flipped_ = d.DirFlip && (l1 > l0 || (l1 == l0 && flipped_));
}

void TObjectMotion::Walk() {
  const double step = static_cast<double>(speed_) / 1000;
  const double left = static_cast<double>(areaLeft_), top = static_cast<double>(areaTop_);
  const double right = static_cast<double>(areaRight_), bottom = static_cast<double>(areaBottom_);
  bounceX_ += Random(1000) * (step * bounceDirX_) / 100;
  bounceY_ += Random(1000) * (step * bounceDirY_) / 100;
  if (left >= bounceX_) bounceDirX_ = 1;
  if (top >= bounceY_) bounceDirY_ = 1;
  if (right <= bounceX_) bounceDirX_ = -1;
  if (bottom <= bounceY_) bounceDirY_ = -1;

  wanderX_ += Random(static_cast<uint32_t>(rangeX_)) * (step * wanderDirX_) / 100;
  wanderY_ += Random(static_cast<uint32_t>(rangeY_)) * (step * wanderDirY_) / 100;
  ++stepCounter_;
  if (wanderX_ <= left || wanderX_ >= right || wanderY_ <= top || wanderY_ >= bottom) stepCounter_ = stepLimit_;
  if (stepCounter_ >= stepLimit_) {
    if (Random(10) == 0) wanderDirX_ = RandomSign();
    wanderDirY_ = static_cast<int>(Random(3)) - 1;
    if (left >= wanderX_) wanderDirX_ = 1;
    if (right <= wanderX_) wanderDirX_ = -1;
    if (top >= wanderY_) wanderDirY_ = 1;
    if (bottom <= wanderY_) wanderDirY_ = -1;
    stepLimit_ = 50 + static_cast<int32_t>(Random(300));
    rangeX_ = 200 + static_cast<int32_t>(Random(800));
    rangeY_ = static_cast<int32_t>(Random(1000));
    stepCounter_ = 0;
  }
  ++ticks_;
}

int32_t TObjectMotion::LeftEdge(const TObjectDescription& d) const {
  return d.Scaled ? RoundInt((x_ - frameWidth_ / 2.0) * scaleX_) : RoundInt(x_ * scaleX_ - frameWidth_ / 2.0);
}

int32_t TObjectMotion::TopEdge(const TObjectDescription& d) const {
  return d.Scaled ? RoundInt((y_ - frameHeight_ / 2.0) * scaleY_) : RoundInt(y_ * scaleY_ - frameHeight_ / 2.0);
}

TRect TObjectMotion::DrawRect(const TObjectDescription& d) const {
  const int32_t left = LeftEdge(d), top = TopEdge(d);
  auto edge = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  TRect to{left, top, edge(int64_t{left} + frameWidth_), edge(int64_t{top} + frameHeight_)};
  if (d.Scaled) {
    to.Right = RoundInt(left + frameWidth_ * scaleX_ * d.WidthSize / 100);
    to.Bottom = RoundInt(top + frameHeight_ * scaleY_ * d.HeightSize / 100);
  }
  return to;
}

}  // namespace qv
