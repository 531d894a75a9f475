#include "config_ui/uMyButton.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/doubles/ManualTimers.h"

namespace qv {
namespace {

TSkinPicture Picture(int w, int h, uint32_t pixel, TGraphicKind kind = TGraphicKind::Bitmap) {
  TSkinPicture p;
  p.kind = kind;
  p.bitmap.SetSize(w, h);
  p.bitmap.Clear(pixel);
  return p;
}

TMouseEvent At(int x, int y, TMouseButton b = TMouseButton::Left) {
  TMouseEvent e;
  e.button = b;
  e.x = x;
  e.y = y;
  return e;
}

// Every character is 6 pixels wide and 13 high.
void Measure(const std::string& text, const TFont&, int& w, int& h) {
  w = static_cast<int>(text.size()) * 6;
  h = 13;
}

class HeldButton : public ::testing::Test {
 protected:
  platform::TManualClock clock;
  platform::TManualTimers timers{clock};
  TMyButton button{timers.Factory()};
  std::vector<uint32_t> fired;

  void SetUp() override {
    button.SetBounds(0, 0, 40, 20);
    button.OnMousePressed = [this](TMyButton&) { fired.push_back(clock.TickCount()); };
  }
};

TEST_F(HeldButton, HoldingOneSecondFiresAtThePressAfter500MsThenEvery50Ms) {
  button.MouseDown(At(5, 5));
  timers.Advance(999);
  EXPECT_EQ(fired, (std::vector<uint32_t>{0, 500, 550, 600, 650, 700, 750, 800, 850, 900, 950}));
  timers.Advance(1);
  EXPECT_EQ(fired.size(), 12u);
  button.MouseUp(At(5, 5));
  timers.Advance(1000);
  EXPECT_EQ(fired.size(), 12u) << "the release stops the repeat";
}

TEST_F(HeldButton, LeavingPausesTheRepeatAndComingBackResumesItAtItsPace) {
  button.MouseDown(At(5, 5));
  timers.Advance(520);  // fired at 0 and 500
  button.MouseMove(At(60, 5));
  EXPECT_FALSE(button.MouseInControl());
  EXPECT_EQ(button.State(), TButtonState::Up) << "pressed with the pointer outside draws up";
  timers.Advance(300);
  EXPECT_EQ(fired.size(), 2u);
  button.MouseMove(At(6, 6));  // back at 820
  EXPECT_EQ(button.State(), TButtonState::Down);
  timers.Advance(100);
  EXPECT_EQ(fired, (std::vector<uint32_t>{0, 500, 870, 920}));
}

TEST_F(HeldButton, ASecondPressWhileHeldDoesNotFireAgainAndDisablingStopsTheRepeat) {
  button.MouseDown(At(5, 5));
  button.MouseDown(At(5, 5, TMouseButton::Right));
  EXPECT_EQ(fired.size(), 1u);
  button.SetEnabled(false);
  timers.Advance(2000);
  EXPECT_EQ(fired.size(), 1u);
  EXPECT_FALSE(button.Pressed());
}

TEST(MyButton, WithoutTimersThePressFiresOnce) {
  TMyButton button;
  int fired = 0;
  button.OnMousePressed = [&](TMyButton&) { ++fired; };
  button.MouseDown(At(1, 1));
  button.MouseUp(At(1, 1));
  EXPECT_EQ(fired, 1);
}

TEST(MyButton, StatesFollowThePointerAndThePress) {
  TMyButton button;
  button.SetBounds(0, 0, 40, 20);
  EXPECT_EQ(button.State(), TButtonState::Up);
  button.MouseMove(At(3, 3));
  EXPECT_EQ(button.State(), TButtonState::Over);
  button.MouseDown(At(3, 3));
  EXPECT_EQ(button.State(), TButtonState::Down);
  button.MouseUp(At(3, 3));
  EXPECT_EQ(button.State(), TButtonState::Over);
  button.MouseLeave();
  EXPECT_EQ(button.State(), TButtonState::Up);
  button.SetEnabled(false);
  EXPECT_EQ(button.State(), TButtonState::Disabled);
  button.MouseMove(At(3, 3));
  EXPECT_EQ(button.State(), TButtonState::Disabled) << "a disabled button takes no input";
}

TEST(MyButton, ClicksOnlyWhenReleasedOverIt) {
  TMyButton button;
  button.SetBounds(0, 0, 40, 20);
  int clicks = 0, ups = 0;
  button.OnClick = [&](TControl&) { ++clicks; };
  button.OnMouseUp = [&](TControl&, const TMouseEvent&) { ++ups; };
  button.MouseDown(At(3, 3));
  button.MouseUp(At(3, 3));
  button.MouseDown(At(3, 3));
  button.MouseMove(At(50, 3));
  button.MouseUp(At(50, 3));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ups, 2);
}

TEST(MyButton, ADoubleClickIsOneClickAndOneDoubleClick) {
  TMyButton button;
  button.SetBounds(0, 0, 40, 20);
  int clicks = 0, doubles = 0;
  button.OnClick = [&](TControl&) { ++clicks; };
  button.OnDblClick = [&](TControl&) { ++doubles; };
  button.MouseDown(At(3, 3));
  button.MouseUp(At(3, 3));
  button.MouseDown(At(3, 3), true);
  button.MouseUp(At(3, 3));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);
}

