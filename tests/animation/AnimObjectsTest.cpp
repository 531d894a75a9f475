#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "Fixtures.h"
#include "animation/uAnimObjects.h"
#include "common/Random.h"
#include "platform/Clock.h"
#include "platform/ThreadWorker.h"

namespace {

using qv::TAnimObject;
using qv::TAnimObjects;
using qv::TBitmap32;
using qv::TGifObject;
using qv::TImgObject;
using qvtest::TSteppedWorld;

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;

// A 100 x 80 picture, shown at its own size.
constexpr int kPicW = 100, kPicH = 80;

class Objects : public ::testing::Test {
 protected:
  TSteppedWorld world;
  qvtest::TLiveObjects objects{world.env()};

  // Loads one object of `type` from key lines, with a 10 x 6 red sprite on
  // a blue key at its bottom-left corner, and starts it.
  TAnimObject& One(const std::string& keys, const std::string& type = "IMG", bool run = true) {
    TBitmap32 sprite = qvtest::Filled(10, 6, kRed);
    sprite.SetPixel(0, 5, kBlue);
    qvtest::WriteBmp(world.dir, "sprite.bmp", sprite);
    objects.Load("[Obj0]\nObjType=" + type + "\nFilename=sprite.bmp\n" + keys);
    EXPECT_EQ(objects.Count(), 1u);
    TAnimObject& o = objects[0];
    o.SetDisplay({0, 0, kPicW, kPicH}, kPicW, kPicH);
    if (run) o.Run();
    return o;
  }
};

TEST_F(Objects, SectionsAreTriedByNumberUpToTheSectionCount) {
  objects.Load("[Obj0]\nObjType=IMG\n[Obj2]\nObjType=GIF\n");
  ASSERT_EQ(objects.Count(), 1u) << "two sections: Obj0 and Obj1 are tried";
  EXPECT_EQ(objects[0].Type(), "IMG");

  objects.Load("[Obj0]\nObjType=IMG\nMotion=1\n[Obj1]\nObjType=Sprite\nMotion=4\n[Obj2]\nObjType=GIF\nMotion=7\n");
  ASSERT_EQ(objects.Count(), 2u) << "an unknown type creates nothing";
  EXPECT_EQ(objects[1].Type(), std::string("GIF"));
  EXPECT_EQ(objects[1].Number(), 1) << "numbered by its list position";
  EXPECT_EQ(objects[1].Description().Motion, 7) << "the object reads its own section, not its neighbour's";

  objects.Load("[obj0]\nObjType=gif\n[OBJ1]\nObjType=IMG\n");
  ASSERT_EQ(objects.Count(), 1u) << "section names ignore case, the type does not";
  objects.Load("");
  EXPECT_TRUE(objects.Empty());
}

TEST_F(Objects, AThousandSectionsMakeAtMostTheCappedNumberOfObjects) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "[Obj" + std::to_string(i) + "]\nObjType=IMG\n";
  objects.Load(text);
  EXPECT_EQ(objects.Count(), qv::kMaxAnimObjects);
}

TEST_F(Objects, MissingKeysTakeTheirDefaultsAndByteKeysKeepTheirLowBits) {
  objects.Load("[Obj0]\nObjType=IMG\n[Obj1]\nObjType=GIF\n");
  const qv::TObjectDescription& img = objects[0].Description();
  EXPECT_EQ(img.Speed, 10);
  EXPECT_EQ(img.WidthSize, 100);
  EXPECT_EQ(img.PosLeft, 100);
  EXPECT_EQ(img.ObjFacing, 1);
  EXPECT_EQ(img.Opacity, 10);
  EXPECT_EQ(img.DisplayDurationSec, 60);
  EXPECT_EQ(img.DisplayDurationCycle, 10);
  EXPECT_EQ(img.MotionSpeed, 10);
  EXPECT_TRUE(img.Redisplay && img.ResetPos && img.RestrictArea && img.Transparent && img.Scaled);
  EXPECT_FALSE(img.DirFlip);
  EXPECT_EQ(img.TransparentType, 1);
  EXPECT_EQ(objects[1].Description().TransparentType, 0);
  EXPECT_EQ(objects[1].Description().AnimSpeed, 10);
  EXPECT_FALSE(objects[1].Description().RefreshFrame);

  objects.Load(
      "[Obj0]\nObjType=IMG\nScaled=0\nMotion=265\nOpacity=ten\nPosLeft=99999999999\nWidthSize=$20\n"
      "DIsplayDurationCycle=3\nInitialDir=-1\nFilename=\"a b.bmp\"\n");
  const qv::TObjectDescription& d = objects[0].Description();
  EXPECT_TRUE(d.Scaled) << "Scaled is always true after reading";
  EXPECT_EQ(d.Motion, 9) << "265 in a byte";
  EXPECT_EQ(d.Opacity, 10) << "not a number: the default";
  EXPECT_EQ(d.PosLeft, 100) << "beyond 32 bits: the default";
  EXPECT_EQ(d.WidthSize, 32);
  EXPECT_EQ(d.DisplayDurationCycle, 3);
  EXPECT_EQ(d.InitialDir, 255);
  EXPECT_EQ(d.Filename, "a b.bmp");
}

