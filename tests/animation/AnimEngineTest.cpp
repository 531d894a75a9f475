#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "Fixtures.h"
#include "animation/uAnimEngine.h"
#include "common/Random.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "platform/ThreadBands.h"

namespace {

using qv::TAnimEngine;
using qv::TBitmap32;
using qv::TProject;
using qv::TWaveParam;

constexpr uint32_t kOutside = 0x000000, kArea1 = 0x0000FF, kArea2 = 0xFF00FF, kArea4 = 0xFFFF00;

// Every pixel tells where it is: column in green, row in blue.
TBitmap32 Where(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y));
  return b;
}

// A mask with `color` on rows [top, bottom] and outside elsewhere.
TBitmap32 Band(int w, int h, int top, int bottom, uint32_t color) {
  TBitmap32 m(w, h);
  for (int y = top; y <= bottom; ++y)
    for (int x = 0; x < w; ++x) m.SetPixel(x, y, color);
  return m;
}

TWaveParam Wave(int amplitude, bool horizontal, bool vertical) {
  TWaveParam p;
  p.Amplitude = amplitude;
  p.Horizontal = horizontal;
  p.Vertical = vertical;
  p.Period = 360;
  p.Forward = 1;
  return p;
}

class Engine : public ::testing::Test {
 protected:
  qvtest::TSteppedWorld world;
  TProject project;
  TAnimEngine engine{world.env()};

  // A project held in memory: the picture, its mask, area 1's parameters.
  void Use(const TBitmap32& picture, const TBitmap32& mask, const TWaveParam& area1) {
    project.Picture() = picture;
    project.Mask() = mask;
    project.Area(0) = area1;
  }
  void StartAt(uint32_t now) {
    engine.Bind(project);
    engine.SetWeather(false);
    engine.Start(now);
    engine.SetWeather(project.Weather().Kind > 0);
  }
  uint32_t Pixel(int x, int y) const { return engine.FrameBuffer().Pixel(x, y); }
};

TEST_F(Engine, WithoutAreasTheFrameIsThePictureAndTheOutputIsTheFrameBuffer) {
  const TBitmap32 picture = Where(20, 12);
  TBitmap32 mask(20, 12);
  mask.Clear(0x00FF0000u | 0x01);  // near an area colour, but no area
  TWaveParam wave = Wave(5, true, true);
  wave.WaveCount = 3;
  wave.Speed = 20;
  wave.Jitter = 4;
  Use(picture, mask, wave);
  StartAt(1000);
  for (uint32_t t = 1033; t < 2000; t += 33) engine.Frame(t);
  EXPECT_EQ(engine.FrameBuffer(), picture);
  EXPECT_EQ(&engine.Output(), &engine.FrameBuffer());
  for (int k = 0; k < qv::kAreaCount; ++k) EXPECT_EQ(engine.FirstRow(k), 50000) << "an unused area keeps its start row";
}

TEST_F(Engine, AmplitudeAndJitterZeroLeaveAnAreaAsItIs) {
  const TBitmap32 picture = Where(16, 16);
  TWaveParam wave = Wave(0, true, true);
  wave.WaveCount = 5;
  wave.Speed = 40;
  wave.Perspective = true;
  Use(picture, Band(16, 16, 3, 12, kArea1), wave);
  StartAt(0);
  for (uint32_t t = 33; t < 3000; t += 33) engine.Frame(t);
  EXPECT_EQ(engine.FrameBuffer(), picture);
}

TEST_F(Engine, AVerticalWaveCopiesFromBelowOnlyWhileTheSourceStaysInTheArea) {
  // Phase 0 and WaveCount 0: the argument is 0 on every row, so V = 5.
  Use(Where(8, 30), Band(8, 30, 10, 19, kArea1), Wave(5, false, true));
  StartAt(1000);
  EXPECT_EQ(engine.FrameBuffer(), project.Picture()) << "Start leaves the picture in the frame buffer";
  engine.Frame(1000);
  for (int y = 0; y < 30; ++y) {
    const int from = (y >= 10 && y <= 14) ? y + 5 : y;  // rows 15..19 would read outside the area
    for (int x = 0; x < 8; ++x) ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(x, from)) << x << "," << y;
  }
}

