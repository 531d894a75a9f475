#include "transitions/uTransitionRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Pictures.h"
#include "common/Error.h"
#include "common/Random.h"

using qv::TBitmap32;
using Numbers = std::vector<int>;
using Strings = std::vector<std::string>;

TEST(LoadEffectList, SplitsAtCommasAndBlanks) {
  EXPECT_EQ(qv::LoadEffectList("5"), Numbers{5});
  EXPECT_EQ(qv::LoadEffectList("1,2, 3 4,\t169 "), (Numbers{1, 2, 3, 4, 169}));
}

TEST(LoadEffectList, DoubleQuotesGroupAnItem) {
  EXPECT_EQ(qv::LoadEffectList("\"7\",\"12\" 3"), (Numbers{7, 12, 3}));
  EXPECT_EQ(qv::LoadEffectList("\"7 8\",9"), Numbers{9});  // "7 8" is one item, not a number
}

TEST(LoadEffectList, AnEmptyListPlaysFade) {
  EXPECT_EQ(qv::LoadEffectList(""), Numbers{1});
  EXPECT_EQ(qv::LoadEffectList("  , ,"), Numbers{1});
}

TEST(LoadEffectList, DropsItemsThatAreNoEffectNumber) {
  EXPECT_EQ(qv::LoadEffectList("0,170,-3,abc,12x,,99999999999,2"), Numbers{2});
  EXPECT_EQ(qv::LoadEffectList("0,170"), Numbers{1});
  EXPECT_EQ(qv::LoadEffectList("+4,007"), (Numbers{4, 7}));
}

TEST(PickEffect, DrawsTheItemFromTheSharedGenerator) {
  const Numbers list{10, 20, 30, 40};
  qv::RandSeed = 777;
  const uint32_t index = qv::Random(4);
  qv::RandSeed = 777;
  EXPECT_EQ(qv::PickEffect(list), list[index]);
  EXPECT_EQ(qv::PickEffect(Numbers{4}), 4);
  EXPECT_EQ(qv::PickEffect(Numbers{}), 1);
}

TEST(EffectNumber, ReadsOnlyWholeNumbersOfTheTable) {
  EXPECT_EQ(qv::EffectNumber("+4"), 4);
  EXPECT_EQ(qv::EffectNumber("169"), 169);
  EXPECT_EQ(qv::EffectNumber("x"), 0);
  EXPECT_EQ(qv::EffectNumber("170"), 0);
  EXPECT_EQ(qv::EffectNumber("0"), 0);
  EXPECT_EQ(qv::EffectNumber(""), 0);
}

TEST(StepPercent, FortyStepsRoundHalvesToEven) {
  std::vector<int> percents;
  for (int i = 1; i <= 40; ++i) percents.push_back(qv::StepPercent(i, 40));
  EXPECT_EQ(std::vector<int>(percents.begin(), percents.begin() + 6),
            (std::vector<int>{2, 5, 8, 10, 12, 15}));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(qv::StepPercent(1, 8), 12);  // 12.5
  EXPECT_EQ(qv::StepPercent(3, 8), 38);  // 37.5
}

TEST(ProgressAt, FollowsTheDiagonalFromTheLongerSide) {
  EXPECT_EQ(qv::ProgressAt(1024, 768, 50).X, 512);
  EXPECT_EQ(qv::ProgressAt(1024, 768, 50).Y, 384);
  EXPECT_EQ(qv::ProgressAt(768, 1024, 50).Y, 512);
  EXPECT_EQ(qv::ProgressAt(768, 1024, 50).X, 384);
  // 1366 * 33 / 100 = 450.78 -> 451, then 451 * 768 / 1366 = 253.56 -> 254
  EXPECT_EQ(qv::ProgressAt(1366, 768, 33).X, 451);
  EXPECT_EQ(qv::ProgressAt(1366, 768, 33).Y, 254);
  EXPECT_EQ(qv::ProgressAt(1366, 768, 100).Y, 768);
}

namespace {

// A window on a manual clock: each presented frame costs frameCost ms (the
// first one firstCost, when set); it records what it was asked to do.
class TTestHost : public qv::ITransitionHost {
 public:
  int width = 64, height = 48;
  uint32_t clock = 0xFFFFFF00u;  // close to wrapping
  uint32_t frameCost = 33, firstCost = 0, renderCost = 0;
  bool animated = false;
  int offX = 5, offY = 3;
  std::vector<std::string> log;
  std::vector<TBitmap32> presented;
  int newDraws = 0;

  uint32_t TickCount() override { return clock; }
  void ProcessMessages() override { log.push_back("messages"); }
  void FrameSize(int& w, int& h) override { w = width, h = height; }
  void CaptureScreen(TBitmap32& old) override {
    log.push_back("capture");
    old.Clear(0xFF101010u);
  }
  void PictureOffset(int& x, int& y) override { x = offX, y = offY; }
  bool NewIsAnimated() override { return animated; }
  void DrawNewPicture(TBitmap32& fresh, int x, int y) override {
    log.push_back("new");
    EXPECT_EQ(fresh.Pixel(0, 0), 0xFF000000u) << "New starts black";
    fresh.SetPixel(x, y, 0xFF0000FFu + static_cast<uint32_t>(newDraws++));
    clock += renderCost;
  }
  void Present(const TBitmap32& work) override {
    log.push_back("present");
    presented.push_back(work);
    clock += (presented.size() == 1 && firstCost) ? firstCost : frameCost;
  }
};

// Records the Percent, X and Y of every call instead of drawing.
struct TCall {
  int W, H, X, Y, Percent;
};
std::vector<TCall> gCalls;  // test-only record of the recording effect's calls
void Record(TBitmap32&, const TBitmap32&, int W, int H, int X, int Y, int Percent) {
  gCalls.push_back({W, H, X, Y, Percent});
}
const qv::TEffect kRecording[] = {{"Record", Record}, {"Record too", Record}};

}  // namespace

