// The skin file: its records and actions, the steps that make a description
// ready to build, the placeholders, and the components a description makes.
#include <gtest/gtest.h>

#include "Pictures.h"
#include "common/Error.h"
#include "config_ui/uMyButton.h"
#include "config_ui/uQVForms.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uSkinComponents.h"
#include "config_ui/uStdControls.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "project/uQVProject.h"
#include "support/TempDir.h"

namespace qv {
namespace {

std::string SkinErrorOf(const std::string& text) {
  TQVForms skin;
  try {
    skin.LoadSkinText(text);
  } catch (const EQVError& e) {
    return e.what();
  }
  return "(loaded)";
}

// A skin of two windows; the second's action text has an empty line.
const char kTwoWindows[] =
    "2\r\n"
    "4\r\n"
    "object MainWindow: TfmForm\r\n"
    "  object Label1: TLabel\r\n"
    "  end\r\n"
    "end\r\n"
    "11\r\n"
    "2\r\n"
    "Label1\r\n"
    "0\r\n"
    "<Website>\r\n"
    "\r\n"
    "\r\n"
    "Label1\r\n"
    "6\r\n"
    "\r\n"
    "x\r\n"
    "y\r\n"
    "1\r\n"
    "Dummy\r\n"
    "2\r\n"
    "object Thumbs: TForm\r\n"
    "end\r\n"
    "6\r\n"
    "1\r\n"
    "OK\r\n"
    "6\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "0\r\n";

TEST(Skin, RecordsAreStoredUnderTheirWindowsNameWithTheirActions) {
  TQVForms skin;
  skin.LoadSkinText(kTwoWindows);
  ASSERT_EQ(skin.Forms().size(), 2u);
  const TQVForm* main = skin.FindForm("mainwindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->Name, "MainWindow");
  EXPECT_EQ(main->FirstLine, 3);
  EXPECT_EQ(main->Lines.size(), 4u);
  // The first action of a name is the one found; empty lines became one blank.
  const TAction* action = main->Actions.Find("LABEL1");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->Type, 0);
  EXPECT_EQ(action->Param1, "<Website>");
  EXPECT_EQ(action->Param2, " ");
  EXPECT_EQ(action->Param3, " ");
  EXPECT_EQ(main->Actions.Entries().size(), 2u);
  EXPECT_EQ(main->Actions.Entries()[1].second.Param1, " ");
  EXPECT_EQ(main->Actions.Find("Label2"), nullptr);
  ASSERT_NE(skin.FindForm("Thumbs"), nullptr);
  EXPECT_EQ(skin.FindForm("Thumbs")->Actions.Find("OK")->Type, 6);
  EXPECT_EQ(skin.FindForm("Other"), nullptr);
  ASSERT_NE(skin.FormText("Thumbs"), nullptr);
  EXPECT_EQ(*skin.FormText("Thumbs"), "object Thumbs: TForm\r\nend");

  // Loading again discards what was there.
  skin.LoadSkinText("1\r\n1\r\nobject Other: TForm\r\n0\r\n0\r\n");
  EXPECT_EQ(skin.Forms().size(), 1u);
  EXPECT_EQ(skin.FindForm("MainWindow"), nullptr);
}

TEST(Skin, CountsThatRunPastTheEndOrAreNoNumbersNameTheirLine) {
  EXPECT_EQ(SkinErrorOf("2\r\n1\r\nobject A: TForm\r\n0\r\n0\r\n"),
            "line 6: the file ends where the number of form lines should be");
  EXPECT_EQ(SkinErrorOf("1\r\n99\r\nobject A: TForm\r\n0\r\n0\r\n"),
            "line 2: the number of form lines 99 runs past the end of the file (3 lines follow)");
  EXPECT_EQ(SkinErrorOf("1\r\n1\r\nobject A: TForm\r\n2\r\n9\r\nA\r\n0\r\n"),
            "line 5: 9 actions do not fit in the 1 lines that follow");
  EXPECT_EQ(SkinErrorOf("1\r\n1\r\nobject A: TForm\r\n6\r\n1\r\nA\r\nsix\r\n\r\n\r\n\r\n0\r\n"),
            "line 7: the action type \"six\" is not a number");
  EXPECT_EQ(SkinErrorOf("one\r\n"), "line 1: the number of windows \"one\" is not a number");
  EXPECT_EQ(SkinErrorOf("1\r\n-1\r\n"), "line 2: the number of form lines \"-1\" is not a number");
  EXPECT_EQ(SkinErrorOf("4000000000\r\n"),
            "line 1: the number of windows 4000000000 runs past the end of the file (0 lines follow)");
  EXPECT_EQ(SkinErrorOf(""), "line 1: the file ends where the number of windows should be");
  // A failed load keeps nothing.
  TQVForms skin;
  skin.LoadSkinText(kTwoWindows);
  EXPECT_THROW(skin.LoadSkinText("1\r\n"), EQVError);
  EXPECT_TRUE(skin.Forms().empty());
}

TEST(Skin, FilesAreReadOnlyWhenTheyAreRegularFiles) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("QVGUI.qvu"), kTwoWindows);
  TQVForms skin;
  skin.LoadSkin(dir.file("QVGUI.qvu"));
  EXPECT_EQ(skin.Forms().size(), 2u);
  EXPECT_THROW(skin.LoadSkin(dir.file("missing.qvu")), EQVError);
  EXPECT_THROW(skin.LoadSkin(dir.path()), EQVError);
  EXPECT_TRUE(skin.Forms().empty());
}

