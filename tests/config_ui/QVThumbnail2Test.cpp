#include "config_ui/uQVThumbnail2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Pictures.h"
#include "graphics/uGraphicUtil.h"
#include "support/TempDir.h"

namespace qv {
namespace {

using qvtest::Filled;

// Names only: files that do not exist still get their cells.
std::vector<std::string> Names(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("/nowhere/QVImage" + std::to_string(i) + ".jpg");
  return names;
}

TMouseEvent Press(int x, int y) {
  TMouseEvent e;
  e.x = x;
  e.y = y;
  return e;
}

TEST(ThumbnailLayout, TenPicturesIn350PixelsMakeThreeColumnsAndFourRows) {
  TQVThumbnail2 grid;
  EXPECT_EQ(grid.Width(), 350);
  EXPECT_EQ(grid.Height(), 250);
  grid.SetPictureList(Names(10));
  EXPECT_EQ(grid.DefaultColWidth(), 100);
  EXPECT_EQ(grid.DefaultRowHeight(), 80);
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_TRUE(grid.CellHoldsPicture(0, 3));
  EXPECT_FALSE(grid.CellHoldsPicture(1, 3));
  EXPECT_FALSE(grid.CellHoldsPicture(2, 3));
  EXPECT_EQ(grid.ScrollBar(), TQVThumbnail2::TScrollBar::Vertical);
  EXPECT_EQ(grid.ClientRect(), (TRect{2, 2, 350 - 2 - 16, 248}));
}

TEST(ThumbnailLayout, TitlesMakeRows110HighAndTheWidthDecidesTheColumns) {
  TQVThumbnail2 grid;
  grid.SetShowTitle(true);
  grid.SetPictureList(Names(10));
  EXPECT_EQ(grid.DefaultRowHeight(), 110);
  grid.SetShowTitle(false);
  EXPECT_EQ(grid.DefaultRowHeight(), 80);
  grid.SetWidth(420);
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.RowCount(), 3);
  grid.SetWidth(50);
  EXPECT_EQ(grid.ColCount(), 1) << "never fewer than one column";
  EXPECT_EQ(grid.RowCount(), 10);
  grid.SetPictureWidth(40);
  EXPECT_EQ(grid.DefaultColWidth(), 60);
  grid.SetPictureHeight(30);
  EXPECT_EQ(grid.DefaultRowHeight(), 50);
}

TEST(ThumbnailLayout, OneRowScrollsSidewaysAndManyRowsNever) {
  TQVThumbnail2 grid;
  grid.SetMultiRows(false);
  grid.SetPictureList(Names(10));
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.ColCount(), 10);
  EXPECT_EQ(grid.ScrollBar(), TQVThumbnail2::TScrollBar::Horizontal);
  grid.SetLeftCol(4);
  EXPECT_EQ(grid.LeftCol(), 4);
  EXPECT_EQ(grid.CellRect(4, 0).Left, 0);
  grid.SetLeftCol(100);
  EXPECT_EQ(grid.LeftCol(), grid.MaxLeftCol());
  EXPECT_EQ(grid.MaxLeftCol(), 10 - 3);

  grid.SetMultiRows(true);
  EXPECT_EQ(grid.LeftCol(), 0);
  grid.SetLeftCol(2);
  EXPECT_EQ(grid.LeftCol(), 0);
  grid.SetTopRow(1);
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_EQ(grid.LeftCol(), 0);
  EXPECT_EQ(grid.ScrollBar(), TQVThumbnail2::TScrollBar::Vertical);
}

TEST(ThumbnailLayout, WithoutAListTheGridIgnoresLayoutAndDrawsOnlyItsBackground) {
  TQVThumbnail2 grid;
  grid.SetShowTitle(true);
  grid.SetWidth(600);
  EXPECT_EQ(grid.DefaultRowHeight(), 80);
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_FALSE(grid.CellHoldsPicture(0, 0));
  const TBitmap32 image = grid.Render();
  EXPECT_EQ(image.Pixel(100, 100), ColorToPixel(clWindow));
  EXPECT_EQ(grid.ScrollBar(), TQVThumbnail2::TScrollBar::NoScrollBar);
}

