// A skin window's FLTK widgets on a virtual X display: placed as the
// description says, drawn from its controls, and its input reaching them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Pictures.h"
#include "config_ui/FQVConfigWindow.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uStdControls.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "support/TempDir.h"
// FLTK brings in Xlib, whose macros clash with the names above.
#include <FL/Fl.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Tabs.H>
#include <FL/x.H>

#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlSkinWindow.h"
#include "platform/fltk/FltkDialogs.h"

namespace qv::ui {
namespace {

using qvtest::Filled;

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char h[3];
  for (uint8_t b : bytes) {
    std::snprintf(h, sizeof h, "%02X", b);
    out += h;
  }
  return out;
}

class SkinOnScreen : public ::testing::Test {
 protected:
  qvtest::TempDir dir;
  platform::TRecordingDialogs dialogs;
  TConfigServices services;
  TQVCProject project;
  TQVForms skin;
  std::unique_ptr<TfmQVCOnfigWindow> window;

  void SetUp() override {
    platform::OpenFltkDisplay();
    ASSERT_NE(fl_display, nullptr) << "these tests need an X display (scripts/test.sh runs them under Xvfb)";
    services.dialogs = &dialogs;
    services.exePath = dir.file("x.exe");  // no user settings
    for (int i = 0; i < 3; ++i) {
      std::string name = "p";
      name.append(std::to_string(i)).append(".bmp");
      qvtest::WritePicture(dir.file(name), Filled(40, 30, 0xFF000000u | (0x40u * (i + 1))));
      project.FileList().Add(dir.file(name), true);
    }
    TSkinPicture background;
    background.kind = TGraphicKind::Bitmap;
    background.bitmap = Filled(300, 200, 0xFF336699u);
    const std::string form =
        "object MainWindow: TfmForm\r\n"
        "  ClientWidth = 300\r\n  ClientHeight = 200\r\n  Caption = 'Skinned'\r\n  Color = clRed\r\n"
        "  object Image1: TImage\r\n    Tag = 1\r\n    Align = alClient\r\n"
        "    Picture.Data = {" + Hex(PictureData(background, true)) + "}\r\n  end\r\n"
        "  object NextLabel: TLabel\r\n    Tag = 1\r\n    Left = 10\r\n    Top = 10\r\n    Width = 40\r\n"
        "    Height = 20\r\n    Transparent = True\r\n    Caption = ''\r\n    Cursor = crHandPoint\r\n"
        "    Hint = 'Next'\r\n    ShowHint = True\r\n  end\r\n"
        "  object Panel1: TPanel\r\n    Tag = 1\r\n    Left = 150\r\n    Top = 100\r\n    Width = 140\r\n"
        "    Height = 90\r\n    Color = clYellow\r\n"
        "    object Preview: TQVPreview\r\n      Tag = 1\r\n      Left = 10\r\n      Top = 10\r\n"
        "      Width = 40\r\n      Height = 30\r\n    end\r\n"
        "    object Box: TCheckBox\r\n      Tag = 1\r\n      Left = 60\r\n      Top = 10\r\n      Caption = 'On'\r\n"
        "      Checked = True\r\n    end\r\n"
        "  end\r\n"
        "  object Pages: TPageControl\r\n    Tag = 1\r\n    Left = 10\r\n    Top = 40\r\n    Width = 130\r\n"
        "    Height = 100\r\n    ActivePage = Second\r\n"
        "    object First: TTabSheet\r\n      Caption = 'One'\r\n    end\r\n"
        "    object Second: TTabSheet\r\n      Caption = 'Two'\r\n"
        "      object Entry: TEdit\r\n        Tag = 1\r\n        Left = 5\r\n        Top = 5\r\n        Text = 'typed'\r\n"
        "      end\r\n"
        "    end\r\n"
        "  end\r\n"
        "  object Done: TBitBtn\r\n    Tag = 1\r\n    Left = 200\r\n    Top = 10\r\n    Kind = bkClose\r\n  end\r\n"
        "  object Hidden: TLabel\r\n    Tag = 0\r\n    Caption = 'gone'\r\n  end\r\n"
        "end";
    TAction next;
    next.Type = atNextPicture;
    skin.LoadSkinText(SkinFileText({{form, {{"NextLabel", next}}}}));
    window = std::make_unique<TfmQVCOnfigWindow>(services);
    std::vector<int> numbers;
    window->Load(ReadFormText(skin.FindForm(kMainWindow)->PrepareFormText(&numbers), &numbers));
    window->SetCurrent(skin, project);
  }