TEST(ObjectDescriptions, KeysWithoutADefaultKeepTheCurrentValueWhenReadAgain) {
  std::vector<qv::TObjectDescription> list =
      qv::ReadObjectDescriptions("[Obj0]\nObjType=IMG\nWidth=33\nSpeed=70\nMoveAreaRectright=50\nTransparentColor=255\n");
  ASSERT_EQ(list.size(), 1u);
  qv::TObjectDescription& d = list[0];
  qv::ReadObjectDescription(qv::TIniFile::FromText("[Obj0]\nHeight=4\n"), 0, d);
  EXPECT_EQ(d.Width, 33);
  EXPECT_EQ(d.MoveAreaRectright, 50);
  EXPECT_EQ(d.TransparentColor, 255);
  EXPECT_EQ(d.Height, 4);
  EXPECT_EQ(d.Speed, 10) << "a key with a default goes back to it";
}

// Reading an animated picture's objects starts nothing: they are data until
// the engine plays the picture.
TEST(ObjectDescriptions, ReadingAHundredObjectsMakesNoWorker) {
  qvtest::TSteppedWorld world;
  std::string text;
  for (int i = 0; i < 100; ++i) text += "[Obj" + std::to_string(i) + "]\nObjType=GIF\nFilename=x.gif\n";
  EXPECT_EQ(qv::ReadObjectDescriptions(text).size(), 100u);
  EXPECT_EQ(world.workers.Alive(), 0u);
  qv::TAnimObjects live(world.env(), qv::ReadObjectDescriptions(text));
  EXPECT_EQ(world.workers.Alive(), 100u) << "one each once they play";
}

TEST_F(Objects, WriteGivesEveryKeyInItsOrderWithTheTypeKeysLast) {
  objects.Load("[Obj0]\nObjType=GIF\nDirFlip=7\nFilename=f.gif\n");
  const std::string text = objects[0].Write();
  std::vector<std::string> keys;
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
    const size_t start = ++at;
    const size_t eq = text.find('=', start);
    if (eq != std::string::npos && eq < text.find('\n', start)) keys.push_back(text.substr(start, eq - start));
  }
  const std::vector<std::string> expected = {
      "Left", "Top", "Width", "Height", "Scaled", "MoveAreaRectleft", "MoveAreaRecttop", "MoveAreaRectright",
      "MoveAreaRectbottom", "WidthSize", "HeightSize", "Speed", "InitialPos", "InitialDir", "PosLeftType",
      "PosTopType", "PosLeft", "PosTop", "ObjFacing", "Opacity", "DisplaySec", "DisplayDurationType",
      "DisplayDurationSec", "DIsplayDurationCycle", "Motion", "MotionSpeed", "MotionAreaType", "DirFlip",
      "Redisplay", "ResetPos", "RestrictArea", "ObjType", "Filename", "AnimSpeed", "Transparent",
      "TransparentType", "TransparentColor", "RefreshFrame"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(text.substr(0, 6), "[Obj0]");
  EXPECT_NE(text.find("DirFlip=1\r\n"), std::string::npos) << "booleans as INI booleans";
  EXPECT_NE(text.find("InitialPos=0\r\n"), std::string::npos);
  // What Write gives, Read takes back.
  qvtest::TLiveObjects again(world.env());
  again.Load(text);
  ASSERT_EQ(again.Count(), 1u);
  EXPECT_EQ(again[0].Write(), text);

  again.Load(std::string("[Obj0]\nObjType=IMG\nFilename=a\rb\0c\n", 34));
  EXPECT_NE(again[0].Write().find("Filename=a\r\n"), std::string::npos) << "a text is cut at a line break or NUL";
}

TEST_F(Objects, StartPlacesByPositionTypeInsideTheRestrictedArea) {
  // Sprite 10 x 6: hw 5, hh 3. Whole picture: area (5, 3, 95, 77).
  EXPECT_DOUBLE_EQ(One("PosLeftType=1\nPosTopType=2\n").State().x, 5);
  EXPECT_DOUBLE_EQ(objects[0].State().y, 77);
  EXPECT_DOUBLE_EQ(One("PosLeftType=3\nPosTopType=3\n").State().x, 50);
  EXPECT_DOUBLE_EQ(objects[0].State().y, 40);
  EXPECT_DOUBLE_EQ(One("PosLeftType=0\nPosLeft=12\nPosTop=34\n").State().x, 12);
  EXPECT_DOUBLE_EQ(objects[0].State().y, 34);
  // Not restricted, a move area and a width size: (20 - 5, 10 - 3, 60 + 10, 40 + 6).
  EXPECT_DOUBLE_EQ(One("RestrictArea=0\nMotionAreaType=1\nMoveAreaRectleft=20\nMoveAreaRecttop=10\n"
                       "MoveAreaRectright=60\nMoveAreaRectbottom=40\nWidthSize=200\nHeightSize=200\n"
                       "PosLeftType=2\nPosTopType=1\n")
                       .State()
                       .x,
                   70);
  EXPECT_DOUBLE_EQ(objects[0].State().y, 7);
  for (int i = 0; i < 20; ++i) {
    const double x = One("PosLeftType=4\nPosTopType=4\n").State().x;
    world.clock.Advance(7);
    EXPECT_GE(x, 5);
    EXPECT_LT(x, 95);
  }
}