TEST(ThumbnailLayout, CellsAndPointsMeetInClientCoordinates) {
  TQVThumbnail2 grid;
  grid.SetPictureList(Names(10));
  grid.SetTopRow(1);
  int col = -1, row = -1;
  ASSERT_TRUE(grid.MouseToCell(150, 85, col, row));
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(grid.CellRect(1, 2), (TRect{100, 80, 200, 160}));
  EXPECT_FALSE(grid.MouseToCell(320, 10, col, row)) << "beyond the last column";
  EXPECT_FALSE(grid.MouseToCell(-1, 10, col, row));
}

class ThumbnailFiles : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  std::string Write(const std::string& name, const TBitmap32& b) {
    qvtest::WritePicture(dir.file(name), b);
    return dir.file(name);
  }
};

TEST_F(ThumbnailFiles, EachStillPictureBecomesAThumbnailTitledWithItsFileName) {
  const std::vector<std::string> files = {Write("red.jpg", Filled(1024, 768, 0xFFFF0000u)),
                                          Write("green.bmp", Filled(40, 30, 0xFF00FF00u)),
                                          Write("blue.gif", Filled(160, 120, 0xFF0000FFu))};
  TQVThumbnail2 grid;
  grid.SetPictureList(files);
  ASSERT_EQ(grid.PictureCount(), 3);
  const uint32_t expected[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  for (int i = 0; i < 3; ++i) {
    const TBitmap32* t = grid.Thumbnail(i);
    ASSERT_NE(t, nullptr) << i;
    EXPECT_EQ(t->Width(), 80);
    EXPECT_EQ(t->Height(), 60);
    const uint32_t p = t->Pixel(40, 30);
    for (int shift : {0, 8, 16}) EXPECT_NEAR(int((p >> shift) & 0xFF), int((expected[i] >> shift) & 0xFF), 3) << i;
  }
  EXPECT_EQ(grid.Title(0), "red.jpg");
  EXPECT_EQ(grid.Title(2), "blue.gif");
  EXPECT_TRUE(grid.LoadErrors().empty());
  grid.SetPictureWidth(40);
  EXPECT_EQ(grid.Thumbnail(0)->Width(), 40) << "a new size reloads the thumbnails";
}

// Packed pictures travel as QVImage0.jpg, ...: the names they were packed
// from are their titles; and thumbnails keep their shape as the saver does.
TEST_F(ThumbnailFiles, PackedNamesAreTitlesAndShapesAreKeptWhenAsked) {
  const std::vector<std::string> files = {Write("QVImage0.bmp", Filled(160, 60, 0xFFFF0000u)),
                                          Write("QVImage1.bmp", Filled(40, 30, 0xFF00FF00u))};
  TQVThumbnail2 grid;
  grid.SetColor(clBlack);
  grid.SetKeepShape(true);
  grid.SetPictureList(files, {"Beach at dawn.jpg", ""});
  EXPECT_EQ(grid.Title(0), "Beach at dawn.jpg");
  EXPECT_EQ(grid.Title(1), "QVImage1.bmp") << "no other name: the stored one";
  const TBitmap32* wide = grid.Thumbnail(0);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->Pixel(40, 30), 0xFFFF0000u);
  EXPECT_EQ(wide->Pixel(40, 5), 0xFF000000u) << "80 x 30 in the middle of the 80 x 60 cell";
  EXPECT_EQ(grid.Thumbnail(1)->Pixel(5, 5), 0xFF00FF00u) << "the cell's own shape fills it";
}

TEST_F(ThumbnailFiles, PicturesWithoutThumbnailsKeepTheirCellsSoTheOthersStayAligned) {
  qvtest::WriteFile(dir.file("shot.png"), "\x89PNG");
  qvtest::WriteFile(dir.file("broken.jpg"), std::string("\xFF\xD8\xFF\x00", 4));
  const std::vector<std::string> files = {dir.file("shot.png"), Write("a.bmp", Filled(8, 6, 0xFF102030u)),
                                          dir.file("missing.jpg"), dir.file("broken.jpg"),
                                          Write("b.bmp", Filled(8, 6, 0xFF405060u))};
  TQVThumbnail2 grid;
  grid.SetPictureList(files);
  EXPECT_EQ(grid.Thumbnail(0), nullptr) << "a PNG adds no thumbnail";
  EXPECT_NE(grid.Thumbnail(1), nullptr);
  EXPECT_EQ(grid.Thumbnail(2), nullptr);
  EXPECT_EQ(grid.Thumbnail(3), nullptr);
  ASSERT_NE(grid.Thumbnail(4), nullptr);
  EXPECT_EQ(grid.Thumbnail(4)->Pixel(0, 0), 0xFF405060u) << "the last picture is still in the last cell";
  EXPECT_EQ(grid.Title(0), "shot.png");
  EXPECT_TRUE(grid.CellHoldsPicture(0, 0));
  EXPECT_EQ(grid.LoadErrors().size(), 3u);
}