class Runner : public ::testing::Test {
 protected:
  TTestHost host;
  TBitmap32 old, fresh, work;
  void SetUp() override { gCalls.clear(); }
};

TEST_F(Runner, FramesCostingThe33MsOfTheManualClockGiveTimeDiv34Steps) {
  qv::TTransitionRunner runner(host, old, fresh, work);
  runner.RunTransition(2000, Numbers{1});
  EXPECT_EQ(runner.Steps(), 2000 / 34);
  EXPECT_EQ(host.presented.size(), 1u + 2000 / 34);
  runner.RunTransition(33, Numbers{1});
  EXPECT_EQ(runner.Steps(), 0);
}

TEST_F(Runner, AFirstFrameOf49MsOver2000MsGives40StepsEndingAt100) {
  host.firstCost = 49;
  qv::TTransitionRunner runner(host, old, fresh, work, kRecording);
  runner.RunTransition(2000, Numbers{2});
  EXPECT_EQ(runner.Steps(), 40);
  ASSERT_EQ(gCalls.size(), 41u);
  std::vector<int> percents;
  for (const TCall& c : gCalls) percents.push_back(c.Percent);
  EXPECT_EQ(std::vector<int>(percents.begin(), percents.begin() + 7),
            (std::vector<int>{0, 2, 5, 8, 10, 12, 15}));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(gCalls.back().X, 64);
  EXPECT_EQ(gCalls.back().Y, 48);
  EXPECT_EQ(gCalls[20].Percent, 50);
  EXPECT_EQ(gCalls[20].X, 32);
  EXPECT_EQ(gCalls[20].Y, 24);
}

TEST_F(Runner, ATimeNoLongerThanTheFirstFrameLeavesOnlyTheZeroFrame) {
  host.frameCost = 99;
  qv::TTransitionRunner runner(host, old, fresh, work, kRecording);
  runner.RunTransition(100, Numbers{1});
  EXPECT_EQ(runner.Steps(), 1);
  runner.RunTransition(99, Numbers{1});
  EXPECT_EQ(runner.Steps(), 0);
  runner.RunTransition(-500, Numbers{1});
  EXPECT_LE(runner.Steps(), 0);
  EXPECT_EQ(host.presented.size(), 2u + 1 + 1);
}

TEST_F(Runner, PreparesThenProcessesMessagesAfterEveryTimedFrame) {
  host.frameCost = 500;
  qv::TTransitionRunner runner(host, old, fresh, work);
  runner.RunTransition(1600, Numbers{1});  // 1600 div 501 = 3 steps
  EXPECT_EQ(host.log, (Strings{"messages", "messages", "capture", "messages", "new", "present",
                               "present", "messages", "present", "messages", "present", "messages"}));
  EXPECT_EQ(old.Width(), 64);
  EXPECT_EQ(fresh.Height(), 48);
  EXPECT_EQ(runner.OffX(), 5);
  EXPECT_EQ(runner.OffY(), 3);
}

TEST_F(Runner, EveryFrameStartsAgainFromTheOldPictureAndEndsOnTheNewOne) {
  qv::TTransitionRunner runner(host, old, fresh, work);
  runner.RunTransition(200, Numbers{1});
  ASSERT_EQ(host.presented.size(), 1u + 200 / 34);
  EXPECT_EQ(host.presented.front(), old);
  EXPECT_EQ(host.presented.back(), fresh);
  EXPECT_EQ(fresh.Pixel(5, 3), 0xFF0000FFu) << "the picture lies at the offset";
}

TEST_F(Runner, AnAnimatedItemIsRenderedAfterTheClockStartsAndBeforeEveryFrame) {
  host.animated = true;
  host.renderCost = 30;
  host.frameCost = 20;
  qv::TTransitionRunner runner(host, old, fresh, work);
  runner.RunTransition(510, Numbers{1});  // first frame 30 + 20 ms: 510 div 51 = 10
  EXPECT_EQ(runner.Steps(), 10);
  EXPECT_EQ(host.newDraws, 11);
}

TEST_F(Runner, PicksItsEffectFromTheListWithTheSharedGenerator) {
  qv::TTransitionRunner runner(host, old, fresh, work, kRecording);
  const Numbers list{1, 2};
  qv::RandSeed = 31337;
  const int expected = 1 + static_cast<int>(qv::Random(2));
  qv::RandSeed = 31337;
  runner.RunTransition(100, list);
  EXPECT_EQ(runner.EffectN(), expected);
}

TEST_F(Runner, ANumberOutsideTheTableRaisesBeforeAnyFrame) {
  qv::TTransitionRunner runner(host, old, fresh, work);
  EXPECT_THROW(runner.RunTransition(1000, Numbers{170}), qv::EQVError);
  EXPECT_TRUE(host.presented.empty());
}
