#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "animation/uFileLoader.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
namespace fs = std::filesystem;

namespace {

class Render : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  void SetUp() override {
    std::string pictures;
    for (uint32_t colour : {0xFFFF8000u, 0xFF0080FFu, 0xFF20C040u}) {
      qv::TBitmap32 b(40, 30);
      b.Clear(colour);
      const std::string name = dir.file(std::to_string(colour) + ".bmp");
      qv::SaveBMP32(b, name);
      pictures.append(" ").append(Quote(name));
    }
    // A 340 ms transition on 33 ms frames has 340 div 34 = 10 steps.
    qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=1\r\nTransitionTime=340\r\nTransitionEffects=1,3,168\r\n");
    auto packed = RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                 Quote(dir.file("r.scr")) + " --settings " + Quote(dir.file("s.ini")) + pictures,
                             dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }
  qvtest::RunResult RenderTo(const std::string& out, const std::string& extra = "") {
    return RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("r.scr")) +
                          " --size 64x48 --seconds 6 --every 5 --out " + Quote(dir.file(out)) + " " + extra,
                      dir);
  }
};

TEST_F(Render, TheSameFileSizeAndSeedGiveTheSameFrames) {
  auto first = RenderTo("a", "--seed 3"), second = RenderTo("b", "--seed 3");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, second.out);
  // Six simulated seconds: the black the window opens with, the first
  // picture, then four changes, each 11 transition frames and the picture
  // it shows; a still picture is presented once. Every fifth one written.
  EXPECT_NE(first.out.find("\"frames\":50,\"written\":10,"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("\"seconds\":6}"), std::string::npos);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir.file("a"))) {
    ++files;
    EXPECT_EQ(qvtest::ReadFile(entry.path().string()),
              qvtest::ReadFile(dir.file("b/") + entry.path().filename().string()));
  }
  EXPECT_EQ(files, 10);
  EXPECT_TRUE(fs::exists(dir.file("a/frame-00000.bmp")));
  EXPECT_TRUE(fs::exists(dir.file("a/frame-00009.bmp")));
}

TEST_F(Render, ReportsEveryTransitionWithItsEffect) {
  auto r = RenderTo("c");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Each change waits a whole second and then takes 11 frames of transition.
  EXPECT_NE(r.out.find("\"transitions\":4,"), std::string::npos) << r.out;
  const size_t list = r.out.find("\"effects\":[");
  ASSERT_NE(list, std::string::npos);
  for (size_t i = list + 11; r.out[i] != ']'; ++i) {
    if (r.out[i] != ',') {
      EXPECT_NE(std::string("0123456789").find(r.out[i]), std::string::npos);
    }
  }
}

TEST_F(Render, BadArgumentsAreRefused) {
  EXPECT_EQ(RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("r.scr")) + " --size 10 --seconds 1 --out x",
                       dir)
                .exitCode,
            2);
  EXPECT_EQ(RunCommand(std::string(QV_QVTOOL) + " render " + Quote(QV_QVSAVER) + " --size 64x48 --seconds 1 --out " +
                           Quote(dir.file("d")),
                       dir)
                .exitCode,
            2);
}

// A living picture of water with reflection and jitter, a GIF that wanders
// and one that bounces, and snow: everything that moves on its own clock.
TEST(RenderAnimated, AnAnimatedItemGivesTheSameMovingFramesEveryRun) {
  qvtest::TempDir dir;
  qv::TProjectFileParts parts;
  qv::TBitmap32 picture(80, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) picture.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x * 3) << 8 | static_cast<uint32_t>(y * 4));
  parts.picture = qv::EncodeJPEG(picture, 95);
  parts.preview = qv::EncodeJPEG(picture, 60);
  qv::TBitmap32 mask(80, 60);
  for (int y = 30; y < 60; ++y)
    for (int x = 0; x < 80; ++x) mask.SetPixel(x, y, qv::kAreaColors[0]);
  parts.mask = qv::EncodeMask(mask);
  parts.areas[0] = {3, 3, 12, 1, true, true, true, 360, 2, true};
  parts.weather = {1, 60, 5, 0, 0, 0};
  std::vector<qv::TBitmap32> frames;
  for (uint32_t c : {0xFFFFFFFFu, 0xFFFFFF00u}) {
    frames.emplace_back(6, 4);
    frames.back().Clear(c);
  }
  const std::vector<uint8_t> gif = qv::EncodeGIF(frames, 100);
  qvtest::WriteFile(dir.file("gull.gif"), std::string(gif.begin(), gif.end()));
  parts.objects =
      "[Obj0]\nObjType=GIF\nFilename=C:\\Art\\gull.gif\nMotion=1\nMotionSpeed=50\nPosLeft=40\nPosTop=15\n"
      "[Obj1]\nObjType=GIF\nFilename=gull.gif\nMotion=2\nMotionSpeed=30\nPosLeft=20\nPosTop=20\nDirFlip=1\n";
  const std::vector<uint8_t> qvp = qv::EncodeProjectFile(parts);
  qvtest::WriteFile(dir.file("harbour.qvp"), std::string(qvp.begin(), qvp.end()));
  qvtest::WriteFile(dir.file("s.ini"), "[Default]\r\nDuration=60\r\nStretch=1\r\nProportional=1\r\n");
  auto packed = RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                               Quote(dir.file("a.scr")) + " --settings " + Quote(dir.file("s.ini")) + " --extra " +
                               Quote(dir.file("gull.gif")) + " " + Quote(dir.file("harbour.qvp")),
                           dir);
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  auto render = [&](const std::string& out) {
    return RunCommand(std::string(QV_QVTOOL) + " render " + Quote(dir.file("a.scr")) +
                          " --size 160x120 --seconds 3 --every 10 --seed 9 --out " + Quote(dir.file(out)),
                      dir);
  };
  auto first = render("a"), second = render("b");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, second.out);
  // Presented every pass: the black the window opens with, then a frame
  // every 33 ms for 3 s.
  EXPECT_NE(first.out.find("\"frames\":91,"), std::string::npos) << first.out;
  std::set<std::string> distinct;
  for (const auto& entry : fs::directory_iterator(dir.file("a"))) {
    const std::string bytes = qvtest::ReadFile(entry.path().string());
    EXPECT_EQ(bytes, qvtest::ReadFile(dir.file("b/") + entry.path().filename().string())) << entry.path();
    distinct.insert(bytes);
  }
  EXPECT_EQ(distinct.size(), 10u) << "every frame written differs from the others";
}

}  // namespace