TEST_F(ThumbnailFiles, AnimatedPicturesAreReadThroughTheProjectHeaderReader) {
  qvtest::WriteFile(dir.file("sea.QVP"), "\x01\x02\x03");
  qvtest::WriteFile(dir.file("bad.qvp"), "\x01\x02\x03");
  TQVThumbnail2 grid;
  grid.SetPictureList({dir.file("sea.QVP")});
  EXPECT_EQ(grid.Thumbnail(0), nullptr) << "without a reader the cell stays empty";
  EXPECT_EQ(grid.Title(0), "sea.QVP");

  std::vector<std::string> asked;
  grid.SetProjectHeaderReader([&](const std::string& file, TBitmap32& preview, std::string& title) {
    asked.push_back(file);
    if (file.find("bad") != std::string::npos) return false;
    preview = Filled(320, 240, 0xFF336699u);
    title = "Under the Sea";
    return true;
  });
  grid.SetPictureList({dir.file("sea.QVP"), dir.file("bad.qvp")});
  EXPECT_EQ(asked.size(), 2u);
  ASSERT_NE(grid.Thumbnail(0), nullptr);
  EXPECT_EQ(grid.Thumbnail(0)->Pixel(10, 10), 0xFF336699u);
  EXPECT_EQ(grid.Title(0), "Under the Sea");
  EXPECT_EQ(grid.Thumbnail(1), nullptr);
  EXPECT_EQ(grid.Title(1), "bad.qvp");
}

class CheckBoxes : public ::testing::Test {
 protected:
  TQVThumbnail2 grid;
  void SetUp() override {
    grid.SetShowCheckBox(true);
    grid.SetPictureList(Names(10));
  }
};

TEST_F(CheckBoxes, TheHandShowsOverTheSquareWithBothEndsIncluded) {
  // Cell (1, 0) spans x 100..199; its square is x 113..124, y 66..77.
  EXPECT_EQ(grid.MouseMove(113, 66), TCursor::HandPoint);
  EXPECT_EQ(grid.MouseMove(124, 77), TCursor::HandPoint);
  EXPECT_EQ(grid.MouseMove(112, 70), TCursor::Arrow);
  EXPECT_EQ(grid.MouseMove(125, 70), TCursor::Arrow);
  EXPECT_EQ(grid.MouseMove(118, 78), TCursor::Arrow);
  grid.SetShowCheckBox(false);
  grid.SetCursor(TCursor::Default);
  EXPECT_EQ(grid.MouseMove(118, 70), TCursor::Default) << "no check boxes, no hand";
}

TEST_F(CheckBoxes, APressOnTheSquareTogglesThatPictureAndSelectsItsCell) {
  std::vector<int> selected;
  grid.OnSelectItem = [&](TQVThumbnail2&, int index) { selected.push_back(index); };
  grid.MouseDown(Press(118, 70));
  EXPECT_TRUE(grid.Marked(1));
  grid.MouseDown(Press(118, 70));
  EXPECT_FALSE(grid.Marked(1));
  grid.MouseDown(Press(150, 30));
  EXPECT_FALSE(grid.Marked(1)) << "a press on the picture only selects";
  EXPECT_EQ(selected, (std::vector<int>{1, 1, 1}));
  TMouseEvent right = Press(118, 70);
  right.button = TMouseButton::Right;
  grid.MouseDown(right);
  EXPECT_FALSE(grid.Marked(1));
}