TEST_F(Objects, TheLeftAndTopEdgesCentreTheScaledFrameOnThePosition) {
  TAnimObject& o = One("PosLeft=40\nPosTop=30\n", "IMG", false);
  o.SetDisplay({0, 0, 200, 160}, kPicW, kPicH);  // shown at twice the size
  o.Run();
  EXPECT_EQ(o.State().left, 70);  // (40 - 5) x 2
  EXPECT_EQ(o.State().top, 54);   // (30 - 3) x 2
  EXPECT_EQ(o.State().frameWidth, 10);
}

// A sprite drawn larger than its file is smooth, not blocky, and its outline
// is the nearest pixel's: the key colour neither shows nor bleeds in.
TEST_F(Objects, AStretchedSpriteIsSmoothAndKeepsItsOutline) {
  constexpr uint32_t kKey = 0xFFFF00FFu;
  TBitmap32 sprite(4, 3);
  const uint32_t rows[3][4] = {{kRed, kRed, kBlue, kBlue}, {kRed, kRed, kBlue, kBlue}, {kKey, kRed, kBlue, kKey}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) sprite.SetPixel(x, y, rows[y][x]);
  qvtest::WriteBmp(world.dir, "wide.bmp", sprite);
  objects.Load("[Obj0]\nObjType=IMG\nFilename=wide.bmp\nPosLeft=20\nPosTop=20\n");
  objects[0].SetDisplay({0, 0, 400, 320}, kPicW, kPicH);  // four times the size
  objects[0].Run();
  TBitmap32 frame = qvtest::Filled(400, 320, kBlack);
  objects[0].DrawOnto(frame);
  const int left = objects[0].State().left, top = objects[0].State().top;  // (20 - 2) x 4, (20 - 1.5) x 4
  ASSERT_EQ(left, 72);
  ASSERT_EQ(top, 74);
  int blends = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint32_t p = frame.Pixel(left + x, top + y);
      const bool keyCell = y / 4 == 2 && (x / 4 == 0 || x / 4 == 3);
      if (keyCell) {
        EXPECT_EQ(p, kBlack) << x << "," << y << ": the key colour is not drawn";
        continue;
      }
      EXPECT_EQ((p >> 8) & 0xFF, 0u) << x << "," << y << ": no key colour bled in";
      if (p != kRed && p != kBlue) ++blends;
    }
  EXPECT_GT(blends, 8) << "red turns into blue smoothly across the middle";
  EXPECT_EQ(frame.Pixel(left + 1, top + 1), kRed);
  EXPECT_EQ(frame.Pixel(left + 14, top + 1), kBlue);
}

TEST_F(Objects, TheDisplayScheduleOnTheManualClock) {
  TAnimObject& o = One("DisplaySec=2\nDisplayDurationType=1\nDisplayDurationSec=3\nRedisplay=0\n");
  EXPECT_FALSE(o.State().visible);
  world.workers.Advance(1995);
  EXPECT_FALSE(o.State().visible);
  world.workers.Advance(5);
  EXPECT_TRUE(o.State().visible) << "shown DisplaySec after the start";
  world.workers.Advance(2995);
  EXPECT_TRUE(o.State().visible);
  world.workers.Advance(5);
  EXPECT_FALSE(o.State().visible) << "hidden DisplayDurationSec later";
  world.workers.Advance(60000);
  EXPECT_FALSE(o.State().visible) << "never shown again without Redisplay";

  TAnimObject& shown = One("DisplayDurationType=1\nDisplayDurationSec=1\nRedisplay=0\n");
  EXPECT_TRUE(shown.State().visible) << "DisplaySec 0 shows at once";
  world.workers.Advance(1000);
  EXPECT_FALSE(shown.State().visible);

  TAnimObject& endless = One("DisplayDurationSec=1\n");
  world.workers.Advance(5000);
  EXPECT_TRUE(endless.State().visible) << "DisplayDurationType 0 shows without end";
}

TEST_F(Objects, RedisplayShowsAgainAndResetPosStartsAfresh) {
  TAnimObject& o = One("DisplaySec=1\nDisplayDurationType=1\nDisplayDurationSec=2\nRedisplay=1\nResetPos=0\n"
                       "Motion=3\nInitialDir=2\nPosLeft=20\nMotionSpeed=1\n");
  world.workers.Advance(1005);
  ASSERT_TRUE(o.State().visible);
  world.workers.Advance(2000);
  EXPECT_FALSE(o.State().visible) << "hidden at 3 s";
  const double movedTo = o.State().x;
  EXPECT_GT(movedTo, 20);
  world.workers.Advance(990);
  EXPECT_FALSE(o.State().visible);
  world.workers.Advance(10);
  EXPECT_TRUE(o.State().visible) << "shown again DisplaySec after it was hidden";
  EXPECT_GE(o.State().x, movedTo) << "without ResetPos it goes on from where it was";

  TAnimObject& reset = One("DisplayDurationType=1\nDisplayDurationSec=2\nRedisplay=1\nResetPos=1\n"
                           "Motion=3\nInitialDir=2\nPosLeft=20\nMotionSpeed=1\n");
  world.workers.Advance(1995);
  EXPECT_GT(reset.State().x, 25);
  world.workers.Advance(10);
  EXPECT_TRUE(reset.State().visible) << "DisplaySec 0: shown again at once";
  EXPECT_LT(reset.State().x, 21) << "ResetPos starts from PosLeft again";
}

