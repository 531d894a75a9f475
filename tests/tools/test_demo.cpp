// qvtool demo: the bundled screensaver carries a living picture between its
// still ones, with the files it names, and plays it. Its sounds are music or
// water at a sane level, its lake mirrors the shore without tearing, its
// brook's waves move water only, and it is the same file every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "animation/uAnimEngine.h"
#include "animation/uProject.h"
#include "common/Limits.h"
#include "graphics/SoundFormats/uWave.h"
#include "platform/Files.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;

namespace {

qvtest::RunResult MakeDemo(const qvtest::TempDir& dir, const std::string& out, const std::string& sources) {
  return RunCommand(std::string(QV_QVTOOL) + " demo --engine " + Quote(QV_QVSAVER) + " --out " + Quote(dir.file(out)) +
                        (sources.empty() ? "" : " --sources " + Quote(dir.file(sources))),
                    dir);
}

// The demo is made once for all its tests, with its sources kept.
class Demo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new qvtest::TempDir;
    made_ = MakeDemo(*dir_, "demo.scr", "src");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(made_.exitCode, 0) << made_.err; }

  static std::string File(const std::string& name) { return dir_->file(name); }

  // The living picture, loaded as the saver loads it, without its objects.
  struct Living {
    qv::TProject project;
  };
  static void LoadLiving(Living& living) {
    ASSERT_TRUE(living.project.Load(File("src/winter-lake.qvp"))) << living.project.LoadError();
  }

  static qvtest::TempDir* dir_;
  static qvtest::RunResult made_;
};

qvtest::TempDir* Demo::dir_ = nullptr;
qvtest::RunResult Demo::made_;

TEST_F(Demo, CarriesALivingPictureWithWaterObjectsSnowAndASound) {
  auto info = RunCommand(std::string(QV_QVTOOL) + " info " + Quote(File("demo.scr")), *dir_);
  ASSERT_EQ(info.exitCode, 0) << info.err;
  // Second of four, between still pictures.
  EXPECT_NE(info.out.find("\"name\":\"QVImage0.jpg\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"name\":\"QVImage1.qvp\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"name\":\"QVImage2.bmp\""), std::string::npos) << info.out;

  Living living;
  LoadLiving(living);
  const qv::TProject& p = living.project;
  EXPECT_TRUE(p.Area(0).Reflection);
  EXPECT_TRUE(p.Area(0).Perspective);
  EXPECT_FALSE(p.Area(1).Reflection);
  int pixels[3] = {};
  for (int y = 0; y < p.Mask().Height(); ++y)
    for (int x = 0; x < p.Mask().Width(); ++x) {
      const uint32_t v = p.Mask().Pixel(x, y);
      ++pixels[v == qv::kAreaColors[0] ? 1 : v == qv::kAreaColors[1] ? 2 : 0];
    }
  EXPECT_GT(pixels[1], p.Mask().Width() * p.Mask().Height() / 5) << "the lake";
  EXPECT_GT(pixels[2], 1000) << "the brook";
  EXPECT_EQ(p.Weather().Kind, 1);
  ASSERT_EQ(p.Objects().size(), 2u);
  EXPECT_EQ(p.Objects()[0].Type, qv::TObjectType::Gif);
  ASSERT_EQ(p.SoundCount(), 1);
  EXPECT_EQ(p.Sound(0).PlayMode, 0);

  // Played headless: the sea, then every frame of the living picture.
  auto rendered = RunCommand(std::string(QV_QVTOOL) + " render " + Quote(File("demo.scr")) +
                                 " --size 320x180 --seconds 15 --every 1000 --out " + Quote(File("frames")),
                             *dir_);
  ASSERT_EQ(rendered.exitCode, 0) << rendered.err;
  const size_t at = rendered.out.find("\"frames\":");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(std::stoi(rendered.out.substr(at + 9)), 150) << rendered.out;
}

