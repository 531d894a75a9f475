#include <gtest/gtest.h>

#include <set>

#include "common/Random.h"
#include "saver/uSlideshow.h"

namespace {

using qv::TSize;

TEST(StillPictures, AreJpgBmpAndGifOnly) {
  EXPECT_TRUE(qv::IsStillPicture("/t/QVImage0.jpg"));
  EXPECT_TRUE(qv::IsStillPicture("C:\\x\\A.BMP"));
  EXPECT_TRUE(qv::IsStillPicture("b.Gif"));
  EXPECT_TRUE(qv::IsStillPicture("shot.PNG"));
  EXPECT_TRUE(qv::IsStillPicture("/t/QVImage4.webp"));
  EXPECT_FALSE(qv::IsStillPicture("scene.jpeg"));
  EXPECT_FALSE(qv::IsStillPicture("phone.heic"));
  EXPECT_FALSE(qv::IsStillPicture("living.qvp"));
  EXPECT_FALSE(qv::IsStillPicture("noext"));
}

TEST(PictureOrder, InListOrderStepsAndWraps) {
  EXPECT_EQ(qv::NextPictureIndex(-1, 3, 1), 0);
  EXPECT_EQ(qv::NextPictureIndex(0, 3, 1), 1);
  EXPECT_EQ(qv::NextPictureIndex(2, 3, 1), 0);
  EXPECT_EQ(qv::NextPictureIndex(2, 3, 3), 0);
  EXPECT_EQ(qv::NextPictureIndex(1, 3, 7), 2);  // any other mode is list order
}

TEST(PictureOrder, RandomNeverRepeatsAndAlternatesBetweenTwo) {
  qv::RandSeed = 5;
  EXPECT_EQ(qv::NextPictureIndex(-1, 1, 0), 0);
  EXPECT_EQ(qv::NextPictureIndex(0, 1, 2), 0);
  int current = qv::NextPictureIndex(-1, 2, 0);
  for (int i = 0; i < 20; ++i) {
    int next = qv::NextPictureIndex(current, 2, 0);
    EXPECT_EQ(next, 1 - current);
    current = next;
  }
  std::set<int> seen;
  current = 0;
  for (int i = 0; i < 200; ++i) {
    int next = qv::NextPictureIndex(current, 5, 2);
    EXPECT_NE(next, current);
    seen.insert(next);
    current = next;
  }
  EXPECT_EQ(seen.size(), 5u);
}

TEST(PictureFit, StretchProportionalTouchesTwoSides) {
  EXPECT_EQ(qv::FitStillPicture({1600, 1200}, {1024, 768}, true, true), (TSize{1024, 768}));
  EXPECT_EQ(qv::FitStillPicture({1600, 900}, {1024, 768}, true, true), (TSize{1024, 576}));
  EXPECT_EQ(qv::FitStillPicture({600, 1200}, {1024, 768}, true, true), (TSize{384, 768}));
  int x = 0, y = 0;
  qv::ItemPosition({1024, 576}, {1024, 768}, true, true, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 96);
}

TEST(PictureFit, StretchFullFillsAndOriginalSizeIsCentredAndCropped) {
  EXPECT_EQ(qv::FitStillPicture({1600, 900}, {1024, 768}, true, false), (TSize{1024, 768}));
  int x = 1, y = 1;
  qv::ItemPosition({1024, 768}, {1024, 768}, true, false, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(qv::FitStillPicture({1601, 901}, {1024, 768}, false, true), (TSize{1601, 901}));
  qv::ItemPosition({1601, 901}, {1024, 768}, false, false, x, y);
  EXPECT_EQ(x, -288);  // -577 / 2 truncates toward zero
  EXPECT_EQ(y, -66);
  qv::ItemPosition({300, 200}, {1024, 768}, false, false, x, y);
  EXPECT_EQ(x, 362);
  EXPECT_EQ(y, 284);
}

TEST(PictureFit, DirectDrawWorkingSizes) {
  EXPECT_EQ(qv::DirectDrawWorkingSize(0, {1600, 1200}), (TSize{1024, 768}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(1, {1024, 768}), (TSize{800, 600}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(2, {640, 480}), (TSize{640, 480}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(3, {700, 500}), (TSize{700, 500}));
}

TEST(PictureFit, TheWorkingSurfaceHasTheScreensShape) {
  // A 16:9 screen keeps the width, a tall screen the height: stretched back
  // to the screen, a circle stays a circle.
  EXPECT_EQ(qv::DirectDrawWorkingSize(1, {1920, 1080}), (TSize{800, 450}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(0, {3840, 2160}), (TSize{1024, 576}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(1, {1080, 1920}), (TSize{338, 600}));
  EXPECT_EQ(qv::DirectDrawWorkingSize(2, {1280, 1024}), (TSize{600, 480}));
}

TEST(MouseMoveGuard, IgnoresFiveMovesThenClosesOnMoreThanTwoPixels) {
  qv::TMouseMoveGuard guard;
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(guard.Move(100 * i, 100 * i));  // the first five are ignored
  EXPECT_FALSE(guard.Move(10, 10));  // sets the last position
  EXPECT_FALSE(guard.Move(12, 8));   // exactly 2 pixels on each axis
  EXPECT_FALSE(guard.Move(12, 8));
  EXPECT_TRUE(guard.Move(12, 11));   // 3 pixels
  guard.IgnoreNext(5);               // a refused close
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(guard.Move(500, 500));
  EXPECT_TRUE(guard.Move(0, 0));
}

}  // namespace