// Runs the object for `ms` and gives the range of x and y it visited.
struct TRange {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
};
TRange Visit(TSteppedWorld& world, const TAnimObject& o, int ms) {
  TRange r;
  for (int t = 0; t < ms; t += 5) {
    world.workers.Advance(5);
    const qv::TObjectState s = o.State();
    r.minX = std::min(r.minX, s.x);
    r.maxX = std::max(r.maxX, s.x);
    r.minY = std::min(r.minY, s.y);
    r.maxY = std::max(r.maxY, s.y);
  }
  return r;
}

TEST_F(Objects, MotionModelsKeepTheObjectInItsArea) {
  // Area (5, 3, 95, 77); one bounce step moves at most 999 x Speed / 100000.
  for (int motion : {1, 2, 3, 4, 5, 6}) {
    qv::RandSeed = 1;
    TAnimObject& o = One("Motion=" + std::to_string(motion) + "\nMotionSpeed=30\nPosLeft=50\nPosTop=40\n");
    const TRange r = Visit(world, o, 30000);
    const double slack = 3;
    EXPECT_GE(r.minX, 5 - slack) << "motion " << motion;
    EXPECT_LE(r.maxX, 95 + slack) << "motion " << motion;
    EXPECT_GE(r.minY, 3 - slack) << "motion " << motion;
    EXPECT_LE(r.maxY, 77 + slack) << "motion " << motion;
    if (motion == 2 || motion == 3 || motion == 5) {
      EXPECT_LT(r.minX, 15) << "motion " << motion << " crosses the area";
      EXPECT_GT(r.maxX, 85) << "motion " << motion << " crosses the area";
    }
    if (motion == 4 || motion == 6) {
      EXPECT_EQ(r.minX, r.maxX) << "motion " << motion << " moves only up and down";
    }
  }
}

TEST_F(Objects, MotionModelsBringAnObjectPlacedOutsideBack) {
  // PosLeftType 5: left - r, far to the left of the area (5..95). A step
  // moves at most 999 x Speed / 100000, here 1 pixel.
  for (int motion : {2, 3, 5}) {
    qv::RandSeed = 3;
    TAnimObject& o = One("Motion=" + std::to_string(motion) + "\nMotionSpeed=10\nPosLeftType=5\nInitialDir=1\n");
    const double start = o.State().x;
    EXPECT_TRUE(start < 5 || start > 95) << "placed outside: " << start;
    Visit(world, o, 20000);
    const TRange late = Visit(world, o, 20000);
    EXPECT_GE(late.minX, 4) << "motion " << motion;
    EXPECT_LE(late.maxX, 96) << "motion " << motion;
  }
}

TEST_F(Objects, WrapMotionsKeepTravellingOneWayAndComeInAtTheFarSide) {
  for (auto [motion, dir] : {std::pair{5, 2}, {5, 1}, {6, 4}, {6, 3}}) {
    TAnimObject& o = One("Motion=" + std::to_string(motion) + "\nInitialDir=" + std::to_string(dir) +
                         "\nMotionSpeed=30\nPosLeft=50\nPosTop=40\n");
    const int sign = dir % 2 == 0 ? 1 : -1;  // 2 and 4 travel to higher values
    double last = motion == 5 ? o.State().x : o.State().y;
    int backwards = 0, wraps = 0;
    for (int i = 0; i < 4000; ++i) {
      world.workers.Advance(5);
      const double now = motion == 5 ? o.State().x : o.State().y;
      const double step = (now - last) * sign;
      if (step < -40) ++wraps;
      else if (step < 0) ++backwards;
      last = now;
    }
    EXPECT_EQ(backwards, 0) << "motion " << motion << " direction " << dir;
    EXPECT_GT(wraps, 2) << "motion " << motion << " direction " << dir;
  }
}

TEST_F(Objects, StillAndShiveringObjects) {
  for (int motion : {0, 8}) {
    TAnimObject& o = One("Motion=" + std::to_string(motion) + "\nPosLeft=30\nPosTop=20\n");
    const TRange r = Visit(world, o, 1000);
    EXPECT_EQ(r.minX, 30);
    EXPECT_EQ(r.maxX, 30);
    EXPECT_EQ(r.maxY, 20);
  }
  TAnimObject& shiver = One("Motion=9\nPosLeft=30\nPosTop=20\nMotionSpeed=10\n");
  const TRange r = Visit(world, shiver, 1000);
  EXPECT_LT(r.minX, 30);
  EXPECT_GT(r.maxX, 30);
  EXPECT_GT(r.minX, 30 - 200 * 0.4 - 1e-9) << "at most 4 x Speed / 1000 a tick";
}