TEST_F(Engine, AHorizontalWaveShiftsColumnsAndClampsAtTheEdge) {
  Use(Where(10, 6), Band(10, 6, 0, 5, kArea2), {});
  project.Area(1) = Wave(3, true, false);
  StartAt(0);
  engine.Frame(0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(std::min(x + 3, 9), y)) << x << "," << y;
}

TEST_F(Engine, ANegativeWaveArgumentTakesItsModWithTheSignKept) {
  // Forward 0: after one 50 ms frame at Speed 10 the phase is -10, so with
  // WaveCount 0 the argument is -10 on every row. -10 mod 100 is -10, and
  // cos(-10 degrees) x 10 rounds to 10; a mod that made it 90 would give 0.
  TWaveParam wave = Wave(10, false, true);
  wave.Forward = 0;
  wave.Speed = 10;
  wave.Period = 100;
  Use(Where(4, 40), Band(4, 40, 0, 39, kArea1), wave);
  StartAt(0);
  engine.Frame(50);
  EXPECT_EQ(engine.Phase(0), -10);
  engine.Frame(50);  // no time passed: the phase stays
  for (int y = 0; y < 40; ++y) ASSERT_EQ(Pixel(2, y), project.Picture().Pixel(2, std::min(y + 10, 39))) << y;
}

TEST_F(Engine, PerspectiveGrowsTheAmplitudeRowByRowAndASingleRowGetsItWhole) {
  TWaveParam wave = Wave(6, true, false);
  wave.Perspective = true;
  // Rows 2..4 (D = 2): the amplitude grows by 3 a row, so the shifts are 3, 6
  // and 9 columns; phase and frequency stay 0.
  Use(Where(30, 8), Band(30, 8, 2, 4, kArea1), wave);
  StartAt(0);
  engine.Frame(0);
  for (auto [y, shift] : {std::pair{2, 3}, {3, 6}, {4, 9}})
    for (int x = 0; x < 20; ++x) ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(x + shift, y)) << x << "," << y;

  // One row (D = 0): the full amplitude on that row.
  Use(Where(30, 8), Band(30, 8, 5, 5, kArea1), wave);
  StartAt(0);
  engine.Frame(0);
  for (int x = 0; x < 20; ++x) ASSERT_EQ(Pixel(x, 5), project.Picture().Pixel(x + 6, 5)) << x;
}

TEST_F(Engine, ThePhaseAdvancesBySpeedAndElapsedTimeScaledByTheSpeedPercent) {
  TWaveParam forward = Wave(1, true, false);
  forward.Speed = 7;
  TWaveParam backward = forward;
  backward.Forward = 0;
  Use(Where(8, 8), Band(8, 8, 0, 7, kArea1), forward);
  project.Area(1) = backward;
  StartAt(0);
  engine.Frame(33);  // 7 x 33 / 50 = 4.62 -> 5
  EXPECT_EQ(engine.Phase(0), 5);
  EXPECT_EQ(engine.Phase(1), -5);
  project.SetSpeed(50);
  engine.Frame(66);  // 2.31 -> 2
  EXPECT_EQ(engine.Phase(0), 7);
  project.Area(0).Speed = 5;
  engine.Frame(91);  // 5 x 25 / 50 x 50 / 100 = 1.25 -> 1
  EXPECT_EQ(engine.Phase(0), 8);
  engine.Frame(91 + 0xFFFFFFFFu);  // the tick count ran backwards by 1: a huge step, no overflow
  EXPECT_GT(engine.Phase(0), 1000000);
}

TEST_F(Engine, JitterMovesEachColumnUpByItsOwnRowOffset) {
  TWaveParam wave = Wave(2, false, true);
  wave.Jitter = 3;
  Use(Where(40, 20), Band(40, 20, 0, 19, kArea1), wave);
  qv::RandSeed = 1;
  StartAt(500);
  // The offsets are drawn after the seed is set from the start time.
  qv::RandSeed = 500;
  std::vector<int> r(40);
  for (int& v : r) v = static_cast<int>(qv::Random(3));
  ASSERT_NE(std::count(r.begin(), r.end(), 0), 40);
  engine.Frame(500);
  // Row y - r of column x takes row y - r + V (V = 2) of the picture.
  for (int x = 0; x < 40; ++x) {
    const int rx = r[static_cast<size_t>(x)];
    for (int y = 0; y < 18; ++y) {
      const int d = std::max(y - rx, 0);
      ASSERT_EQ(Pixel(x, d), project.Picture().Pixel(x, d + 2)) << x << "," << y;
    }
    for (int y = 20 - rx; y < 20; ++y) ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(x, y)) << "never a destination";
  }
}