TEST_F(CheckBoxes, APressInAnEmptyCellsSquareChangesNothingButSelectsTheLastPicture) {
  std::vector<int> selected;
  grid.OnSelectItem = [&](TQVThumbnail2&, int index) { selected.push_back(index); };
  grid.SetTopRow(grid.MaxTopRow());
  const TRect empty = grid.CellRect(2, 3);
  grid.MouseDown(Press(empty.Left + 18, empty.Top + 70));
  for (int i = 0; i < 12; ++i) EXPECT_FALSE(grid.Marked(i)) << i;
  EXPECT_EQ(selected, (std::vector<int>{9}));
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_EQ(grid.Row(), 3);
}

TEST_F(CheckBoxes, TheMarkTableGrowsWithTheListBeyondAThousandPictures) {
  TQVThumbnail2 early;
  early.SetMarked(1400, true);
  EXPECT_TRUE(early.Marked(1400)) << "marks may come before the list";
  grid.SetPictureList(Names(1500));
  grid.SetMarked(1400, true);
  EXPECT_TRUE(grid.Marked(1400));
  grid.SetMarked(-1, true);
  EXPECT_FALSE(grid.Marked(-1));
  grid.SelectCell(1400 % 3, 1400 / 3);
  const TRect r = grid.CellRect(grid.Col(), grid.Row());
  grid.MouseDown(Press(r.Left + 15, r.Top + 70));
  EXPECT_FALSE(grid.Marked(1400));
}

TEST(ThumbnailSelection, TheIndexIsKeptWithinThePicturesAndTheCellScrollsIntoView) {
  TQVThumbnail2 grid;
  std::vector<int> selected;
  grid.OnSelectItem = [&](TQVThumbnail2&, int index) { selected.push_back(index); };
  grid.SetPictureList(Names(10));
  grid.SelectCell(0, 3);
  EXPECT_EQ(grid.TopRow(), 1) << "three rows of 80 fit in 246 pixels";
  grid.SelectCell(5, 9);
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_EQ(grid.Row(), 3);
  grid.SelectCell(0, 0);
  EXPECT_EQ(grid.TopRow(), 0);
  grid.KeyDown(TQVThumbnail2::TKey::Down);
  grid.KeyDown(TQVThumbnail2::TKey::End);
  grid.KeyDown(TQVThumbnail2::TKey::Right);  // at the edge: no move, no event
  EXPECT_EQ(selected, (std::vector<int>{9, 9, 0, 3, 5}));

  TQVThumbnail2 empty;
  int index = -1;
  empty.OnSelectItem = [&](TQVThumbnail2&, int i) { index = i; };
  empty.SetPictureList({});
  empty.SelectCell(0, 0);
  EXPECT_EQ(index, 0) << "with no pictures the index is raised to 0";
}

// The cell at (0, 0) of a grid whose Color is white; L = T = 0.
class CellDrawing : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  TQVThumbnail2 grid;
  void SetUp() override {
    qvtest::WritePicture(dir.file("p.bmp"), Filled(80, 60, 0xFF00C000u));
    grid.SetColor(clWhite);
    grid.SetShowCheckBox(true);
    grid.SetPictureList({dir.file("p.bmp"), dir.file("p.bmp")});
  }
  TBitmap32 Cell(bool selected) {
    TBitmap32 b(100, 80);
    b.Clear(0xFF123456u);
    PaintTo(grid.PaintCell(0, 0, {0, 0, 100, 80}, selected), b);
    return b;
  }
};

TEST_F(CellDrawing, AnUnselectedFrameIsOnePixelOfTwentyPercentOverFivePercent) {
  const TBitmap32 b = Cell(false);
  const uint32_t pen = ColorToPixel(MixColors(clBlack, clWhite, 20));
  const uint32_t brush = ColorToPixel(MixColors(clBlack, clWhite, 5));
  EXPECT_EQ(pen, 0xFFCCCCCCu);
  EXPECT_EQ(brush, 0xFFF3F3F3u);
  EXPECT_EQ(b.Pixel(0, 0), 0xFFFFFFFFu) << "the cell is filled with Color";
  EXPECT_EQ(b.Pixel(9, 9), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(10, 10), pen);
  EXPECT_EQ(b.Pixel(99, 79), pen) << "the frame reaches the cell's last pixel";
  EXPECT_EQ(b.Pixel(99, 40), pen) << "right edge at L + PictureWidth + 19";
  EXPECT_EQ(b.Pixel(50, 79), pen) << "bottom edge at T + PictureHeight + 19";
  EXPECT_EQ(b.Pixel(11, 11), brush);
  EXPECT_EQ(b.Pixel(15, 15), 0xFF00C000u) << "the thumbnail at L + (R - L + 10 - PictureWidth) / 2, T + 15";
  EXPECT_EQ(b.Pixel(14, 15), brush);
  EXPECT_EQ(b.Pixel(94, 74), 0xFF00C000u);
}