TEST_F(Objects, CircleMotionStaysOnItsEllipse) {
  // Area (5, 3, 95, 77): centre (50, 40), radii 45 - 5 = 40 and 37 - 3 = 34.
  TAnimObject& o = One("Motion=7\nMotionSpeed=100\n");
  for (int i = 0; i < 200; ++i) {
    world.workers.Advance(5);
    const qv::TObjectState s = o.State();
    const double dx = (s.x - 50) / 40, dy = (s.y - 40) / 34;
    EXPECT_NEAR(dx * dx + dy * dy, 1.0, 1e-9);
  }
}

TEST_F(Objects, ObjectsFlipByTheirDirectionOfTravel) {
  // InitialDir 1: bounce leftwards first.
  TAnimObject& left = One("Motion=3\nInitialDir=1\nDirFlip=1\nMotionSpeed=100\nPosLeft=80\n");
  world.workers.Advance(50);
  EXPECT_TRUE(left.State().flipped) << "faces right, travels left";
  TAnimObject& facingLeft = One("Motion=3\nInitialDir=1\nDirFlip=1\nObjFacing=0\nMotionSpeed=100\nPosLeft=80\n");
  world.workers.Advance(50);
  EXPECT_FALSE(facingLeft.State().flipped);
  TAnimObject& right = One("Motion=3\nInitialDir=2\nDirFlip=1\nObjFacing=0\nMotionSpeed=100\nPosLeft=20\n");
  world.workers.Advance(50);
  EXPECT_TRUE(right.State().flipped) << "faces left, travels right";
  TAnimObject& off = One("Motion=3\nInitialDir=1\nMotionSpeed=100\nPosLeft=80\n");
  world.workers.Advance(50);
  EXPECT_FALSE(off.State().flipped) << "without DirFlip";
}

TEST_F(Objects, TheSameSeedAndClockGiveTheSameRun) {
  auto run = [](int seedTime) {
    TSteppedWorld w;
    TBitmap32 sprite = qvtest::Filled(10, 6, kRed);
    qvtest::WriteBmp(w.dir, "s.bmp", sprite);
    w.clock.Advance(static_cast<uint32_t>(seedTime));
    qvtest::TLiveObjects list(w.env());
    list.Load("[Obj0]\nObjType=IMG\nFilename=s.bmp\nMotion=1\nPosLeftType=4\n"
              "[Obj1]\nObjType=IMG\nFilename=s.bmp\nMotion=2\nPosLeftType=4\n");
    std::vector<double> track;
    for (size_t i = 0; i < list.Count(); ++i) {
      list[i].SetDisplay({0, 0, 100, 80}, 100, 80);
      list[i].Run();
    }
    for (int i = 0; i < 100; ++i) {
      w.workers.Advance(15);
      for (size_t k = 0; k < list.Count(); ++k) track.push_back(list[k].State().x + list[k].State().y * 1000);
    }
    return track;
  };
  EXPECT_EQ(run(0), run(0));
  EXPECT_NE(run(0), run(1));
  const std::vector<double> t = run(0);
  EXPECT_NE(t[0], t[1]) << "two objects started together draw different sequences";
}

TEST(ObjectCombine, KeyPixelsAreSkippedOthersMixByTheMasterAlpha) {
  EXPECT_EQ(qv::CombinePixel(0xFF112233u, 0xFF445566u, 255, 0x00112233u, true), 0xFF445566u)
      << "the key compares red, green and blue only";
  EXPECT_EQ(qv::CombinePixel(0xFF112233u, 0xFF445566u, 255, 0x00112233u, false), 0xFF112233u);
  EXPECT_EQ(qv::CombinePixel(0x00FF8000u, 0xFF000000u, 255, 0, false), 0xFFFF8000u) << "alpha becomes M";
  // (200 x 128 + 100 x 127) div 255 = 150, (200 x 128 + 254 x 127) div 255 = 226,
  // (0 + 254 x 127) div 255 = 126
  EXPECT_EQ(qv::CombinePixel(0xFFC8C800u, 0x1064FEFEu, 128, 0, false), 0x8096E27Eu);
  EXPECT_EQ(qv::CombinePixel(0xFFFFFFFFu, 0xFF102030u, 0, 0, false), 0x00102030u) << "M 0 leaves the colour";
}

TEST(ObjectCombine, ColourValuesAndSystemColoursBecomeOpaquePixels) {
  EXPECT_EQ(qv::ColorToPixel(0x00FF8040), 0xFF4080FFu) << "0x00BBGGRR";
  EXPECT_EQ(qv::ColorToPixel(static_cast<int32_t>(0x8000000F)), 0xFFF0F0F0u) << "button face";
  EXPECT_EQ(qv::ColorToPixel(static_cast<int32_t>(0x80000005)), 0xFFFFFFFFu) << "window";
  EXPECT_EQ(qv::ColorToPixel(static_cast<int32_t>(0x800000FF)), 0xFF000000u);
  EXPECT_EQ(qv::ColorToPixel(0x12345678), 0xFF785634u) << "the high byte of a plain colour is dropped";
}