TEST_F(Engine, PixelsOutsideEveryAreaAlwaysKeepThePicture) {
  // A ragged shore: each column's water starts at another row, the waves
  // are large, every column jitters.
  const int w = 64, h = 48;
  TBitmap32 mask(w, h);
  for (int x = 0; x < w; ++x)
    for (int y = 20 + (x * 7) % 11; y < h; ++y) mask.SetPixel(x, y, (x / 16) % 2 ? kArea1 : kArea2);
  TWaveParam a = Wave(9, true, true);
  a.WaveCount = 4;
  a.Speed = 25;
  a.Jitter = 6;
  Use(Where(w, h), mask, a);
  TWaveParam b = a;
  b.Perspective = true;
  b.Reflection = true;
  b.Forward = 0;
  project.Area(1) = b;
  StartAt(0);
  for (uint32_t t = 33; t < 5000; t += 33) {
    engine.Frame(t);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (mask.Pixel(x, y) == kOutside) {
          ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(x, y)) << x << "," << y;
        }
  }
}

// Bands of five rows, the last band first, on the calling thread.
class TBackwardBands final : public qv::IBands {
 public:
  void Run(int rows, const std::function<void(int, int)>& draw) override {
    for (int first = (rows - 1) / 5 * 5; first >= 0; first -= 5) draw(first, std::min(first + 5, rows));
  }
};

TEST(EngineBands, TheWaterInBandsIsTheWaterOnOneThreadFrameByFrame) {
  // Jitter moves pixels to rows above their own, perspective grows row by
  // row, the reflection changes the source: none of it may depend on how the
  // rows are cut or in which order the bands are drawn.
  const int w = 96, h = 80;
  TBitmap32 mask(w, h);
  for (int x = 0; x < w; ++x)
    for (int y = 18 + (x * 7) % 11; y < h; ++y) mask.SetPixel(x, y, y > 60 ? kArea4 : (x / 16) % 2 ? kArea1 : kArea2);
  TProject project;
  project.Picture() = Where(w, h);
  project.Mask() = mask;
  TWaveParam a = Wave(7, true, true);
  a.WaveCount = 4;
  a.Speed = 25;
  a.Jitter = 6;
  project.Area(0) = a;
  a.Perspective = true;
  a.Reflection = true;
  a.Forward = 0;
  project.Area(1) = a;
  a = Wave(3, false, true);
  a.Jitter = 2;
  a.Speed = 40;
  project.Area(3) = a;
  project.Weather() = {1, 300, 3, 0, 0, 9};  // snow over the water: the frame is copied to be drawn on

  qvtest::TSteppedWorld world;
  qv::platform::TThreadBands threads(2);
  TBackwardBands backward;
  std::vector<std::unique_ptr<TAnimEngine>> engines;
  for (qv::IBands* bands : std::initializer_list<qv::IBands*>{nullptr, &threads, &backward}) {
    qv::TAnimEnvironment env = world.env();
    env.bands = bands;
    engines.push_back(std::make_unique<TAnimEngine>(env));
    engines.back()->Bind(project);
    engines.back()->SetWeather(false);
    engines.back()->Start(0);
    engines.back()->SetWeather(true);
  }
  for (uint32_t t = 33; t < 3000; t += 33) {
    for (auto& engine : engines) {
      qv::RandSeed = t;  // the same snow for each
      engine->Frame(t);
    }
    ASSERT_EQ(engines[1]->FrameBuffer(), engines[0]->FrameBuffer()) << "two threads, at " << t;
    ASSERT_EQ(engines[2]->FrameBuffer(), engines[0]->FrameBuffer()) << "backward bands, at " << t;
    ASSERT_EQ(engines[1]->Output(), engines[0]->Output()) << "two threads, at " << t;
    ASSERT_EQ(engines[2]->Output(), engines[0]->Output()) << "backward bands, at " << t;
  }
  EXPECT_NE(engines[0]->FrameBuffer(), project.Picture());
  EXPECT_NE(engines[0]->Output(), engines[0]->FrameBuffer());
}

