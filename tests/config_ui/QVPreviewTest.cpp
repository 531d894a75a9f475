#include "config_ui/uQVPreview.h"

#include <gtest/gtest.h>

#include "Pictures.h"
#include "support/TempDir.h"

namespace qv {
namespace {

using qvtest::Filled;

class Preview : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  TQVPreview preview;
  int repaints = 0;
  void SetUp() override {
    preview.SetBounds(0, 0, 236, 176);
    preview.onRepaint = [this] { ++repaints; };
  }
};

TEST_F(Preview, ALargeJpegIsScaledToThePanesSize) {
  TBitmap32 picture(1024, 768);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) picture.SetPixel(x, y, x < 512 ? 0xFFFF0000u : 0xFF0000FFu);
  qvtest::WritePicture(dir.file("big.JPG"), picture);
  EXPECT_TRUE(preview.LoadPicture(dir.file("big.JPG")));
  const TBitmap32& shown = preview.Picture();
  EXPECT_EQ(shown.Width(), 236);
  EXPECT_EQ(shown.Height(), 176);
  EXPECT_TRUE(preview.Stretch());
  EXPECT_GT((shown.Pixel(20, 88) >> 16) & 0xFF, 240u);
  EXPECT_GT(shown.Pixel(215, 88) & 0xFF, 240u);
  EXPECT_EQ(preview.FileName(), dir.file("big.JPG"));
  EXPECT_GE(repaints, 1);
}

// The saver keeps a picture's shape when the project keeps proportions; its
// preview shows it so, on the control's colour.
TEST_F(Preview, APictureKeepsItsShapeWhenAskedOnTheControlsColour) {
  qvtest::WritePicture(dir.file("wide.bmp"), Filled(160, 90, 0xFFFF0000u));
  preview.SetColor(clNavy);
  preview.SetKeepShape(true);
  ASSERT_TRUE(preview.LoadPicture(dir.file("wide.bmp")));
  const TBitmap32& shown = preview.Picture();
  // 236 wide at 16:9 is 133 high, centred in 176: rows 21 to 153.
  EXPECT_EQ(shown.Pixel(118, 10), 0xFF000080u) << "navy above";
  EXPECT_EQ(shown.Pixel(118, 165), 0xFF000080u) << "navy below";
  EXPECT_EQ(shown.Pixel(118, 88), 0xFFFF0000u);
  EXPECT_EQ(shown.Pixel(2, 30), 0xFFFF0000u) << "as wide as the pane";
  preview.SetKeepShape(false);
  preview.Reload();
  EXPECT_EQ(preview.Picture(), Filled(236, 176, 0xFFFF0000u)) << "stretched over it otherwise";
}

TEST_F(Preview, OtherFilesLeaveAnEmptyBitmapOfThePanesSize) {
  qvtest::WriteFile(dir.file("song.mp3"), "\x01\x02\x03");
  for (const std::string& name : {dir.file("song.mp3"), dir.file("noextension")}) {
    EXPECT_TRUE(preview.LoadPicture(name)) << name;
    EXPECT_EQ(preview.Picture(), Filled(236, 176, ColorToPixel(preview.Color()))) << name;
  }
}

TEST_F(Preview, AnUnreadablePictureSaysWhyAndShowsAnEmptyBitmap) {
  qvtest::WriteFile(dir.file("broken.bmp"), std::string("BM\0\0", 4));
  EXPECT_FALSE(preview.LoadPicture(dir.file("broken.bmp")));
  EXPECT_FALSE(preview.LastError().empty());
  preview.SetColor(clNavy);
  preview.Reload();
  EXPECT_EQ(preview.Picture(), Filled(236, 176, 0xFF000080u)) << "the control's colour, not black";
  EXPECT_FALSE(preview.LoadPicture(dir.file("gone.gif")));
  EXPECT_NE(preview.LastError().find("gone.gif"), std::string::npos);
}

TEST_F(Preview, ResizingKeepsThePictureUntilTheNextLoad) {
  qvtest::WritePicture(dir.file("p.bmp"), Filled(50, 40, 0xFF00FF00u));
  EXPECT_TRUE(preview.Reload()) << "nothing stored yet: nothing happens";
  EXPECT_TRUE(preview.Picture().Empty());
  preview.LoadPicture(dir.file("p.bmp"));
  preview.SetBounds(0, 0, 100, 80);
  EXPECT_EQ(preview.Picture().Width(), 236);
  preview.Reload();
  EXPECT_EQ(preview.Picture(), Filled(100, 80, 0xFF00FF00u));
}

TEST_F(Preview, AnimatedPicturesComeFromTheProjectReader) {
  EXPECT_FALSE(preview.LoadPicture(dir.file("sea.qvp")));
  EXPECT_EQ(preview.Picture(), Filled(236, 176, ColorToPixel(preview.Color())));
  preview.SetProjectPictureReader([](const std::string&, TBitmap32& picture) {
    picture = Filled(640, 480, 0xFF204060u);
    return true;
  });
  EXPECT_TRUE(preview.LoadPicture(dir.file("sea.qvp")));
  EXPECT_EQ(preview.Picture(), Filled(236, 176, 0xFF204060u));
}

}  // namespace
}  // namespace qv
