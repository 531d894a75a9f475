#include <gtest/gtest.h>

#include "Fixtures.h"
#include "animation/uWeather.h"
#include "common/Random.h"

namespace {

using qv::TBitmap32;
using qv::TRain;
using qv::TSnow;
using qv::TWeatherStep;

constexpr uint32_t kBlack = 0xFF000000u;

// The alpha a white dot over black left, from its red byte.
int AlphaAt(const TBitmap32& f, int x, int y) { return static_cast<int>(f.Pixel(x, y) >> 16 & 0xFF); }

uint32_t Grey(int level, int alpha) {
  const uint32_t v = static_cast<uint32_t>(level * alpha / 255);
  return 0xFF000000u | v << 16 | v << 8 | v;
}

TEST(Weather, CountsAreCappedAtAThousand) {
  TBitmap32 frame(50, 40);
  TSnow snow(frame);
  TRain rain(frame);
  for (auto [asked, got] : {std::pair{5000, 1000}, {1000, 1000}, {7, 7}, {0, 0}, {-5, 0}}) {
    snow.SetCount(asked);
    rain.SetCount(asked);
    snow.Seed();
    rain.Seed();
    EXPECT_EQ(snow.Flakes().size(), static_cast<size_t>(got)) << asked;
    EXPECT_EQ(rain.Drops().size(), static_cast<size_t>(got)) << asked;
  }
}

TEST(Weather, SeedingDrawsPositionsThenDriftAndSizeForEachFlake) {
  TBitmap32 frame(200, 100);
  TSnow snow(frame);
  snow.SetCount(300);
  qv::RandSeed = 77;
  snow.Seed();
  qv::RandSeed = 77;
  for (const TSnow::TFlake& f : snow.Flakes()) {
    EXPECT_EQ(f.x, qv::Random(200));
    EXPECT_EQ(f.y, qv::Random(100));
    EXPECT_EQ(f.drift, 1 - static_cast<int>(qv::Random(3)));
    EXPECT_EQ(f.size, 2 + static_cast<int>(qv::Random(3)));
  }
  TRain rain(frame);
  rain.SetCount(300);
  qv::RandSeed = 78;
  rain.Seed();
  qv::RandSeed = 78;
  for (const TRain::TDrop& d : rain.Drops()) {
    EXPECT_EQ(d.x, qv::Random(200));
    EXPECT_EQ(d.y, qv::Random(100));
    EXPECT_EQ(d.size, 2 + static_cast<int>(qv::Random(3)));
    EXPECT_EQ(d.length, 1 + static_cast<int>(qv::Random(4)));
    EXPECT_GE(d.length, 1);
    EXPECT_LE(d.length, 4);
  }
}

TEST(Weather, AStepMovesEachFlakeBySpeedTimesSize) {
  TBitmap32 frame(400, 400);
  TSnow snow(frame);
  snow.SetCount(200);
  qv::RandSeed = 5;
  snow.Seed();
  const std::vector<TSnow::TFlake> before = snow.Flakes();
  // elapsed 140 ms at level 10 (100) and 50 %: v = 140 / 70 x 100 / 100 x 50 / 100 = 1.
  const uint32_t seedBefore = qv::RandSeed;
  snow.Step({140, 50, 10, 9});
  qv::RandSeed = seedBefore;
  for (size_t i = 0; i < before.size(); ++i) {
    const TSnow::TFlake& a = before[i];
    const TSnow::TFlake& b = snow.Flakes()[i];
    double y = a.y + a.size, x = a.x + a.drift;
    int size = a.size;
    if (qv::Random(20) == 0) size += static_cast<int>(qv::Random(3)) - 1;
    if (x < 0) x = 400 + qv::Random(50);
    if (x > 400) x = -static_cast<double>(qv::Random(50));
    size = std::clamp(size, 2, 4);
    if (y > 399) y = -static_cast<double>(qv::Random(100));
    EXPECT_EQ(b.x, x) << i;
    EXPECT_EQ(b.y, y) << i;
    EXPECT_EQ(b.size, size) << i;
  }
  EXPECT_EQ(qv::WeatherSpeed(0), 10);
  EXPECT_EQ(qv::WeatherSpeed(20), 500);
  EXPECT_EQ(qv::WeatherSpeed(99), 500) << "levels beyond the table take its end";
  EXPECT_EQ(qv::WeatherSpeed(-3), 10);
}

TEST(Weather, FlakesThatLeaveComeBackAtTheOtherSide) {
  TBitmap32 frame(100, 50);
  TSnow snow(frame);
  snow.SetCount(1000);
  snow.Seed();
  for (int i = 0; i < 300; ++i) {
    snow.Step({70, 100, 20, 9});  // 5 pixels a size a step
    for (const TSnow::TFlake& f : snow.Flakes()) {
      ASSERT_GE(f.x, -50);
      ASSERT_LE(f.x, 150);
      ASSERT_GE(f.y, -100);
      ASSERT_LE(f.y, 49 + 20);
      ASSERT_GE(f.size, 2);
      ASSERT_LE(f.size, 4);
    }
  }
}

TEST(Weather, SpeedZeroFreezesTheFlakesButStillDrawsThem) {
  TBitmap32 frame = qvtest::Filled(60, 60, kBlack);
  TSnow snow(frame);
  snow.SetCount(40);
  snow.Seed();
  const std::vector<TSnow::TFlake> before = snow.Flakes();
  snow.Step({100, 0, 10, 9});
  snow.Step({0, 100, 10, 9});
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(snow.Flakes()[i].x, before[i].x);
    EXPECT_EQ(snow.Flakes()[i].y, before[i].y);
  }
  EXPECT_NE(frame, qvtest::Filled(60, 60, kBlack));
}