TEST_F(Objects, AStillPictureDrawsScaledFlippedAndKeyedWithItsOpacity) {
  // Sprite 10 x 6 red with a blue key pixel at its bottom-left; at 200 %.
  TAnimObject& o = One("PosLeft=20\nPosTop=10\nWidthSize=200\nHeightSize=200\n");
  TBitmap32 frame = qvtest::Filled(kPicW, kPicH, kBlack);
  o.DrawOnto(frame);
  EXPECT_EQ(frame.Pixel(15, 7), kRed) << "left/top edge (15, 7)";
  EXPECT_EQ(frame.Pixel(34, 18), kRed) << "20 x 12 pixels";
  EXPECT_EQ(frame.Pixel(35, 18), kBlack);
  EXPECT_EQ(frame.Pixel(34, 19), kBlack);
  EXPECT_EQ(frame.Pixel(15, 18), kBlack) << "the key pixel, twice as large, is not drawn";
  EXPECT_EQ(frame.Pixel(16, 17), kBlack);
  EXPECT_EQ(frame.Pixel(17, 18), kRed);

  TAnimObject& opaqueKey = One("PosLeft=20\nPosTop=10\nTransparent=0\n");
  frame = qvtest::Filled(kPicW, kPicH, kBlack);
  opaqueKey.DrawOnto(frame);
  EXPECT_EQ(frame.Pixel(15, 12), kBlue) << "without Transparent the key colour is drawn";

  TAnimObject& typed = One("PosLeft=20\nPosTop=10\nTransparentType=2\nTransparentColor=255\n");  // red
  frame = qvtest::Filled(kPicW, kPicH, kBlack);
  typed.DrawOnto(frame);
  EXPECT_EQ(frame.Pixel(16, 8), kBlack) << "TransparentColor is the key";
  EXPECT_EQ(frame.Pixel(15, 12), kBlue);

  TAnimObject& faint = One("PosLeft=20\nPosTop=10\nOpacity=0\n");
  frame = qvtest::Filled(kPicW, kPicH, 0xFF204060u);
  faint.DrawOnto(frame);
  EXPECT_EQ(frame.Pixel(16, 8), 0x00204060u) << "Opacity 0: drawn, yet invisible";
  TAnimObject& half = One("PosLeft=20\nPosTop=10\nOpacity=5\n");
  frame = qvtest::Filled(kPicW, kPicH, kBlack);
  half.DrawOnto(frame);
  EXPECT_EQ(frame.Pixel(16, 8), 0x80800000u) << "Opacity 5: alpha round(127.5) = 128";
}

TEST_F(Objects, AFlippedObjectIsItsFrameMirrored) {
  TAnimObject& o = One("Motion=3\nInitialDir=1\nDirFlip=1\nMotionSpeed=100\nPosLeft=50\nPosTop=40\n");
  world.workers.Advance(20);
  ASSERT_TRUE(o.State().flipped);
  TBitmap32 frame = qvtest::Filled(kPicW, kPicH, kBlack);
  o.DrawOnto(frame);
  const int left = o.State().left, top = o.State().top;
  EXPECT_EQ(frame.Pixel(left + 9, top + 5), kBlack) << "the key pixel moves to the bottom-right";
  EXPECT_EQ(frame.Pixel(left, top + 5), kRed);
}

TEST_F(Objects, AMissingPictureLeavesTheObjectUnpreparedAndUndrawn) {
  objects.Load("[Obj0]\nObjType=IMG\nFilename=nowhere.bmp\n[Obj1]\nObjType=GIF\nFilename=nowhere.gif\n"
               "[Obj2]\nObjType=IMG\nFilename=broken.bmp\n");
  qvtest::WriteFile(world.dir.file("broken.bmp"), "BM broken");
  for (size_t i = 0; i < objects.Count(); ++i) {
    objects[i].SetDisplay({0, 0, kPicW, kPicH}, kPicW, kPicH);
    objects[i].Run();
  }
  world.workers.Advance(100);
  TBitmap32 frame = qvtest::Filled(kPicW, kPicH, kBlack);
  for (size_t i = 0; i < objects.Count(); ++i) {
    EXPECT_FALSE(objects[i].State().prepared) << i;
    EXPECT_FALSE(objects[i].State().visible) << i;
    objects[i].DrawOnto(frame);
  }
  EXPECT_EQ(frame, qvtest::Filled(kPicW, kPicH, kBlack));
}

// GIF sprites: palette 0 red, 1 green, 2 blue, 3 black.
const std::vector<uint32_t> kPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};

class GifObjects : public Objects {
 protected:
  TGifObject& Gif(const qvtest::Bytes& gif, const std::string& keys) {
    qvtest::WriteFile(world.dir.file("s.gif"), std::string(gif.begin(), gif.end()));
    objects.Load("[Obj0]\nObjType=GIF\nFilename=s.gif\nPosLeft=50\nPosTop=40\n" + keys);
    objects[0].SetDisplay({0, 0, kPicW, kPicH}, kPicW, kPicH);
    objects[0].Run();
    return dynamic_cast<TGifObject&>(objects[0]);
  }
  // Two 4 x 2 frames: all red, then all green, 100 ms each.
  static qvtest::Bytes RedGreen() {
    return qvtest::SpriteGif(4, 2, kPalette,
                             {{0, 0, 4, 2, 100, 1, -1, std::vector<uint8_t>(8, 0)},
                              {0, 0, 4, 2, 100, 1, -1, std::vector<uint8_t>(8, 1)}});
  }
};