TEST(MyButton, AllowDownLatchesOnEachClickAndDownIsIgnoredWithoutIt) {
  TMyButton button;
  button.SetBounds(0, 0, 40, 20);
  button.SetDown(true);
  EXPECT_FALSE(button.Down());
  button.MouseDown(At(3, 3));
  button.MouseUp(At(3, 3));
  EXPECT_FALSE(button.Down()) << "without AllowDown a click does not latch";

  button.SetAllowDown(true);
  button.MouseDown(At(3, 3));
  button.MouseUp(At(3, 3));
  EXPECT_TRUE(button.Down());
  button.MouseLeave();
  EXPECT_EQ(button.State(), TButtonState::Down) << "a latched button draws down";
  button.MouseDown(At(3, 3));
  button.MouseUp(At(3, 3));
  EXPECT_FALSE(button.Down());

  button.MouseDown(At(3, 3));
  button.MouseMove(At(80, 3));
  button.MouseUp(At(80, 3));
  EXPECT_FALSE(button.Down()) << "a press released away from the button is no click and leaves the latch";

  button.SetDown(true);
  EXPECT_TRUE(button.Down());
  button.SetAllowDown(false);
  EXPECT_FALSE(button.Down());
}

TEST(MyButton, OnlyAnUpPictureIsShownInEveryEnabledState) {
  TMyButton button;
  button.SetButtonUp(Picture(30, 12, 0xFF112233u));
  EXPECT_EQ(button.Width(), 30) << "AutoSize takes the up picture's size";
  EXPECT_EQ(button.Height(), 12);
  for (int step = 0; step < 3; ++step) {
    if (step == 1) button.MouseMove(At(2, 2));   // over
    if (step == 2) button.MouseDown(At(2, 2));   // down
    const TButtonFace face = button.Paint(Measure);
    EXPECT_EQ(face.kind, TButtonFace::TKind::Picture) << step;
    EXPECT_EQ(face.picture, &button.ButtonUp()) << step;
    EXPECT_TRUE(face.transparent);
  }
  button.SetEnabled(false);
  EXPECT_EQ(button.Paint(Measure).kind, TButtonFace::TKind::PushButton) << "no disabled picture";
}