TEST_F(Engine, APeriodOfZeroLeavesItsAreaStill) {
  TWaveParam wave = Wave(4, true, true);
  wave.Period = 0;
  wave.WaveCount = 3;
  wave.Speed = 10;
  Use(Where(12, 12), Band(12, 12, 2, 9, kArea1), wave);
  project.Area(3) = Wave(2, true, false);  // another area moves on
  project.Mask().SetPixel(0, 11, kArea4);
  project.Mask().SetPixel(1, 11, kArea4);
  project.Mask().SetPixel(2, 11, kArea4);
  StartAt(0);
  for (uint32_t t = 33; t < 1000; t += 33) engine.Frame(t);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(Pixel(x, y), project.Picture().Pixel(x, y));
  EXPECT_NE(Pixel(0, 11), project.Picture().Pixel(0, 11));
}

TEST_F(Engine, AReflectingAreaMirrorsTheRowsAboveItsTopRow) {
  // Water from row 6 down to row 19: row 6 + i shows row 5 - i while there
  // is one (rows 6..11); rows 12..19 keep the picture.
  TWaveParam wave = Wave(0, false, false);
  wave.Reflection = true;
  TBitmap32 mask = Band(10, 20, 6, 19, kArea1);
  mask.SetPixel(3, 6, kOutside);  // the top row is the first with any pixel of the area
  Use(Where(10, 20), mask, wave);
  StartAt(0);
  const TBitmap32& r = engine.ReflectionPicture();
  const TBitmap32& p = project.Picture();
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool mirrored = mask.Pixel(x, y) == kArea1 && y <= 11;
      ASSERT_EQ(r.Pixel(x, y), p.Pixel(x, mirrored ? 11 - y : y)) << x << "," << y;
    }
  // The frames take the reflection as their source.
  engine.Frame(33);
  EXPECT_EQ(Pixel(0, 6), p.Pixel(0, 5));
  EXPECT_EQ(Pixel(0, 11), p.Pixel(0, 0));
  EXPECT_EQ(Pixel(0, 15), p.Pixel(0, 15));
  EXPECT_EQ(Pixel(3, 6), p.Pixel(3, 6));
}

TEST_F(Engine, ResetAfterALongRunShowsThePictureUntilTheNextFrame) {
  TWaveParam wave = Wave(3, true, true);
  wave.WaveCount = 2;
  wave.Speed = 15;
  wave.Jitter = 2;
  wave.Reflection = true;
  Use(Where(32, 24), Band(32, 24, 8, 23, kArea1), wave);
  project.Weather() = {1, 50, 3, 0, 0, 9};
  StartAt(0);
  for (uint32_t t = 33; t < 60000; t += 33) engine.Frame(t);
  ASSERT_NE(engine.FrameBuffer(), project.Picture());
  engine.Reset();
  EXPECT_EQ(engine.FrameBuffer(), project.Picture());
  EXPECT_EQ(engine.Output(), project.Picture()) << "the composed frame too, until the next frame draws the snow";
  engine.Frame(60033);
  EXPECT_NE(engine.FrameBuffer(), project.Picture());
}

TEST_F(Engine, WeatherAndObjectsComposeOverTheFrameBuffer) {
  Use(Where(40, 30), Band(40, 30, 20, 29, kArea1), Wave(0, false, false));
  project.Weather() = {1, 5000, 3, 0, 0, 10};
  StartAt(0);
  ASSERT_TRUE(engine.WeatherOn());
  EXPECT_EQ(engine.Snow()->Count(), 1000);
  engine.Frame(33);
  EXPECT_NE(&engine.Output(), &engine.FrameBuffer());
  EXPECT_NE(engine.Output(), engine.FrameBuffer()) << "snow over the picture";
  EXPECT_EQ(engine.FrameBuffer(), project.Picture()) << "the snow is not in the frame buffer";

  project.Weather() = {2, 30, 3, 60, 20, 0};
  engine.SetWeather(true);
  EXPECT_EQ(engine.Snow(), nullptr);
  ASSERT_NE(engine.Rain(), nullptr);
  EXPECT_EQ(engine.Rain()->Count(), 30);
  engine.SetWeather(false);
  EXPECT_FALSE(engine.WeatherOn());
  EXPECT_EQ(&engine.Output(), &engine.FrameBuffer());
}

