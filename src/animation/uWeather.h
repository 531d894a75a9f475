// Snow and rain over an animated picture: at most 1000 particles seeded once
// and moved and drawn into the engine's composed frame once a frame.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/Bitmap32.h"

namespace qv {

inline constexpr int kMaxWeatherParticles = 1000;

// The per-step inputs the engine sets before each step.
struct TWeatherStep {
  double elapsed = 0;       // milliseconds since the last frame
  int32_t speedPercent = 100;
  int32_t speedLevel = 0;   // index of the speed table, 0..20 (outside: the nearest end)
  int32_t opacity = 0;      // 0..10 as a rule; alphas are clamped to 0..255
  int32_t length = 0;       // rain only
  double direction = 90;    // rain only: 180 - Angle, in degrees
};

// Speed table entry for a SpeedLevel, the ends of the table beyond its range.
int32_t WeatherSpeed(int32_t speedLevel);

class TSnow {
 public:
  struct TFlake {
    double x = 0, y = 0;
    int32_t size = 2;   // 2..4
    int32_t drift = 0;  // -1, 0, +1
  };

  explicit TSnow(TBitmap32& target) : target_(target) {}
  // Count capped at 1000 (a negative count makes none).
  void SetCount(int32_t count);
  int Count() const { return count_; }
  void Seed();
  void Step(const TWeatherStep& step);
  const std::vector<TFlake>& Flakes() const { return flakes_; }

 private:
  TBitmap32& target_;
  int count_ = 0;
  std::vector<TFlake> flakes_;
};

class TRain {
 public:
  struct TDrop {
    double x = 0, y = 0;
    int32_t size = 2;    // 2..4
    int32_t length = 1;  // length factor 1..4
  };

  explicit TRain(TBitmap32& target) : target_(target) {}
  void SetCount(int32_t count);
  int Count() const { return count_; }
  void Seed();
  void Step(const TWeatherStep& step);
  const std::vector<TDrop>& Drops() const { return drops_; }

 private:
  TBitmap32& target_;
  int count_ = 0;
  std::vector<TDrop> drops_;
};

// The colour `rgb` at `alpha` (clamped to 0..255) blended over pixel (x, y)
// of `target`, skipped outside it. The alpha byte of the pixel is kept.
void BlendDot(TBitmap32& target, int x, int y, uint32_t rgb, int alpha);
// An alpha-blended line from (x1, y1) towards (x2, y2), without its last
// point, clipped to the target.
void BlendLine(TBitmap32& target, int x1, int y1, int x2, int y2, uint32_t rgb, int alpha);

}  // namespace qv