TEST(MyButton, EachStateTakesItsOwnPicture) {
  TMyButton button;
  button.SetAutoSize(false);
  button.SetBounds(0, 0, 40, 20);
  button.SetTransparent(false);
  button.SetButtonUp(Picture(40, 20, 0xFF000001u));
  button.SetButtonOver(Picture(40, 20, 0xFF000002u));
  button.SetButtonDown(Picture(40, 20, 0xFF000003u));
  button.SetButtonDisable(Picture(40, 20, 0xFF000004u));
  EXPECT_EQ(button.Paint(Measure).picture, &button.ButtonUp());
  button.MouseMove(At(1, 1));
  EXPECT_EQ(button.Paint(Measure).picture, &button.ButtonOver());
  button.MouseDown(At(1, 1));
  EXPECT_EQ(button.Paint(Measure).picture, &button.ButtonDown());
  EXPECT_FALSE(button.Paint(Measure).transparent);
  button.SetEnabled(false);
  EXPECT_EQ(button.Paint(Measure).picture, &button.ButtonDisable());
}

TEST(MyButton, WithoutPicturesAStandardButtonThatSinksWhilePressed) {
  TMyButton button;
  button.SetBounds(0, 0, 60, 24);
  EXPECT_EQ(button.Paint(Measure).kind, TButtonFace::TKind::PushButton);
  button.MouseMove(At(1, 1));
  EXPECT_EQ(button.Paint(Measure).kind, TButtonFace::TKind::PushButton);
  button.MouseDown(At(1, 1));
  EXPECT_EQ(button.Paint(Measure).kind, TButtonFace::TKind::SunkenEdge);
  EXPECT_EQ(button.Width(), 60) << "AutoSize needs an up picture";
}

TEST(MyButton, TheCaptionIsCentredWithoutItsMarkerAndHiddenWhenDisabled) {
  TMyButton button;
  button.SetBounds(0, 0, 61, 30);
  button.SetCaption("&Next");
  EXPECT_FALSE(button.Paint(Measure).showCaption);
  button.SetShowCaption(true);
  const TButtonFace face = button.Paint(Measure);
  EXPECT_TRUE(face.showCaption);
  EXPECT_EQ(face.text, "Next");
  EXPECT_EQ(face.underline, 0);
  EXPECT_EQ(face.textX, (61 - 24) / 2);
  EXPECT_EQ(face.textY, (30 - 13) / 2);
  button.SetCaption("A very long caption here");  // wider than the button
  EXPECT_EQ(button.Paint(Measure).textX, (61 - 144) / 2);
  button.SetEnabled(false);
  EXPECT_FALSE(button.Paint(Measure).showCaption);
}

TEST(MyButton, TheMarkedCharacterClicksAnEnabledVisibleButtonOnAShowingParent) {
  TMyButton button;
  int clicks = 0;
  button.OnClick = [&](TControl&) { ++clicks; };
  button.SetCaption("Pre&view");
  EXPECT_TRUE(button.DialogChar(U'v'));
  EXPECT_TRUE(button.DialogChar(U'V'));
  EXPECT_FALSE(button.DialogChar(U'p'));
  EXPECT_FALSE(button.DialogChar(U'v', false));
  button.SetVisible(false);
  EXPECT_FALSE(button.DialogChar(U'v'));
  button.SetVisible(true);
  button.SetEnabled(false);
  EXPECT_FALSE(button.DialogChar(U'v'));
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(AcceleratorOf("Fish && Chips"), 0u);
  EXPECT_EQ(AcceleratorOf("Fish && &Chips"), U'C');
  EXPECT_EQ(CaptionText("Fish && &Chips"), "Fish & Chips");
}

TEST(SkinPicture, TransparentBitmapsLeaveOutTheirBottomLeftColourButJpegsDoNot) {
  TSkinPicture p = Picture(3, 2, 0xFFFF00FFu);
  p.bitmap.SetPixel(1, 0, 0xFF00FF00u);
  const TBitmap32 keyed = PictureForDrawing(p, true);
  EXPECT_EQ(keyed.Pixel(0, 1) >> 24, 0u);
  EXPECT_EQ(keyed.Pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(keyed.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(PictureForDrawing(p, false).Pixel(0, 1), 0xFFFF00FFu);
  p.kind = TGraphicKind::Jpeg;
  EXPECT_EQ(PictureForDrawing(p, true).Pixel(0, 1), 0xFFFF00FFu);
}

}  // namespace
}  // namespace qv
