#include "animation/uWeather.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/Random.h"
#include "common/Rounding.h"

namespace qv {

namespace {

constexpr int32_t kSpeedTable[] = {10, 20, 30, 45, 50, 60, 70, 75, 80, 90, 100,
                                   120, 140, 160, 180, 200, 220, 240, 360, 480, 500};

constexpr uint32_t kWhite = 0xFFFFFF;

// cos of an angle in degrees, exactly 0 at odd multiples of 90.
double CosDegrees(double degrees) {
  const double r = std::fmod(std::fabs(degrees), 360.0);
  if (r == 90.0 || r == 270.0) return 0.0;
  return std::cos(degrees * std::numbers::pi / 180.0);
}

int Alpha(double value) { return std::clamp(RoundInt(value), 0, 255); }

int ParticleCount(int32_t count) { return std::clamp(count, 0, kMaxWeatherParticles); }

}  // namespace

int32_t WeatherSpeed(int32_t speedLevel) {
  return kSpeedTable[std::clamp(speedLevel, 0, static_cast<int32_t>(std::size(kSpeedTable)) - 1)];
}

void BlendDot(TBitmap32& target, int x, int y, uint32_t rgb, int alpha) {
  if (x < 0 || y < 0 || x >= target.Width() || y >= target.Height()) return;
  const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  uint32_t& p = target.Row(y)[x];
  uint32_t out = p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t f = rgb >> shift & 0xFF, b = p >> shift & 0xFF;
    out |= ((f * a + b * (255u - a)) / 255u) << shift;
  }
  p = out;
}

void BlendLine(TBitmap32& target, int x1, int y1, int x2, int y2, uint32_t rgb, int alpha) {
  // Point i of n lies i steps along the longer axis, the other coordinate
  // rounded; only the steps whose longer coordinate is inside are visited.
  const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
  const bool alongX = std::llabs(dx) >= std::llabs(dy);
  const int64_t n = alongX ? std::llabs(dx) : std::llabs(dy);
  if (n == 0) return;
  const int64_t start = alongX ? x1 : y1, step = (alongX ? dx : dy) > 0 ? 1 : -1;
  const int64_t limit = alongX ? target.Width() : target.Height();
  int64_t lo = 0, hi = n;  // steps [lo, hi)
  if (step > 0) {
    lo = std::max<int64_t>(lo, -start);
    hi = std::min<int64_t>(hi, limit - start);
  } else {
    lo = std::max<int64_t>(lo, start - limit + 1);
    hi = std::min<int64_t>(hi, start + 1);
  }
  const double other = alongX ? static_cast<double>(dy) : static_cast<double>(dx);
  for (int64_t i = lo; i < hi; ++i) {
    const int64_t major = start + step * i;
    const int64_t minor = (alongX ? y1 : x1) + RoundInt64(other * static_cast<double>(i) / static_cast<double>(n));
    if (minor < INT32_MIN || minor > INT32_MAX) continue;
    if (alongX) BlendDot(target, static_cast<int>(major), static_cast<int>(minor), rgb, alpha);
    else BlendDot(target, static_cast<int>(minor), static_cast<int>(major), rgb, alpha);
  }
}

// TSnow

void TSnow::SetCount(int32_t count) { count_ = ParticleCount(count); }

void TSnow::Seed() {
  flakes_.assign(static_cast<size_t>(count_), TFlake{});
  for (TFlake& f : flakes_) {
    f.x = Random(static_cast<uint32_t>(target_.Width()));
    f.y = Random(static_cast<uint32_t>(target_.Height()));
    f.drift = 1 - static_cast<int32_t>(Random(3));
    f.size = 2 + static_cast<int32_t>(Random(3));
  }
}

void TSnow::Step(const TWeatherStep& s) {
  const double w = target_.Width(), h = target_.Height();
  const double v = s.elapsed / 70 * WeatherSpeed(s.speedLevel) / 100 * s.speedPercent / 100;
  for (TFlake& f : flakes_) {
    f.y += v * f.size;
    f.x += v * f.drift;
    if (Random(20) == 0) f.size += static_cast<int32_t>(Random(3)) - 1;
    if (f.x < 0) f.x = w + Random(50);
    if (f.x > w) f.x = -static_cast<double>(Random(50));
    f.size = std::clamp(f.size, 2, 4);
    if (f.y > h - 1) f.y = -static_cast<double>(Random(100));
  }
  for (const TFlake& f : flakes_) {
    const int x = RoundInt(f.x), y = RoundInt(f.y);
    const int c = 160 - 40 * f.size;
    auto alpha = [&](int k) { return Alpha((k - c) * 10.0 * s.opacity / 100); };
    auto dot = [&](int dx, int dy, int k) { BlendDot(target_, x + dx, y + dy, kWhite, alpha(k)); };
    dot(0, 0, 240);
    if (f.size == 2) {
      dot(1, 0, 140);
      dot(0, 1, 140);
    } else if (f.size == 3) {
      for (auto [dx, dy] : {std::pair{-1, 0}, {0, -1}, {1, 0}, {0, 1}}) dot(dx, dy, 200);
      for (auto [dx, dy] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {1, 1}}) dot(dx, dy, 100);
    } else {
      for (auto [dx, dy] : {std::pair{-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {0, 2}, {1, -1}, {1, 0}, {1, 1}, {1, 2},
                            {2, 0}, {2, 1}})
        dot(dx, dy, 240);
    }
  }
}

// TRain

void TRain::SetCount(int32_t count) { count_ = ParticleCount(count); }

void TRain::Seed() {
  drops_.assign(static_cast<size_t>(count_), TDrop{});
  for (TDrop& d : drops_) {
    d.x = Random(static_cast<uint32_t>(target_.Width()));
    d.y = Random(static_cast<uint32_t>(target_.Height()));
    d.size = 2 + static_cast<int32_t>(Random(3));
    d.length = 1 + static_cast<int32_t>(Random(4));
  }
}

void TRain::Step(const TWeatherStep& s) {
  const double w = target_.Width(), h = target_.Height();
  const double v = s.elapsed / 50 * WeatherSpeed(s.speedLevel) / 100 * s.speedPercent / 100;
  const double slant = CosDegrees(s.direction);
  for (TDrop& d : drops_) {
    const double y0 = d.y;
    d.y += d.size * v * 3;
    d.x += slant * (d.y - y0);
    if (d.x < -20) d.x = w + Random(100);
    if (d.x > w + 20) d.x = -static_cast<double>(Random(100));
    d.size = std::clamp(d.size, 2, 4);
    if (d.y > h + 20) d.y = -static_cast<double>(Random(100));
  }
  for (const TDrop& d : drops_) {
    const int hx = RoundInt(d.x), ly = RoundInt(d.y);
    const uint32_t g = static_cast<uint32_t>(55 / (5 - d.size) + 200);
    const uint32_t grey = g << 16 | g << 8 | g;
    const int o = 100 - 20 * d.size;
    const int y2 = RoundInt(d.size * d.length * (s.length / 10.0) + ly);
    const int x2 = RoundInt(slant * (static_cast<double>(y2) - ly) + hx);
    const int ym = RoundInt(ly + (6.0 * y2 - 6.0 * ly) / 8);
    const int xm = RoundInt(hx + (6.0 * x2 - 6.0 * hx) / 8);
    BlendLine(target_, hx, ly, xm, ym, grey, Alpha((150 - o) * 10.0 * s.opacity / 100));
    BlendLine(target_, xm, ym, x2, y2, grey, Alpha((255 - o) * 10.0 * s.opacity / 100));
  }
}

}  // namespace qv