TEST_F(Demo, IsTheSameFileEveryTime) {
  auto again = MakeDemo(*dir_, "again.scr", "");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  const std::string first = qvtest::ReadFile(File("demo.scr")), second = qvtest::ReadFile(File("again.scr"));
  EXPECT_GT(first.size(), 100000u);
  EXPECT_TRUE(first == second) << "the two runs differ";
}

// The mean over 512-sample frames (Hann window, the constant left out) of the
// spectral flatness: the geometric over the arithmetic mean of the power
// spectrum. Near 0.56 for white noise, near 0 for tones. Frames quieter
// than -60 dBFS are passed over.
double SpectralFlatness(const std::vector<double>& samples) {
  constexpr size_t kN = 512;
  std::vector<double> cosine(kN), sine(kN), window(kN), frame(kN);
  for (size_t i = 0; i < kN; ++i) {
    const double a = 2 * std::numbers::pi * static_cast<double>(i) / kN;
    cosine[i] = std::cos(a);
    sine[i] = std::sin(a);
    window[i] = 0.5 - 0.5 * std::cos(a);
  }
  double sum = 0;
  int frames = 0;
  for (size_t at = 0; at + kN <= samples.size(); at += kN) {
    double energy = 0;
    for (size_t i = 0; i < kN; ++i) {
      energy += samples[at + i] * samples[at + i];
      frame[i] = samples[at + i] * window[i];
    }
    if (energy / kN < 1e-6) continue;
    double logs = 0, powers = 0;
    for (size_t k = 1; k < kN / 2; ++k) {
      double re = 0, im = 0;
      for (size_t n = 0, j = 0; n < kN; ++n, j = (j + k) % kN) {
        re += frame[n] * cosine[j];
        im -= frame[n] * sine[j];
      }
      const double power = re * re + im * im + 1e-20;
      logs += std::log(power);
      powers += power;
    }
    constexpr double kBins = kN / 2 - 1;
    sum += std::exp(logs / kBins) / (powers / kBins);
    ++frames;
  }
  return frames > 0 ? sum / frames : 1.0;
}

TEST_F(Demo, EverySoundIsMusicOrWaterAtASaneLevel) {
  // White noise, measured the same way, for comparison.
  std::vector<double> noise(4 * 22050);
  uint32_t seed = 1;
  for (double& v : noise) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
  }
  const double noiseFlatness = SpectralFlatness(noise);
  EXPECT_GT(noiseFlatness, 0.4);

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(File("src")))
    if (entry.path().extension() == ".wav") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"evening.wav", "lapping.wav", "morning.wav"}));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    qv::TWave wave;
    wave.LoadFromBytes(qv::platform::ReadWholeFile(File("src/" + name), qv::kMaxWaveBytes));
    const qv::TWaveFormat format = qv::ParseWaveFormat(wave.format);
    ASSERT_EQ(format.bitsPerSample, 16);
    const std::vector<int16_t> pcm = qv::ConvertToPcm16(wave, format.rate, 1);
    ASSERT_GT(pcm.size(), static_cast<size_t>(format.rate)) << "at least a second";
    int peak = 0, clipped = 0;
    std::vector<double> samples;
    for (int16_t s : pcm) {
      peak = std::max(peak, std::abs(static_cast<int>(s)));
      clipped += s >= 32767 || s <= -32767;
      samples.push_back(s / 32768.0);
    }
    const double peakDb = 20 * std::log10(std::max(peak, 1) / 32768.0);
    EXPECT_LE(peakDb, -1.0) << "peak";
    EXPECT_GE(peakDb, -20.0) << "heard at all";
    EXPECT_EQ(clipped, 0);
    const double flatness = SpectralFlatness(samples);
    EXPECT_LT(flatness, noiseFlatness / 10) << "sounds like noise (white noise: " << noiseFlatness << ")";
  }
}

// Every pixel says its row: what the lake shows then says which row of the
// shore it mirrors.
void CodeRows(qv::TBitmap32& picture) {
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(y));
}