TEST(Skin, WrittenSkinsReadBack) {
  TSkinRecord record;
  record.formText = "object Main: TForm\r\n  Caption = 'x'\r\nend";
  TAction a;
  a.Type = 9;
  a.Param1 = "p";
  record.actions = {{"Wall", a}};
  TQVForms skin;
  skin.LoadSkinText(SkinFileText({record, record}));
  ASSERT_EQ(skin.Forms().size(), 2u);
  EXPECT_EQ(skin.Forms()[1].Actions.Find("wall")->Param1, "p");
  EXPECT_EQ(skin.Forms()[1].Actions.Find("wall")->Param2, " ");
  EXPECT_EQ(*skin.FormText("Main"), record.formText);
}

TQVForm Form(std::vector<std::string> lines) {
  TQVForm form;
  form.Lines = std::move(lines);
  form.Name = "MainWindow";
  form.FirstLine = 10;
  return form;
}

TEST(PrepareFormText, TheWindowBecomesAConfigurationWindowAndItsEventsAndFrameLinesGo) {
  const TQVForm form = Form({
      "object MainWindow: TfmForm",
      "  BorderIcons = [biSystemMenu]",
      "  BorderStyle = bsNone",
      "  OnShow = FormShow",
      "  object Label1: TLabel",
      "    Only = 1",
      "    OnClick = Label1Click",
      "    OnMouseDown = Label1MouseDown",
      "    On2 = x",
      "    BORDERSTYLE = bsSingle",
      "    FormStyle = fsStayOnTop",
      "    Online = True",
      "  end",
      "end",
  });
  std::vector<int> numbers;
  EXPECT_EQ(form.PrepareFormText(&numbers),
            "object MainWindow: TfmQVConfigWindow\r\n"
            "  object Label1: TLabel\r\n"
            "    Only = 1\r\n"
            "    Online = True\r\n"
            "  end\r\n"
            "end");
  EXPECT_EQ(numbers, (std::vector<int>{10, 14, 15, 21, 22, 23}));
  // The stored lines are as they were.
  EXPECT_EQ(form.Lines[0], "object MainWindow: TfmForm");
}

TEST(PrepareFormText, OnlyTheFirstVisibleLineGoesAndLaterLinesAreStillFiltered) {
  const TQVForm form = Form({
      "object MainWindow: TfmForm",
      "  Visible = True",
      "  object Label1: TLabel",
      "    Visible = False",
      "    OnClick = Label1Click",
      "  end",
      "end",
  });
  EXPECT_EQ(form.PrepareFormText(),
            "object MainWindow: TfmQVConfigWindow\r\n"
            "  object Label1: TLabel\r\n"
            "    Visible = False\r\n"
            "  end\r\n"
            "end");
}