TEST_F(GifObjects, AnimSpeedGivesTheFrameSpeedPercent) {
  const std::pair<int, int> cases[] = {{20, 600}, {1, 10}, {10, 100}, {11, 150}, {25, 850}, {30, 1000}, {0, 0}, {-3, 0}};
  for (auto [animSpeed, percent] : cases) {
    EXPECT_EQ(Gif(RedGreen(), "AnimSpeed=" + std::to_string(animSpeed) + "\n").SpeedPercent(), percent)
        << animSpeed;
  }
}

TEST_F(GifObjects, FramesChangeAfterTheirDelayAtTheSpeedPercent) {
  TGifObject& fast = Gif(RedGreen(), "AnimSpeed=20\n");  // 100 ms at 600 %: 16.7 ms
  EXPECT_EQ(fast.FrameIndex(), 0);
  EXPECT_EQ(fast.Frame().Pixel(0, 0), kRed);
  world.workers.Advance(15);
  EXPECT_EQ(fast.FrameIndex(), 0);
  world.workers.Advance(5);
  EXPECT_EQ(fast.FrameIndex(), 1);
  EXPECT_EQ(fast.Frame().Pixel(3, 1), kGreen);
  world.workers.Advance(20);
  EXPECT_EQ(fast.FrameIndex(), 0) << "the animation loops";

  TGifObject& slow = Gif(RedGreen(), "AnimSpeed=1\n");  // 10 %: a second a frame
  world.workers.Advance(995);
  EXPECT_EQ(slow.FrameIndex(), 0);
  world.workers.Advance(10);
  EXPECT_EQ(slow.FrameIndex(), 1);

  TGifObject& still = Gif(RedGreen(), "AnimSpeed=0\n");
  world.workers.Advance(5000);
  EXPECT_EQ(still.FrameIndex(), 0) << "0 % stops the animation";
}

// A sprite drawn on colour 0 whose file leaves transparency off: the object
// turns it on for every frame, at the graphic control's index.
TEST_F(GifObjects, TransparencyIsTurnedOnForEveryFrameAtItsControlsIndex) {
  const qvtest::Bytes gif =
      qvtest::SpriteGif(3, 2, kPalette, {{0, 0, 3, 2, 100, 1, -1, {0, 1, 0, 0, 2, 0}, 0}});
  const uint32_t k = TGifObject::kKeyColor;
  const TBitmap32 frame = Gif(gif, "").Frame();
  EXPECT_EQ(frame.Pixel(0, 0) & 0xFFFFFF, k) << "index 0 is see-through by default";
  EXPECT_EQ(frame.Pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(frame.Pixel(1, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Gif(gif, "Transparent=0\n").Frame().Pixel(0, 0) & 0xFFFFFF, 0xFF0000u) << "unless transparency is off";
}

TEST_F(GifObjects, TransparencyFollowsTheTypeAndTheKeyColourShowsThrough) {
  // One 3 x 2 frame: top row red green blue, bottom row black green red; the
  // file makes green (1) transparent.
  const qvtest::Bytes gif = qvtest::SpriteGif(3, 2, kPalette, {{0, 0, 3, 2, 100, 1, 1, {0, 1, 2, 3, 1, 0}}});
  auto row = [](const TBitmap32& f) {
    std::vector<uint32_t> px;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) px.push_back(f.Pixel(x, y) & 0xFFFFFF);
    return px;
  };
  const uint32_t k = TGifObject::kKeyColor;
  EXPECT_EQ(row(Gif(gif, "TransparentType=0\n").Frame()), (std::vector<uint32_t>{0xFF0000, k, 0x0000FF, 0, k, 0xFF0000}))
      << "type 0: the file's own index";
  EXPECT_EQ(row(Gif(gif, "TransparentType=1\n").Frame()),
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, k, 0x00FF00, 0xFF0000}))
      << "type 1: the colour at the bottom-left (black)";
  EXPECT_EQ(row(Gif(gif, "TransparentType=2\nTransparentColor=16711680\n").Frame()),  // 0xFF0000: blue
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, k, 0, 0x00FF00, 0xFF0000}))
      << "type 2: TransparentColor";
  EXPECT_EQ(row(Gif(gif, "TransparentType=2\nTransparentColor=1193046\n").Frame()),  // no such colour
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0, 0x00FF00, 0xFF0000}));
  EXPECT_EQ(row(Gif(gif, "Transparent=0\n").Frame()),
            (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0, 0x00FF00, 0xFF0000}))
      << "Transparent off: nothing is transparent";

  TGifObject& drawn = Gif(gif, "TransparentType=0\n");
  TBitmap32 frame = qvtest::Filled(kPicW, kPicH, 0xFF808080u);
  drawn.DrawOnto(frame);
  const int left = drawn.State().left, top = drawn.State().top;
  EXPECT_EQ(frame.Pixel(left, top), kRed);
  EXPECT_EQ(frame.Pixel(left + 1, top), 0xFF808080u) << "the key colour is not drawn";
}