// A file of a 64 x 48 harbour: water on the lower half with reflection and
// jitter, a second area with perspective, a sprite and a GIF that move, snow.
qv::TProjectFileParts Harbour(qvtest::TempDir& dir) {
  qv::TProjectFileParts parts;
  TBitmap32 picture = Where(64, 48);
  parts.picture = qv::EncodeJPEG(picture, 95);
  parts.preview = qvtest::Jpeg(8, 6);
  TBitmap32 mask(64, 48);
  for (int y = 24; y < 48; ++y)
    for (int x = 0; x < 64; ++x) mask.SetPixel(x, y, x < 40 ? kArea1 : kArea2);
  parts.mask = qv::EncodeMask(mask);
  parts.areas[0] = {2, 3, 12, 1, true, true, false, 360, 3, true};
  parts.areas[1] = {3, 4, 9, 0, true, false, true, 180, 0, false};
  parts.weather = {1, 40, 4, 0, 0, 0};
  TBitmap32 boat = qvtest::Filled(8, 4, 0xFFFF0000u);
  boat.SetPixel(0, 3, 0xFF000000u);
  qvtest::WriteBmp(dir, "boat.bmp", boat);
  const qvtest::Bytes gif = qvtest::SpriteGif(
      4, 4, {0x000000, 0xFFFFFF, 0x00FF00},
      {{0, 0, 4, 4, 60, 1, 0, std::vector<uint8_t>(16, 1)}, {0, 0, 4, 4, 60, 1, 0, std::vector<uint8_t>(16, 2)}});
  qvtest::WriteFile(dir.file("bird.gif"), std::string(gif.begin(), gif.end()));
  parts.objects =
      "[Obj0]\nObjType=IMG\nFilename=boat.bmp\nMotion=2\nMotionSpeed=40\nPosLeft=20\nPosTop=30\nDirFlip=1\n"
      "[Obj1]\nObjType=GIF\nFilename=bird.gif\nMotion=1\nMotionSpeed=60\nPosLeft=30\nPosTop=10\nAnimSpeed=15\n";
  return parts;
}

// Frames 0..n-1 of the harbour fitted to 96 x 72, each as a hash.
std::vector<uint64_t> RenderHarbour(int n) {
  qvtest::TSteppedWorld world;
  TProject project;
  EXPECT_TRUE(project.Load(qvtest::WriteProject(world.dir, "harbour.qvp", Harbour(world.dir)))) << project.LoadError();
  TAnimEngine engine(world.env());
  TAnimEngine::FitProject(true, project, 96, 96);
  engine.Bind(project);
  engine.SetWeather(false);
  engine.Start(world.clock.TickCount());
  engine.SetWeather(true);
  std::vector<uint64_t> hashes;
  for (int i = 0; i < n; ++i) {
    world.workers.Advance(33);
    engine.Frame(world.clock.TickCount());
    const TBitmap32& out = engine.Output();
    uint64_t h = 1469598103934665603ull;
    for (int64_t p = 0; p < int64_t{out.Width()} * out.Height(); ++p) h = (h ^ out.Bits()[p]) * 1099511628211ull;
    hashes.push_back(h);
  }
  return hashes;
}

TEST(EngineGolden, AProjectRenderedOnTheManualClockGivesTheSameFramesEveryRun) {
  const std::vector<uint64_t> first = RenderHarbour(120);
  qv::RandSeed = 12345;  // whatever the generator held before
  const std::vector<uint64_t> second = RenderHarbour(120);
  EXPECT_EQ(first, second);
  // And the frames move.
  std::set<uint64_t> distinct(first.begin(), first.end());
  EXPECT_GT(distinct.size(), 100u);
}