TEST(Weather, EachFlakeSizeDrawsItsDotPattern) {
  // One flake of each size at (10, 10) on black, opacity 10: alpha(k) = k - c.
  for (int size : {2, 3, 4}) {
    TBitmap32 frame = qvtest::Filled(30, 30, kBlack);
    TSnow snow(frame);
    snow.SetCount(1);
    snow.Seed();
    const_cast<TSnow::TFlake&>(snow.Flakes()[0]) = {10, 10, size, 0};
    qv::RandSeed = 2;  // Random(20) is not 0: the size stays
    snow.Step({0, 100, 10, 10});
    ASSERT_EQ(snow.Flakes()[0].size, size);
    const int c = 160 - 40 * size;
    std::vector<std::tuple<int, int, int>> dots = {{0, 0, 240}};
    if (size == 2) dots.insert(dots.end(), {{1, 0, 140}, {0, 1, 140}});
    if (size == 3)
      dots.insert(dots.end(), {{-1, 0, 200}, {0, -1, 200}, {1, 0, 200}, {0, 1, 200},
                               {-1, -1, 100}, {-1, 1, 100}, {1, -1, 100}, {1, 1, 100}});
    if (size == 4)
      dots.insert(dots.end(), {{-1, 0, 240}, {-1, 1, 240}, {0, -1, 240}, {0, 1, 240}, {0, 2, 240}, {1, -1, 240},
                               {1, 0, 240}, {1, 1, 240}, {1, 2, 240}, {2, 0, 240}, {2, 1, 240}});
    int lit = 0;
    for (int i = 0; i < 30 * 30; ++i) lit += frame.Bits()[i] != kBlack;
    EXPECT_EQ(lit, static_cast<int>(dots.size())) << "size " << size;
    for (auto [dx, dy, k] : dots) {
      EXPECT_EQ(AlphaAt(frame, 10 + dx, 10 + dy), k - c) << "size " << size << " at " << dx << "," << dy;
      EXPECT_EQ(frame.Pixel(10 + dx, 10 + dy) >> 24, 0xFFu) << "the frame's alpha is kept";
    }
  }
  // Opacity 9 scales: round((240 - 80) x 90 / 100) = 144.
  TBitmap32 frame = qvtest::Filled(30, 30, kBlack);
  TSnow snow(frame);
  snow.SetCount(1);
  snow.Seed();
  const_cast<TSnow::TFlake&>(snow.Flakes()[0]) = {10, 10, 2, 0};
  qv::RandSeed = 2;
  snow.Step({0, 100, 10, 9});
  EXPECT_EQ(AlphaAt(frame, 10, 10), 144);
  EXPECT_EQ(AlphaAt(frame, 11, 10), 54);
}

