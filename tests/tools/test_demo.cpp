// qvtool demo: the bundled screensaver carries a living picture between its
// still ones, with the files it names, and plays it.
#include <gtest/gtest.h>

#include "animation/uProject.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/SteppedWorkers.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;

namespace {

TEST(Demo, CarriesALivingPictureWithWaterObjectsSnowAndASound) {
  qvtest::TempDir dir;
  auto made = RunCommand(std::string(QV_QVTOOL) + " demo --engine " + Quote(QV_QVSAVER) + " --out " +
                             Quote(dir.file("demo.scr")) + " --sources " + Quote(dir.file("src")),
                         dir);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  auto info = RunCommand(std::string(QV_QVTOOL) + " info " + Quote(dir.file("demo.scr")), dir);
  ASSERT_EQ(info.exitCode, 0) << info.err;
  // Second of four, between still pictures.
  EXPECT_NE(info.out.find("\"name\":\"QVImage0.jpg\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"name\":\"QVImage1.qvp\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"name\":\"QVImage2.bmp\""), std::string::npos) << info.out;

  qv::platform::TManualClock clock;
  qv::platform::TSteppedWorkers workers(clock);
  qv::TProject living({&clock, &workers, {}});
  ASSERT_TRUE(living.Load(dir.file("src/winter-lake.qvp"))) << living.LoadError();
  EXPECT_TRUE(living.Area(0).Reflection);
  EXPECT_TRUE(living.Area(0).Perspective);
  EXPECT_FALSE(living.Area(1).Reflection);
  int pixels[3] = {};
  for (int y = 0; y < living.Mask().Height(); ++y)
    for (int x = 0; x < living.Mask().Width(); ++x) {
      const uint32_t v = living.Mask().Pixel(x, y);
      ++pixels[v == qv::kAreaColors[0] ? 1 : v == qv::kAreaColors[1] ? 2 : 0];
    }
  EXPECT_GT(pixels[1], living.Mask().Width() * living.Mask().Height() / 5) << "the lake";
  EXPECT_GT(pixels[2], 1000) << "the brook";
  EXPECT_EQ(living.Weather().Kind, 1);
  ASSERT_EQ(living.Objects().Count(), 2u);
  EXPECT_EQ(living.Objects()[0].Type(), "GIF");
  ASSERT_EQ(living.SoundCount(), 1);
  EXPECT_EQ(living.Sound(0).PlayMode, 0);

  // Played headless: the sea, then every frame of the living picture.
  auto rendered = RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("demo.scr")) +
                                 " --size 320x180 --seconds 15 --every 1000 --out " + Quote(dir.file("frames")),
                             dir);
  ASSERT_EQ(rendered.exitCode, 0) << rendered.err;
  const size_t at = rendered.out.find("\"frames\":");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(std::stoi(rendered.out.substr(at + 9)), 150) << rendered.out;
}

}  // namespace