TEST_F(CellDrawing, ASelectedFrameIsTwoPixelsOfTheHighlightOverTenPercent) {
  const TBitmap32 b = Cell(true);
  const uint32_t pen = ColorToPixel(clHighlight);
  const uint32_t brush = ColorToPixel(MixColors(clBlack, clWhite, 10));
  EXPECT_EQ(brush, 0xFFE6E6E6u);
  EXPECT_EQ(b.Pixel(10, 30), pen);
  EXPECT_EQ(b.Pixel(11, 30), pen);
  EXPECT_EQ(b.Pixel(12, 30), brush);
  EXPECT_EQ(b.Pixel(30, 10), pen);
  EXPECT_EQ(b.Pixel(30, 11), pen);
  EXPECT_EQ(b.Pixel(98, 40), pen);
  EXPECT_EQ(b.Pixel(99, 40), pen);
  EXPECT_EQ(b.Pixel(97, 40), brush);
  EXPECT_EQ(b.Pixel(9, 30), 0xFFFFFFFFu);
}

TEST_F(CellDrawing, TheCheckBoxShowsATickOnlyWhenMarked) {
  // Square at x = 13, y = 66; the tick's middle stroke passes (x + 5, y + 5).
  const int x = 13, y = 66;
  const uint32_t white = 0xFFFFFFFFu, boxPen = ColorToPixel(MixColors(clBlack, clWhite, 30));
  TBitmap32 b = Cell(false);
  EXPECT_EQ(b.Pixel(x, y), boxPen);
  EXPECT_EQ(b.Pixel(x + 10, y + 10), boxPen);
  EXPECT_EQ(b.Pixel(x + 5, y + 5), white);
  EXPECT_EQ(b.Pixel(x + 3, y + 6), white);
  grid.SetMarked(0, true);
  b = Cell(false);
  EXPECT_EQ(b.Pixel(x + 5, y + 5), boxPen);
  EXPECT_EQ(b.Pixel(x + 3, y + 6), boxPen);
  EXPECT_EQ(b.Pixel(x + 7, y + 3), boxPen);
  EXPECT_EQ(b.Pixel(x + 3, y + 8), white) << "trimmed to the brush";
  EXPECT_EQ(b.Pixel(x + 1, y + 4), white) << "the inner frame is in the brush colour";
  EXPECT_EQ(b.Pixel(x + 1, y + 1), white);
  b = Cell(true);
  EXPECT_EQ(b.Pixel(x + 5, y + 5), ColorToPixel(clHighlight)) << "a selected cell's tick takes the highlight";
}

TEST_F(CellDrawing, AnEmptyCellIsOnlyFilledAndTitlesComeAsTextUnderThePicture) {
  TPaintList empty = grid.PaintCell(2, 0, {200, 0, 300, 80}, false);
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_EQ(empty[0].kind, TPaintOp::TKind::Fill);
  grid.SetShowTitle(true);
  const TPaintList cell = grid.PaintCell(0, 0, {0, 0, 100, 110}, true);
  const TPaintOp& title = cell.back();
  ASSERT_EQ(title.kind, TPaintOp::TKind::Text);
  EXPECT_EQ(title.text, "p.bmp");
  EXPECT_EQ(title.rect, (TRect{10, 84, 100, 110}));
  EXPECT_EQ(title.color, clHighlightText);
  EXPECT_EQ(title.align, TPaintOp::Center | TPaintOp::WordWrap);
  EXPECT_EQ(cell[cell.size() - 2].color, clHighlight) << "on the highlight";
  EXPECT_EQ(grid.PaintCell(0, 0, {0, 0, 100, 110}, false).back().color, grid.Font().Color);
}

}  // namespace
}  // namespace qv