TEST_F(Engine, StartedObjectsAreDrawnInUnfittedPictureUnitsOverTheWater) {
  qv::TProjectFileParts parts = Harbour(world.dir);
  parts.objects = "[Obj0]\nObjType=IMG\nFilename=boat.bmp\nPosLeft=20\nPosTop=10\n";
  ASSERT_TRUE(project.Load(qvtest::WriteProject(world.dir, "h.qvp", parts)));
  TAnimEngine::FitProject(false, project, 128, 96);  // twice the size
  StartAt(world.clock.TickCount());
  ASSERT_NE(engine.Objects(), nullptr) << "the objects come to life when the picture starts";
  ASSERT_TRUE((*engine.Objects())[0].State().running);
  world.workers.Advance(33);
  engine.Frame(world.clock.TickCount());
  // The 8 x 4 boat centred on (20, 10) picture units covers (16..24, 8..12)
  // there, so (32..48, 16..24) on the fitted frame: red over the picture.
  const TBitmap32& out = engine.Output();
  EXPECT_EQ(out.Pixel(33, 17) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(out.Pixel(46, 22) & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(out.Pixel(50, 17) & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(engine.FrameBuffer().Pixel(33, 17) & 0xFFFFFF, 0xFF0000u) << "objects go only into the composed frame";
}

TEST(EngineFit, FitProjectScalesThePictureMaskAmplitudeAndJitter) {
  qvtest::TSteppedWorld world;
  TProject project;
  ASSERT_TRUE(project.Load(qvtest::WriteProject(world.dir, "h.qvp", Harbour(world.dir))));
  project.Area(0).Amplitude = 4;
  project.Area(0).Jitter = 3;
  project.Area(1).Amplitude = -5;
  // 64 x 48 into 300 x 300 keeping the shape: 300 x 225.
  TAnimEngine::FitProject(true, project, 300, 300);
  EXPECT_EQ(project.Picture().Width(), 300);
  EXPECT_EQ(project.Picture().Height(), 225);
  EXPECT_EQ(project.Mask().Width(), 300);
  EXPECT_EQ(project.Mask().Height(), 225);
  EXPECT_EQ(project.Area(0).Amplitude, 19);  // 300 / 64 x 4 = 18.75
  EXPECT_EQ(project.Area(0).Jitter, 14);     // 225 / 48 x 3 = 14.06
  EXPECT_EQ(project.Area(1).Amplitude, -23);  // -23.4
  EXPECT_EQ(project.UnfittedWidth(), 64);
  EXPECT_EQ(project.UnfittedHeight(), 48);
  // Every mask pixel is still one of the five values, the border where the
  // mask said.
  for (int y = 0; y < 225; ++y)
    for (int x = 0; x < 300; ++x) {
      const uint32_t v = project.Mask().Pixel(x, y);
      ASSERT_TRUE(v == kOutside || v == kArea1 || v == kArea2) << x << "," << y;
      ASSERT_EQ(v, y * 48 / 225 < 24 ? kOutside : x * 64 / 300 < 40 ? kArea1 : kArea2) << x << "," << y;
    }

  // Wider than the target: the width is kept. Jitter 3 on 100 rows made 150
  // is 4.5, which rounds to 4 (halves to even).
  TProject wide;
  wide.Picture() = Where(200, 100);
  wide.Mask() = Band(200, 100, 50, 99, kArea1);
  wide.Area(0).Jitter = 3;
  TAnimEngine::FitProject(true, wide, 300, 300);
  EXPECT_EQ(wide.Picture().Width(), 300);
  EXPECT_EQ(wide.Picture().Height(), 150);
  EXPECT_EQ(wide.Area(0).Jitter, 4);
  EXPECT_EQ(wide.Picture().Pixel(0, 0) >> 24, 0xFFu) << "opaque";
  // Without keeping the shape the target is taken as it is.
  TAnimEngine::FitProject(false, wide, 120, 90);
  EXPECT_EQ(wide.Picture().Width(), 120);
  EXPECT_EQ(wide.Picture().Height(), 90);
  EXPECT_EQ(wide.Mask().Height(), 90);
  // Nothing to fit, or nowhere to fit it: nothing changes.
  TProject empty;
  TAnimEngine::FitProject(true, empty, 300, 300);
  EXPECT_TRUE(empty.Picture().Empty());
  TAnimEngine::FitProject(true, wide, 0, 300);
  EXPECT_EQ(wide.Picture().Width(), 120);
}

TEST_F(Engine, AnUnboundEngineKeepsItsLastFrameAndDoesNothing) {
  Use(Where(8, 8), Band(8, 8, 4, 7, kArea1), Wave(2, true, true));
  StartAt(0);
  engine.Frame(33);
  const TBitmap32 last = engine.Output();
  engine.Unbind();
  project.Picture() = TBitmap32();  // the project is loaded anew
  engine.Frame(66);
  engine.Reset();
  EXPECT_EQ(engine.Output(), last);
  TAnimEngine fresh;
  fresh.Frame(10);
  fresh.Reset();
  fresh.Start(0);
  EXPECT_TRUE(fresh.Output().Empty());
}

}  // namespace