TEST(Weather, FlakesAtTheEdgesAreClipped) {
  TBitmap32 frame = qvtest::Filled(5, 5, kBlack);
  TSnow snow(frame);
  snow.SetCount(4);
  snow.Seed();
  auto& flakes = const_cast<std::vector<TSnow::TFlake>&>(snow.Flakes());
  flakes = {{0, 0, 4, 0}, {4.4, 4, 4, 0}, {-1, 2, 3, 0}, {2, -1, 4, 0}};
  qv::RandSeed = 2;
  snow.Step({0, 100, 10, 10});
  EXPECT_EQ(AlphaAt(frame, 0, 0), 240);
  EXPECT_EQ(AlphaAt(frame, 4, 4), 240);
}

TEST(Weather, RainFallsAlongItsDirectionAndStraightDownAtNinetyDegrees) {
  TBitmap32 frame(300, 300);
  TRain rain(frame);
  rain.SetCount(100);
  rain.Seed();
  std::vector<TRain::TDrop> before = rain.Drops();
  // v = 50 / 50 x 100 / 100 x 100 / 100 = 1: a drop falls 3 x size.
  rain.Step({50, 100, 10, 6, 10, 180 - 90});
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].y + 3 * before[i].size > 320) continue;  // came back at the top
    EXPECT_EQ(rain.Drops()[i].x, before[i].x) << "straight down";
    EXPECT_EQ(rain.Drops()[i].y, before[i].y + 3 * before[i].size);
  }
  before = rain.Drops();
  rain.Step({50, 100, 10, 6, 10, 180 - 60});  // cos 120 = -0.5
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].y + 3 * before[i].size > 320 || before[i].x - 1.5 * before[i].size < -20) continue;
    EXPECT_NEAR(rain.Drops()[i].x, before[i].x - 1.5 * before[i].size, 1e-9);
  }
  before = rain.Drops();
  rain.Step({0, 100, 10, 6, 10, 90});
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(rain.Drops()[i].y, before[i].y) << "elapsed 0 freezes";
}

TEST(Weather, ADropIsTwoBlendedLinesWithoutTheirLastPoints) {
  // A size-2 drop of length factor 2 at (5, 10), Length 20, falling straight:
  // grey 218, o = 60; tail end y2 = round(2 x 2 x 2 + 10) = 18, split at
  // ym = round(10 + 48 / 8) = 16. Opacity 10: alphas 90 and 195.
  TBitmap32 frame = qvtest::Filled(20, 30, kBlack);
  TRain rain(frame);
  rain.SetCount(1);
  rain.Seed();
  const_cast<TRain::TDrop&>(rain.Drops()[0]) = {5, 10, 2, 2};
  rain.Step({0, 100, 10, 10, 20, 90});
  for (int y = 0; y < 30; ++y) {
    const uint32_t expected = y >= 10 && y < 16 ? Grey(218, 90) : y >= 16 && y < 18 ? Grey(218, 195) : kBlack;
    EXPECT_EQ(frame.Pixel(5, y), expected) << "row " << y;
  }
  int lit = 0;
  for (int i = 0; i < 20 * 30; ++i) lit += frame.Bits()[i] != kBlack;
  EXPECT_EQ(lit, 8);
}

TEST(Weather, SlantedAndEnormousDropsAreClippedToTheFrame) {
  TBitmap32 frame = qvtest::Filled(40, 40, kBlack);
  TRain rain(frame);
  rain.SetCount(3);
  rain.Seed();
  auto& drops = const_cast<std::vector<TRain::TDrop>&>(rain.Drops());
  drops = {{38, 35, 4, 4}, {-5, 20, 3, 1}, {20, -10, 4, 4}};
  rain.Step({0, 100, 10, 10, 2000000000, 180 - 45});
  int lit = 0;
  for (int i = 0; i < 40 * 40; ++i) lit += frame.Bits()[i] != kBlack;
  EXPECT_GT(lit, 0);

  TBitmap32 small = qvtest::Filled(4, 4, kBlack);
  qv::BlendLine(small, -2000000000, -2000000000, 2000000000, 2000000000, 0xFFFFFF, 255);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(small.Pixel(i, i), 0xFFFFFFFFu);
  qv::BlendLine(small, 3, 0, 3, 0, 0x00FF00, 255);
  EXPECT_EQ(small.Pixel(3, 0), kBlack) << "a line of no length draws nothing";
}

}  // namespace