TEST(Placeholders, EveryOccurrenceIsReplacedCaseSensitivelyInOnePass) {
  TQVCProject project;
  project.Setting().ProductName = "Bob's <Website>";
  project.Setting().Publisher = "Sea & Co";
  project.Setting().Website = "http://example.org";
  EXPECT_EQ(SubstitutePlaceholders("<ScreensaverName> by <CompanyName>, <Website> <Website> <website>", project),
            "Bob's <Website> by Sea & Co, http://example.org http://example.org <website>");
  EXPECT_EQ(SubstitutePlaceholders("<Screensaver", project), "<Screensaver");
}

// ---- Components ----

TFormObject Read(const std::string& text) { return ReadFormText(text); }

struct Built {
  TfmQVFormParent window;
  TSkinTree tree{window, {}};
  explicit Built(const std::string& text) {
    tree.Load(Read(text));
    tree.Arrange();
  }
  template <typename T>
  T& Get(const char* name) {
    TSkinComponent* c = tree.Find(name);
    if (!c) throw std::runtime_error(std::string("no component ") + name);
    T* t = c->As<T>();
    if (!t) throw std::runtime_error(std::string("wrong class for ") + name);
    return *t;
  }
};

std::string BuildErrorOf(const std::string& text) {
  try {
    Built b(text);
  } catch (const EQVError& e) {
    return e.what();
  }
  return "(built)";
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char h[3];
  for (uint8_t b : bytes) {
    std::snprintf(h, sizeof h, "%02X", b);
    out += h;
  }
  return out;
}

