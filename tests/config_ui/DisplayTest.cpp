// The configuration window's widgets on a virtual X display: what the
// controls decide is what reaches the screen, and input reaches the controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Pictures.h"
#include "graphics/uGraphicUtil.h"
#include "platform/doubles/RecordingDialogs.h"
#include "support/TempDir.h"
// FLTK brings in Xlib, whose macros clash with the names above.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Tabs.H>
#include <FL/x.H>

#include "config_ui/fltk/FlMyControls.h"
#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlQVThumbnail2.h"
#include "config_ui/fltk/FlSettingWindow.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/fltk/FltkTimer.h"

namespace qv::ui {
namespace {

using qvtest::Filled;

class OnDisplay : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  void SetUp() override {
    platform::OpenFltkDisplay();
    ASSERT_NE(fl_display, nullptr) << "these tests need an X display (scripts/test.sh runs them under Xvfb)";
  }
  // An FLTK event at window position (x, y) with the left button.
  static void Event(Fl_Widget& w, int event, int x, int y, int clicks = 0) {
    Fl::e_x = x;
    Fl::e_y = y;
    Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
    Fl::e_clicks = clicks;
    Fl::e_state = event == FL_RELEASE ? 0 : FL_BUTTON1;
    w.handle(event);
  }
};

// A window with the grid at (10, 20): its client area starts 2 pixels further in.
class GridOnScreen : public OnDisplay {
 protected:
  Fl_Double_Window window{400, 300};
  TFlQVThumbnail2* grid = nullptr;
  static constexpr int kLeft = 12, kTop = 22;  // the client area in the window

  void SetUp() override {
    OnDisplay::SetUp();
    grid = new TFlQVThumbnail2(10, 20, 350, 250);
    window.end();
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
      std::string name = "p";  // built in steps: GCC 12 warns falsely on "p" + std::string
      name.append(std::to_string(i)).append(".bmp");
      files.push_back(dir.file(name));
      qvtest::WritePicture(files.back(), Filled(80, 60, 0xFF00A000u));
    }
    TQVThumbnail2& g = grid->Control();
    g.SetColor(clWhite);
    g.SetShowCheckBox(true);
    g.SetPictureList(files);
    g.SetMarked(1, true);
  }
};

TEST_F(GridOnScreen, TheSelectedAndAnUnselectedCellShowTheirFramesAndTheTick) {
  const TBitmap32 shot = CaptureWidget(window);
  ASSERT_EQ(shot.Width(), 400);
  const uint32_t highlight = ColorToPixel(clHighlight);
  // Cell 0 is selected: a frame of two pixels in the highlight over 10 %.
  EXPECT_EQ(shot.Pixel(kLeft + 10, kTop + 40), highlight);
  EXPECT_EQ(shot.Pixel(kLeft + 11, kTop + 40), highlight);
  EXPECT_EQ(shot.Pixel(kLeft + 12, kTop + 12), 0xFFE6E6E6u);
  EXPECT_EQ(shot.Pixel(kLeft + 9, kTop + 40), 0xFFFFFFFFu);
  // Cell 1 is not: one pixel at 20 % over 5 %, and its mark ticked at 30 %.
  EXPECT_EQ(shot.Pixel(kLeft + 110, kTop + 40), 0xFFCCCCCCu);
  EXPECT_EQ(shot.Pixel(kLeft + 111, kTop + 40), 0xFFF3F3F3u);
  EXPECT_EQ(shot.Pixel(kLeft + 113 + 5, kTop + 66 + 5), 0xFFB3B3B3u);
  EXPECT_EQ(shot.Pixel(kLeft + 13 + 5, kTop + 66 + 5), 0xFFFFFFFFu) << "cell 0 is not ticked";
  EXPECT_EQ(shot.Pixel(kLeft + 140, kTop + 30), 0xFF00A000u) << "the thumbnail";
  EXPECT_EQ(shot.Pixel(10, 20), ColorToPixel(clBtnShadow)) << "the sunken border";
}