  static void Event(Fl_Widget& w, int event, int x, int y) {
    Fl::e_x = x;
    Fl::e_y = y;
    Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
    Fl::e_clicks = 0;
    Fl::e_state = event == FL_RELEASE ? 0 : FL_BUTTON1;
    w.handle(event);
  }
};

TEST_F(SkinOnScreen, WidgetsLieWhereTheDescriptionPutsThemGraphicOnesUnderTheOthers) {
  TFlSkinWindow view(*window);
  EXPECT_EQ(view.w(), 300);
  EXPECT_EQ(view.h(), 200);
  EXPECT_STREQ(view.label(), "Skinned");
  Fl_Widget* label = view.Widget("nextlabel");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ((TRect{label->x(), label->y(), label->w(), label->h()}), (TRect{10, 10, 40, 20}));
  EXPECT_STREQ(label->tooltip(), "Next");
  // Children of a panel and of a tab sheet are placed inside them.
  Fl_Widget* preview = view.Widget("Preview");
  EXPECT_EQ(preview->x(), 160);
  EXPECT_EQ(preview->y(), 110);
  Fl_Widget* entry = view.Widget("Entry");
  EXPECT_EQ(entry->x(), 10 + 4 + 5);
  EXPECT_EQ(entry->y(), 40 + TPageControl::kTabHeight + 5);
  EXPECT_STREQ(static_cast<Fl_Input*>(entry)->value(), "typed");
  auto* tabs = static_cast<Fl_Tabs*>(view.Widget("Pages"));
  EXPECT_EQ(tabs->value(), view.Widget("Second"));
  EXPECT_EQ(static_cast<Fl_Check_Button*>(view.Widget("Box"))->value(), 1);
  EXPECT_STREQ(view.Widget("Done")->label(), "&Close");
  // The picture and the label (no window of their own) come before the
  // panel, the page control and the button among the window's children.
  EXPECT_LT(view.find(view.Widget("Image1")), view.find(view.Widget("Panel1")));
  EXPECT_LT(view.find(label), view.find(view.Widget("Done")));
  EXPECT_LT(view.find(view.Widget("Pages")), view.find(view.Widget("Done")));
  EXPECT_EQ(view.Widget("Timer1"), nullptr);

  window->FormShow();
  EXPECT_FALSE(view.Widget("Hidden")->visible()) << "tag 0";
  const TBitmap32 shot = CaptureWidget(view);
  EXPECT_EQ(shot.Pixel(30, 20), 0xFF336699u) << "the background shows through the transparent label";
  EXPECT_EQ(shot.Pixel(285, 185), ColorToPixel(clYellow)) << "the panel";
  EXPECT_EQ(shot.Pixel(175, 125), 0xFF000040u) << "the preview shows picture 0";
}

TEST_F(SkinOnScreen, ClicksRunActionsAndEscapeAndTheCloseKindClose) {
  TFlSkinWindow view(*window);
  window->FormShow();
  Fl_Widget* label = view.Widget("NextLabel");
  Event(*label, FL_PUSH, 20, 15);
  Event(*label, FL_RELEASE, 20, 15);
  EXPECT_EQ(window->CurrentIndex(), 1);
  EXPECT_EQ(static_cast<TQVPreview*>(window->Components().Find("Preview")->control)->FileName(), dir.file("p1.bmp"));
  // A release away from the label is no click.
  Event(*label, FL_PUSH, 20, 15);
  Event(*label, FL_RELEASE, 120, 15);
  EXPECT_EQ(window->CurrentIndex(), 1);
  // Unchecking the box reaches its control.
  auto* box = static_cast<Fl_Check_Button*>(view.Widget("Box"));
  box->value(0);
  box->do_callback();
  EXPECT_FALSE(static_cast<TCheckBox*>(window->Components().Find("Box")->control)->Checked());

  EXPECT_FALSE(window->CloseRequested());
  Fl::e_keysym = FL_Escape;
  view.do_callback();  // what Escape and the window manager's close button do
  EXPECT_TRUE(window->CloseRequested());
}

TEST_F(SkinOnScreen, AButtonWithAModalResultClosesTheWindow) {
  TFlSkinWindow view(*window);
  window->FormShow();
  view.Widget("Done")->do_callback();
  EXPECT_TRUE(window->CloseRequested());
}

TEST(Fonts, WindowsFontsThatAreMissingHereBecomeTheDejaVuFamilyOfTheirKind) {
  auto none = [](const std::string&) { return false; };
  EXPECT_EQ(FontFamilyFor("Tahoma", none), "DejaVu Sans");
  EXPECT_EQ(FontFamilyFor("MS Sans Serif", none), "DejaVu Sans");
  EXPECT_EQ(FontFamilyFor("Courier New", none), "DejaVu Sans Mono");
  EXPECT_EQ(FontFamilyFor("Lucida Console", none), "DejaVu Sans Mono");
  EXPECT_EQ(FontFamilyFor("Times New Roman", none), "DejaVu Serif");
  EXPECT_EQ(FontFamilyFor("Georgia", none), "DejaVu Serif");
  EXPECT_EQ(FontFamilyFor("", none), "DejaVu Sans");
  EXPECT_EQ(FontFamilyFor("Special Elite", [](const std::string& n) { return n == "Special Elite"; }), "Special Elite");
  // On this display: a missing Windows font is drawn with DejaVu when it is there.
  platform::OpenFltkDisplay();
  TFont font;
  font.Name = "Courier New";
  font.Bold = true;
  int attributes = 0;
  const std::string face = Fl::get_font_name(FlFace(font), &attributes);
  if (face.rfind("DejaVu", 0) == 0) {
    EXPECT_EQ(face, "DejaVu Sans Mono bold");
    EXPECT_EQ(attributes, FL_BOLD);
  } else {
    EXPECT_EQ(FlFace(font), FL_COURIER_BOLD) << "without DejaVu, FLTK's own faces";
  }
}

}  // namespace
}  // namespace qv::ui