TEST(SkinComponents, EveryClassIsCreatedWithTheSkinsProperties) {
  TBitmap32 red(4, 3);
  red.Clear(0xFFFF0000u);
  TSkinPicture bmp;
  bmp.kind = TGraphicKind::Bitmap;
  bmp.bitmap = red;
  TSkinPicture jpg = bmp;
  jpg.kind = TGraphicKind::Jpeg;
  const std::string text =
      "object MainWindow: TfmQVConfigWindow\n"
      "  ClientWidth = 500\n  ClientHeight = 300\n  Caption = 'Main'\n  Color = clNavy\n"
      "  NoFrame = True\n  Sizeable = True\n  ShowButtons = True\n  MaximizeButton = True\n"
      "  MinimizeButton = True\n  MaximizeOnShow = True\n"
      "  Font.Name = 'Verdana'\n  Font.Height = -13\n  Font.Style = [fsBold, fsItalic]\n"
      "  PixelsPerInch = 96\n  TextHeight = 13\n"
      "  object Label1: TLabel\n    Left = 10\n    Top = 20\n    Width = 30\n    Height = 14\n"
      "    Caption = 'Hello'\n    Transparent = True\n    Alignment = taCenter\n    Layout = tlCenter\n"
      "    WordWrap = True\n    Tag = 3\n    Hint = 'tip'\n    ShowHint = True\n    Cursor = crHandPoint\n"
      "    Font.Color = clRed\n  end\n"
      "  object Edit1: TEdit\n    Text = 'typed'\n    ReadOnly = True\n    MaxLength = 5\n  end\n"
      "  object Shape1: TMyShape\n    Shape = stCircle\n    Brush.Color = $0000FF00\n    Brush.Style = bsClear\n"
      "    Pen.Color = clWhite\n    Pen.Width = 3\n    Pen.Style = psDot\n  end\n"
      "  object Shape2: TShape\n    Shape = stRoundRect\n  end\n"
      "  object Button1: TButton\n    Caption = '&Go'\n    ModalResult = mrOk\n    Default = True\n  end\n"
      "  object MyButton1: TMyButton\n    ButtonUp.Data = {" + Hex(PictureData(bmp, true)) + "}\n"
      "    ButtonOver.Data = {" + Hex(PictureData(jpg, true)) + "}\n"
      "    AllowDown = True\n    Down = True\n    ShowCaption = True\n    Caption = 'Up'\n    Transparent = False\n  end\n"
      "  object Panel1: TPanel\n    Left = 100\n    Top = 100\n    Width = 200\n    Height = 100\n"
      "    BevelInner = bvLowered\n    BevelWidth = 2\n    BorderWidth = 3\n    Caption = 'P'\n    Color = clYellow\n"
      "    object Inside: TLabel\n      Caption = 'in'\n    end\n"
      "    object Bar: TMyBevel\n      Align = alTop\n      Height = 10\n      Shape = bsTopLine\n      Style = bsRaised\n    end\n"
      "  end\n"
      "  object BitBtn1: TBitBtn\n    Kind = bkClose\n    Glyph.Data = {" + Hex(PictureData(bmp, false)) + "}\n  end\n"
      "  object PageControl1: TPageControl\n    Left = 0\n    Top = 0\n    Width = 200\n    Height = 150\n"
      "    ActivePage = TabSheet2\n"
      "    object TabSheet1: TTabSheet\n      Caption = 'One'\n    end\n"
      "    object TabSheet2: TTabSheet\n      Caption = 'Two'\n      TabVisible = False\n"
      "      object OnPage: TCheckBox\n        Caption = 'Check'\n        Checked = True\n        Alignment = taLeftJustify\n      end\n"
      "    end\n"
      "  end\n"
      "  object Image1: TImage\n    Picture.Data = {" + Hex(PictureData(jpg, true)) + "}\n    Stretch = True\n"
      "    Center = True\n    Proportional = True\n    AutoSize = True\n  end\n"
      "  object QVPreview1: TQVPreview\n    Width = 236\n    Height = 176\n  end\n"
      "  object QVThumbnail21: TQVThumbnail2\n    PictureWidth = 90\n    PictureHeight = 70\n    ShowCheckBox = True\n"
      "    ShowTitle = True\n    MultiRows = False\n    Ctl3D = False\n    DefaultColWidth = 64\n  end\n"
      "  object MyMemo1: TMyMemo\n    Lines.Strings = (\n      'a'\n      'b')\n    ReadOnly = True\n"
      "    WordWrap = False\n    ScrollBars = ssVertical\n  end\n"
      "  object Timer1: TTimer\n    Interval = 250\n    Enabled = False\n    OnTimer = Timer1Timer\n  end\n"
      "end\n";
  Built b(text);
  EXPECT_EQ(b.window.Name(), "MainWindow");
  EXPECT_EQ(b.window.Width(), 500);
  EXPECT_EQ(b.window.Height(), 300);
  EXPECT_EQ(b.window.Caption(), "Main");
  EXPECT_EQ(b.window.Color(), clNavy);
  EXPECT_TRUE(b.window.NoFrame() && b.window.Sizeable() && b.window.ShowButtons() && b.window.MaximizeButton() &&
              b.window.MinimizeButton() && b.window.MaximizeOnShow());
  EXPECT_EQ(b.tree.FormFont().Name, "Verdana");
  EXPECT_EQ(b.tree.Components().size(), 20u);  // the window and its 19 components

  TLabel& label = b.Get<TLabel>("Label1");
  EXPECT_EQ(label.Caption(), "Hello");
  EXPECT_EQ(label.Left(), 10);
  EXPECT_EQ(label.Width(), 30);
  EXPECT_TRUE(label.Transparent() && label.WordWrap() && label.ShowHint());
  EXPECT_EQ(label.Alignment(), TAlignment::taCenter);
  EXPECT_EQ(label.Layout(), TTextLayout::tlCenter);
  EXPECT_EQ(label.Tag(), 3);
  EXPECT_EQ(label.Hint(), "tip");
  EXPECT_EQ(label.Cursor(), TCursor::HandPoint);
  // The window's font, with the label's own colour; the window's colour.
  EXPECT_EQ(label.Font().Name, "Verdana");
  EXPECT_EQ(label.Font().Height, -13);
  EXPECT_TRUE(label.Font().Bold && label.Font().Italic);
  EXPECT_EQ(label.Font().Color, clRed);
  EXPECT_EQ(label.Color(), clNavy);

  TEdit& edit = b.Get<TEdit>("Edit1");
  EXPECT_EQ(edit.Text(), "typed");
  EXPECT_TRUE(edit.ReadOnly());
  EXPECT_EQ(edit.MaxLength(), 5);
  EXPECT_EQ(edit.Color(), clWindow);

  TMyShape& shape = b.Get<TMyShape>("Shape1");
  EXPECT_EQ(shape.Shape(), TShapeType::stCircle);
  EXPECT_EQ(shape.Brush().Color, 0x0000FF00u);
  EXPECT_EQ(shape.Brush().Style, TBrushStyle::bsClear);
  EXPECT_EQ(shape.Pen().Color, clWhite);
  EXPECT_EQ(shape.Pen().Width, 3);
  EXPECT_EQ(shape.Pen().Style, TPenStyle::psSolid);
  EXPECT_EQ(b.tree.Find("Shape2")->cls, TSkinClass::TShape);
  EXPECT_EQ(b.Get<TMyShape>("Shape2").Shape(), TShapeType::stRoundRect);

  TButton& button = b.Get<TButton>("Button1");
  EXPECT_EQ(button.Caption(), "&Go");
  EXPECT_EQ(button.ModalResult(), mrOk);
  EXPECT_TRUE(button.Default());

  TMyButton& my = b.Get<TMyButton>("MyButton1");
  EXPECT_EQ(my.ButtonUp().kind, TGraphicKind::Bitmap);
  EXPECT_EQ(my.ButtonUp().bitmap, red);
  EXPECT_EQ(my.ButtonOver().kind, TGraphicKind::Jpeg);
  EXPECT_EQ(my.ButtonOver().bitmap.Width(), 4);
  EXPECT_TRUE(my.ButtonDown().Empty());
  EXPECT_EQ(my.Width(), 4);  // sized by its up picture
  EXPECT_TRUE(my.AllowDown() && my.Down() && my.ShowCaption());
  EXPECT_FALSE(my.Transparent());
  EXPECT_EQ(my.Caption(), "Up");

  TPanel& panel = b.Get<TPanel>("Panel1");
  EXPECT_EQ(panel.BevelInner(), TBevelCut::bvLowered);
  EXPECT_EQ(panel.ClientRect(), (TRect{7, 7, 193, 93}));
  EXPECT_EQ(b.Get<TLabel>("Inside").Color(), clYellow);
  TMyBevel& bar = b.Get<TMyBevel>("Bar");
  EXPECT_EQ(bar.Shape(), TBevelShape::bsTopLine);
  EXPECT_EQ(bar.Style(), TBevelStyle::bsRaised);
  // Aligned to the top of the panel's client area.
  EXPECT_EQ(bar.Left(), 7);
  EXPECT_EQ(bar.Top(), 7);
  EXPECT_EQ(bar.Width(), 186);
  EXPECT_EQ(bar.Height(), 10);

  TBitBtn& bit = b.Get<TBitBtn>("BitBtn1");
  EXPECT_EQ(bit.Caption(), "&Close");
  EXPECT_EQ(bit.ModalResult(), mrClose);
  EXPECT_EQ(bit.Glyph().bitmap, red);

  TPageControl& pages = b.Get<TPageControl>("PageControl1");
  EXPECT_EQ(pages.ActivePage(), "TabSheet2");
  TTabSheet& sheet = b.Get<TTabSheet>("TabSheet2");
  EXPECT_EQ(sheet.Caption(), "Two");
  EXPECT_FALSE(sheet.TabVisible());
  EXPECT_EQ(sheet.Left(), 4);
  EXPECT_EQ(sheet.Top(), TPageControl::kTabHeight);
  EXPECT_EQ(sheet.Width(), 192);
  TCheckBox& check = b.Get<TCheckBox>("OnPage");
  EXPECT_TRUE(check.Checked());
  EXPECT_EQ(check.Alignment(), TAlignment::taLeftJustify);

  TImage& image = b.Get<TImage>("Image1");
  EXPECT_EQ(image.Picture().kind, TGraphicKind::Jpeg);
  EXPECT_TRUE(image.Stretch() && image.Center() && image.Proportional());
  EXPECT_EQ(image.Width(), 4);  // AutoSize
  EXPECT_EQ(b.Get<TQVPreview>("QVPreview1").Width(), 236);

  TQVThumbnail2& grid = b.Get<TQVThumbnail2>("QVThumbnail21");
  EXPECT_EQ(grid.PictureWidth(), 90);
  EXPECT_EQ(grid.PictureHeight(), 70);
  EXPECT_TRUE(grid.ShowCheckBox() && grid.ShowTitle());
  EXPECT_FALSE(grid.MultiRows() || grid.Ctl3D());

  TMyMemo& memo = b.Get<TMyMemo>("MyMemo1");
  EXPECT_EQ(memo.Text(), "a\r\nb");
  EXPECT_TRUE(memo.ReadOnly());
  EXPECT_FALSE(memo.WordWrap());
  EXPECT_EQ(memo.ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_EQ(b.Get<TTimer>("Timer1").Interval(), 250);
  EXPECT_FALSE(b.Get<TTimer>("Timer1").Enabled());
}

TEST(SkinComponents, ImagePicturesFitAsTheImageAsks) {
  TImage image;
  image.SetBounds(0, 0, 200, 100);
  TSkinPicture p;
  p.kind = TGraphicKind::Bitmap;
  p.bitmap.SetSize(50, 50);
  image.SetPicture(p);
  EXPECT_EQ(image.PictureRect(), (TRect{0, 0, 50, 50}));
  image.SetCenter(true);
  EXPECT_EQ(image.PictureRect(), (TRect{75, 25, 125, 75}));
  image.SetStretch(true);
  EXPECT_EQ(image.PictureRect(), (TRect{0, 0, 200, 100}));
  image.SetProportional(true);
  EXPECT_EQ(image.PictureRect(), (TRect{50, 0, 150, 100}));
}

TEST(SkinComponents, AnUnknownClassOrAWrongValueIsAnErrorThatNamesItsLine) {
  EXPECT_EQ(BuildErrorOf("object M: TfmQVConfigWindow\n  object Grid1: TStringGrid\n  end\nend"),
            "line 2: unknown class TStringGrid (of Grid1)");
  EXPECT_EQ(BuildErrorOf("object M: TfmForm\nend"),
            "line 1: a window of class TfmForm cannot be built (only TfmQVCOnfigWindow and TForm)");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  Left = 'x'\n end\nend"),
            "line 3: Left of L takes a whole number");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  Width = 100000\n end\nend"),
            "line 3: Width of L is 100000, outside 0 to 4096");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  Transparent = Yes\n end\nend"),
            "line 3: Transparent of L takes True or False");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  Color = clPlaid\n end\nend"),
            "line 3: Color of L takes a colour name or $00BBGGRR");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  Alignment = taMiddle\n end\nend"),
            "line 3: Alignment of L takes one of taLeftJustify, taRightJustify, taCenter");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object L: TLabel\n  object L2: TLabel\n  end\n end\nend"),
            "line 3: L cannot hold other controls");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object T: TTabSheet\n end\nend"),
            "line 2: the tab sheet T is not in a page control");
  // Picture data: a size past the data, a class that cannot be shown, broken bytes.
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object I: TImage\n  Picture.Data = {07544269746D6170FF000000424D}\n end\nend"),
            "line 3: Picture.Data of I cannot be read: the picture's size 255 runs past its 2 bytes of data");
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object I: TImage\n  Picture.Data = {055449636F6E00000000}\n end\nend"),
            "line 3: Picture.Data of I cannot be read: a picture of class TIcon cannot be shown (only TBitmap and "
            "TJPEGImage)");
  TSkinPicture wide;
  wide.kind = TGraphicKind::Bitmap;
  wide.bitmap.SetSize(kMaxControlSide + 1, 1);
  EXPECT_EQ(BuildErrorOf("object M: TForm\n object I: TImage\n  Picture.Data = {" + Hex(PictureData(wide, true)) +
                         "}\n end\nend"),
            "line 3: Picture.Data of I cannot be read: the picture is 4097 x 1 pixels, more than 4096 a side");
  EXPECT_NE(BuildErrorOf("object M: TForm\n object I: TImage\n  Picture.Data = {07544269746D617002000000424D}\n end\nend")
                .find("line 3: Picture.Data of I cannot be read: "),
            std::string::npos);
}

TEST(SkinComponents, PropertiesAClassDoesNotKnowAreIgnored) {
  Built b("object M: TForm\n  OldCreateOrder = False\n  object L: TLabel\n    Constraints.MinWidth = 3\n"
          "    FocusControl = Edit1\n    ParentFont = False\n    Items = <\n      item\n      end>\n  end\nend");
  EXPECT_NE(b.tree.Find("L"), nullptr);
}

}  // namespace
}  // namespace qv