TEST_F(GridOnScreen, PressesTickAndSelectAndTheWheelScrolls) {
  std::vector<int> selected;
  grid->Control().OnSelectItem = [&](TQVThumbnail2&, int index) { selected.push_back(index); };
  Event(*grid, FL_PUSH, kLeft + 224, kTop + 77);  // the far corner of cell 2's check box
  Event(*grid, FL_RELEASE, kLeft + 224, kTop + 77);
  EXPECT_TRUE(grid->Control().Marked(2));
  EXPECT_EQ(selected, (std::vector<int>{2}));
  TBitmap32 shot = CaptureWidget(window);
  EXPECT_EQ(shot.Pixel(kLeft + 213 + 5, kTop + 66 + 5), ColorToPixel(clHighlight)) << "ticked and selected";
  EXPECT_EQ(shot.Pixel(kLeft + 10, kTop + 40), 0xFFCCCCCCu) << "cell 0 no longer selected";

  Fl::e_dy = 1;
  grid->handle(FL_MOUSEWHEEL);
  EXPECT_EQ(grid->Control().TopRow(), 1);
  shot = CaptureWidget(window);
  EXPECT_EQ(shot.Pixel(kLeft + 113 + 5, kTop + 66 + 5), 0xFFFFFFFFu) << "row 1 is now on top: picture 4, not ticked";
}

TEST_F(OnDisplay, APictureButtonShowsItsFacesAndLeavesItsTransparentColour) {
  Fl_Double_Window window(100, 60);
  window.color(fl_rgb_color(0, 0, 255));
  auto* button = new TFlMyButton(10, 10, 40, 20, {});
  window.end();
  TSkinPicture up;
  up.kind = TGraphicKind::Bitmap;
  up.bitmap = Filled(30, 16, 0xFFFF0000u);
  up.bitmap.SetPixel(0, 15, 0xFFFF00FFu);  // the bottom-left pixel: the transparent colour
  up.bitmap.SetPixel(29, 0, 0xFFFF00FFu);
  TSkinPicture down = up;
  down.bitmap.Clear(0xFF00FF00u);
  down.bitmap.SetPixel(0, 15, 0xFFFF00FFu);
  button->Control().SetButtonUp(up);
  button->Control().SetButtonDown(down);
  EXPECT_EQ(button->w(), 30) << "AutoSize reaches the widget";
  EXPECT_EQ(button->h(), 16);
  TBitmap32 shot = CaptureWidget(window);
  EXPECT_EQ(shot.Pixel(15, 15), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(39, 10), 0xFF0000FFu) << "the window shows through";
  int pressed = 0;
  button->Control().OnMousePressed = [&](TMyButton&) { ++pressed; };
  Event(*button, FL_PUSH, 15, 15);
  EXPECT_EQ(pressed, 1);
  shot = CaptureWidget(window);
  EXPECT_EQ(shot.Pixel(15, 15), 0xFF00FF00u) << "pressed: the down picture";
  Event(*button, FL_RELEASE, 15, 15);
  EXPECT_FALSE(button->Control().Pressed());
}

TEST_F(OnDisplay, ThePreviewStretchesItsPictureOverTheWidget) {
  qvtest::WritePicture(dir.file("p.bmp"), Filled(64, 48, 0xFF3366CCu));
  Fl_Double_Window window(300, 200);
  auto* preview = new TFlQVPreview(0, 0, 100, 80);
  window.end();
  ASSERT_TRUE(preview->Control().LoadPicture(dir.file("p.bmp")));
  preview->resize(0, 0, 200, 150);
  const TBitmap32 shot = CaptureWidget(window);
  EXPECT_EQ(preview->Control().Picture().Width(), 100) << "not rescaled until the next load";
  EXPECT_EQ(shot.Pixel(190, 140), 0xFF3366CCu);
}