TEST_F(GifObjects, DisposalAndRefreshFrame) {
  // Frame 0 paints the 4 x 2 screen red and is kept; frame 1 paints (0, 0)
  // green with disposal "previous"; frame 2 paints (3, 1) blue.
  const qvtest::Bytes gif = qvtest::SpriteGif(4, 2, kPalette,
                                              {{0, 0, 4, 2, 100, 1, -1, std::vector<uint8_t>(8, 0)},
                                               {0, 0, 1, 1, 100, 3, -1, {1}},
                                               {3, 1, 1, 1, 100, 1, -1, {2}}});
  TGifObject& kept = Gif(gif, "");
  world.workers.Advance(100);
  EXPECT_EQ(kept.Frame().Pixel(0, 0), kGreen);
  world.workers.Advance(100);
  EXPECT_EQ(kept.FrameIndex(), 2);
  EXPECT_EQ(kept.Frame().Pixel(0, 0), kRed) << "restored to the frame before";
  EXPECT_EQ(kept.Frame().Pixel(3, 1), kBlue);
  EXPECT_EQ(kept.Frame().Pixel(2, 1), kRed);

  TGifObject& refreshed = Gif(gif, "RefreshFrame=1\n");
  world.workers.Advance(200);
  ASSERT_EQ(refreshed.FrameIndex(), 2);
  EXPECT_EQ(refreshed.Frame().Pixel(3, 1), kBlue);
  EXPECT_EQ(refreshed.Frame().Pixel(2, 1) & 0xFFFFFF, TGifObject::kKeyColor) << "every frame restores to background";
  EXPECT_EQ(refreshed.Frame().Pixel(0, 0) & 0xFFFFFF, TGifObject::kKeyColor);
}

TEST_F(GifObjects, AGifOfManyFramesLoadsAndOneBeyondTheCapHasNoFrames) {
  std::vector<qvtest::TSpriteFrame> frames(3000, qvtest::TSpriteFrame{0, 0, 1, 1, 10, 1, -1, {0}});
  for (size_t i = 0; i < frames.size(); i += 2) frames[i].indices = {1};
  TGifObject& many = Gif(qvtest::SpriteGif(1, 1, kPalette, frames), "");
  EXPECT_TRUE(many.State().prepared);
  world.workers.Advance(30);
  EXPECT_EQ(many.FrameIndex(), 3);

  frames.assign(qv::kMaxGifFrames + 1, qvtest::TSpriteFrame{0, 0, 1, 1, 10, 1, -1, {0}});
  TGifObject& tooMany = Gif(qvtest::SpriteGif(1, 1, kPalette, frames), "");
  world.workers.Advance(30);
  TBitmap32 frame = qvtest::Filled(kPicW, kPicH, kBlack);
  tooMany.DrawOnto(frame);
  EXPECT_EQ(frame, qvtest::Filled(kPicW, kPicH, kBlack)) << "no frames: nothing drawn";
  EXPECT_EQ(tooMany.Frame().Width(), 0);
}

TEST(ObjectThreads, ObjectsMoveOnRealWorkersWhileTheWindowThreadReadsAndDraws) {
  qvtest::TempDir dir;
  qvtest::WriteBmp(dir, "s.bmp", qvtest::Filled(8, 8, kRed));
  qvtest::WriteFile(dir.file("g.gif"), [] {
    const qvtest::Bytes g = qvtest::SpriteGif(4, 4, kPalette,
                                              {{0, 0, 4, 4, 10, 2, -1, std::vector<uint8_t>(16, 0)},
                                               {1, 1, 2, 2, 10, 3, -1, std::vector<uint8_t>(4, 1)}});
    return std::string(g.begin(), g.end());
  }());
  qv::platform::TSystemClock clock;
  qv::platform::TThreadWorkers workers;
  qvtest::TLiveObjects objects({&clock, &workers, [&dir](const std::string& s) { return dir.file(s); }});
  objects.Load(
      "[Obj0]\nObjType=IMG\nFilename=s.bmp\nMotion=1\nMotionSpeed=200\n"
      "[Obj1]\nObjType=GIF\nFilename=g.gif\nMotion=2\nMotionSpeed=200\nAnimSpeed=30\n"
      "[Obj2]\nObjType=IMG\nFilename=s.bmp\nMotion=9\nDisplayDurationType=1\nDisplayDurationSec=0\n"
      "[Obj3]\nObjType=GIF\nFilename=g.gif\nMotion=7\nDirFlip=1\nDisplayDurationType=1\nDisplayDurationSec=0\n");
  ASSERT_EQ(objects.Count(), 4u);
  for (size_t i = 0; i < objects.Count(); ++i) {
    objects[i].SetDisplay({0, 0, 200, 160}, 100, 80);
    objects[i].Run();
  }
  TBitmap32 frame(200, 160);
  const double x0 = objects[0].State().x, x1 = objects[1].State().x;
  bool moved = false;
  for (int round = 0; round < 5000 && !moved; ++round) {
    frame.Clear(kBlack);
    for (size_t i = 0; i < objects.Count(); ++i) objects[i].DrawOnto(frame);
    qv::Random(100);  // the window thread draws too
    moved = objects[0].State().x != x0 && objects[1].State().x != x1;
    if (round % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(moved);
  objects[1].Run();  // restarted while the others move
  objects[0].Stop();
  const qv::TObjectState stopped = objects[0].State();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(objects[0].State().x, stopped.x) << "a stopped object does not move";
  objects.Load("");
}

}  // namespace