// Pixels of `area` whose square of `reach` pixels around lies all in it: the
// waves always find their source there.
std::vector<bool> DeepIn(const qv::TBitmap32& mask, uint32_t area, int reach) {
  const int w = mask.Width(), h = mask.Height();
  std::vector<bool> across(static_cast<size_t>(w) * h), deep(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0, run = 0; x < w; ++x) {
      run = mask.Pixel(x, y) == area ? run + 1 : 0;
      if (run > 2 * reach) across[static_cast<size_t>(y) * w + x - reach] = true;
    }
  for (int x = 0; x < w; ++x)
    for (int y = 0, run = 0; y < h; ++y) {
      run = across[static_cast<size_t>(y) * w + x] ? run + 1 : 0;
      if (run > 2 * reach) deep[static_cast<size_t>(y - reach) * w + x] = true;
    }
  return deep;
}

TEST_F(Demo, TheLakeMirrorsTheShoreWithoutTearingOnLargeScreens) {
  // Going down the water the mirrored rows move up the shore, a row at a
  // time or pausing a row; where waves stack too steeply they run backwards
  // and stall for many rows, and the reflection tears into bands.
  for (auto [width, height] : {std::pair{1920, 1080}, {3840, 2160}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Living living;
    LoadLiving(living);
    qv::TProject& p = living.project;
    p.Objects().clear();
    qv::TAnimEngine::FitProject(true, p, width, height);
    CodeRows(p.Picture());
    const std::vector<bool> deep = DeepIn(p.Mask(), qv::kAreaColors[0], p.Area(0).Amplitude);
    qv::TAnimEngine engine;
    engine.Bind(p);
    engine.SetWeather(false);
    engine.Start(0);
    int backwards = 0, longestStall = 0, checked = 0;
    // A whole turn of the waves, in steps of 200 ms.
    for (uint32_t now = 200; now <= 200 * 15; now += 200) {
      engine.Frame(now);
      const qv::TBitmap32& frame = engine.FrameBuffer();
      for (int x = 0; x < width; ++x)
        for (int y = 0, stall = 0; y + 1 < height; ++y) {
          if (!deep[static_cast<size_t>(y) * width + x] || !deep[static_cast<size_t>(y + 1) * width + x]) {
            stall = 0;
            continue;
          }
          ++checked;
          const uint32_t here = frame.Pixel(x, y) & 0xFFFFFF, below = frame.Pixel(x, y + 1) & 0xFFFFFF;
          backwards += below > here;
          stall = below >= here ? stall + 1 : 0;
          longestStall = std::max(longestStall, stall);
        }
    }
    EXPECT_GT(checked, width * height / 10);
    EXPECT_EQ(backwards, 0);
    EXPECT_LE(longestStall, 2);
  }
}

TEST_F(Demo, TheBrooksWavesMoveOnlyItsDarkWater) {
  // The brook's area ends inside the water, where the picture has drawn it
  // dark and calm: its edge, smoothed into the snow, stays where it is.
  Living living;
  LoadLiving(living);
  const qv::TBitmap32& mask = living.project.Mask();
  const qv::TBitmap32& picture = living.project.Picture();
  const uint32_t brook = qv::kAreaColors[1];
  int edge = 0, bright = 0;
  for (int y = 1; y + 1 < mask.Height(); ++y)
    for (int x = 1; x + 1 < mask.Width(); ++x) {
      if (mask.Pixel(x, y) != brook) continue;
      if (mask.Pixel(x - 1, y) == brook && mask.Pixel(x + 1, y) == brook && mask.Pixel(x, y - 1) == brook &&
          mask.Pixel(x, y + 1) == brook)
        continue;
      ++edge;
      const uint32_t c = picture.Pixel(x, y);
      const double luma = 0.299 * (c >> 16 & 0xFF) + 0.587 * (c >> 8 & 0xFF) + 0.114 * (c & 0xFF);
      bright += luma > 100;
    }
  EXPECT_GT(edge, 500);
  EXPECT_EQ(bright, 0) << "of " << edge << " pixels on the area's edge";
}

}  // namespace