TEST_F(OnDisplay, TheSettingsDialogPlacesItsControlsAndAddsChosenFiles) {
  std::vector<std::string> music = {"/music/a.mp3"};
  platform::TRecordingDialogs dialogs;
  TfmSettingWindow dialog(music, dialogs);
  TFlSettingWindow view(dialog);
  EXPECT_STREQ(view.label(), "Settings");
  EXPECT_EQ(view.w(), 364);
  EXPECT_EQ(view.h(), 297);
  Fl_Widget* ok = view.Widget("Button1");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ((TRect{ok->x(), ok->y(), ok->w(), ok->h()}), (TRect{198, 264, 75, 25}));
  EXPECT_STREQ(ok->label(), "OK");
  Fl_Widget* quality = view.Widget("cbImageQuality");
  EXPECT_EQ(quality->x(), TfmSettingWindow::kPageLeft + 141);
  EXPECT_EQ(quality->y(), TfmSettingWindow::kPageTop + 67);
  EXPECT_EQ(quality->w(), 154);
  EXPECT_STREQ(static_cast<Fl_Choice*>(quality)->text(1), "Normal ");
  EXPECT_GE(view.Widget("cbTransition")->y(), view.h()) << "out of reach below the client area";
  EXPECT_STREQ(view.Widget("TabSheet2")->label(), "Background Music");

  dialog.FormShow();
  view.ShowValues();
  dialogs.openFileAnswers = {qvtest::Rooted("music/b.wav"), qvtest::Rooted("music/b.wav")};
  view.Press("Button3");
  view.Press("Button3");
  const auto* list = static_cast<Fl_Hold_Browser*>(static_cast<Fl_Group*>(view.Widget("lstMusic"))->child(1));
  ASSERT_EQ(list->size(), 3);
  EXPECT_EQ(list->text(3), qvtest::Rooted("music/b.wav"));
  view.Press("Button2");
  EXPECT_EQ(music, (std::vector<std::string>{"/music/a.mp3"})) << "Cancel";
  view.Press("Button1");
  EXPECT_EQ(music.size(), 3u) << "OK";

  const TBitmap32 shot = CaptureWidget(view);
  EXPECT_EQ(shot.Width(), 364);
}

TEST_F(OnDisplay, TheScreensPageOffersTheMonitorsAndThePanAndZoom) {
  std::vector<std::string> music;
  platform::TRecordingDialogs dialogs;
  TfmSettingWindow dialog(music, dialogs);
  TUserSettings given;
  given.Monitors = 1;
  given.PanZoom = true;
  given.PanZoomPercent = 80;
  dialog.SetValues(given, true);
  TFlSettingWindow view(dialog);
  EXPECT_STREQ(view.Widget("TabSheet3")->label(), "Screens");
  Fl_Widget* monitors = view.Widget("cbMonitors");
  EXPECT_EQ(monitors->x(), TfmSettingWindow::kPageLeft + 141);
  EXPECT_EQ(static_cast<Fl_Choice*>(monitors)->value(), 1);
  EXPECT_EQ(static_cast<Fl_Check_Button*>(view.Widget("cbPanZoom"))->value(), 1);
  EXPECT_STREQ(static_cast<Fl_Input*>(view.Widget("txtPanZoomPercent"))->value(), "80");
  view.Press("UpDown2.Up");
  view.Press("UpDown2.Up");
  EXPECT_STREQ(static_cast<Fl_Input*>(view.Widget("txtPanZoomPercent"))->value(), "82");
  static_cast<Fl_Choice*>(monitors)->value(2);
  view.Press("Button1");
  EXPECT_EQ(dialog.Values().Monitors, 2);
  EXPECT_EQ(dialog.Values().PanZoomPercent, 82);
  dialog.ActivePage = 2;
  view.ShowValues();
  EXPECT_EQ(static_cast<Fl_Tabs*>(view.Widget("PageControl1"))->value(), view.Widget("TabSheet3"));
}

TEST_F(OnDisplay, AnFltkTimerTicksOnTheEventLoopUntilItIsStopped) {
  int ticks = 0;
  std::unique_ptr<platform::ITimer> timer = platform::FltkTimerFactory()([&] { ++ticks; });
  timer->Start(1);
  EXPECT_TRUE(timer->Running());
  for (int i = 0; i < 2000 && ticks < 3; ++i) Fl::wait(0.01);
  EXPECT_GE(ticks, 3);
  timer->Stop();
  const int stopped = ticks;
  for (int i = 0; i < 5; ++i) Fl::wait(0.01);
  EXPECT_EQ(ticks, stopped);
  EXPECT_FALSE(timer->Running());
}

}  // namespace
}  // namespace qv::ui
