// The configuration window driven without a display: what it reads and
// writes in the user settings file, and every click action.
#include "config_ui/FQVConfigWindow.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "Pictures.h"
#include "animation/uFileLoader.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "config_ui/FSettingWindow.h"
#include "config_ui/uMyButton.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uStdControls.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/RecordingDialogs.h"
#include "platform/doubles/SteppedWorkers.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "support/Env.h"
#include "support/TempDir.h"

namespace qv {
namespace {

// Main window: the grid, a preview, labels for every action, two labels
// hidden and shown by their tags, placeholders in a panel and on a page.
const char kMainForm[] =
    "object MainWindow: TfmForm\r\n"
    "  Caption = '<ScreensaverName> settings'\r\n"
    "  BorderStyle = bsNone\r\n"
    "  OnShow = FormShow\r\n"
    "  object Grid: TQVThumbnail2\r\n    Tag = 1\r\n    ShowCheckBox = True\r\n    Width = 430\r\n  end\r\n"
    "  object Preview: TQVPreview\r\n    Tag = 1\r\n    Width = 64\r\n    Height = 48\r\n  end\r\n"
    "  object NextLabel: TLabel\r\n    Tag = 1\r\n    OnClick = LabelClick\r\n  end\r\n"
    "  object PrevLabel: TLabel\r\n    Tag = 1\r\n  end\r\n"
    "  object FullLabel: TLabel\r\n    Tag = 1\r\n  end\r\n"
    "  object SettingsShape: TMyShape\r\n    Tag = 1\r\n  end\r\n"
    "  object WallButton: TMyButton\r\n    Tag = 1\r\n  end\r\n"
    "  object CloseBevel: TMyBevel\r\n    Tag = 1\r\n  end\r\n"
    "  object UrlImage: TImage\r\n    Tag = 1\r\n  end\r\n"
    "  object ThumbsLabel: TLabel\r\n    Tag = 1\r\n  end\r\n"
    "  object MissingLabel: TLabel\r\n    Tag = 1\r\n  end\r\n"
    "  object PlainButton: TButton\r\n    Tag = 1\r\n  end\r\n"
    "  object OkButton: TBitBtn\r\n    Tag = 1\r\n    Kind = bkOK\r\n  end\r\n"
    "  object Hidden: TLabel\r\n    Tag = 2\r\n  end\r\n"
    "  object Shown: TLabel\r\n    Tag = 3\r\n    Visible = False\r\n  end\r\n"
    "  object Name: TLabel\r\n    Tag = 1\r\n    Caption = '<ScreensaverName>'\r\n  end\r\n"
    "  object Panel1: TPanel\r\n    Tag = 1\r\n    Caption = '<Website>'\r\n"
    "    object InPanel: TLabel\r\n      Tag = 1\r\n      Caption = 'by <CompanyName>'\r\n    end\r\n"
    "    object Memo: TMyMemo\r\n      Tag = 1\r\n      Text = '<ScreensaverName>'#13#10'<Website>'\r\n    end\r\n"
    "  end\r\n"
    "  object Pages: TPageControl\r\n    Tag = 1\r\n"
    "    object Sheet: TTabSheet\r\n"
    "      object OnSheet: TLabel\r\n        Tag = 1\r\n        Caption = '<ScreensaverName>'\r\n      end\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object Timer1: TTimer\r\n  end\r\n"
    "  object Entry: TEdit\r\n    Tag = 1\r\n    ReadOnly = True\r\n  end\r\n"
    "end";

const char kThumbsForm[] =
    "object Thumbs: TForm\r\n"
    "  object Grid2: TQVThumbnail2\r\n    Tag = 1\r\n  end\r\n"
    "  object Done: TBitBtn\r\n    Tag = 1\r\n    Caption = 'OK'\r\n  end\r\n"
    "end";

TAction Act(int type, const std::string& param = "") {
  TAction a;
  a.Type = type;
  a.Param1 = param;
  return a;
}

class ConfigWindow : public ::testing::Test {
 protected:
  qvtest::TempDir dir, config;
  TQVCProject project;
  platform::TRecordingDialogs dialogs;
  TConfigServices services;
  TQVForms skin;
  std::string exe;
  // What the user does while a window is open, by the window's name.
  std::function<void(TfmQVCOnfigWindow&)> user;
  std::vector<std::string> opened;
  std::vector<std::string> titles;

  void SetUp() override {
    qvtest::SetEnv(qvtest::kUserConfigVariable, config.path());
    exe = dir.file("Sea Life.scr");
    qvtest::WriteFile(exe, "engine");
    for (int i = 0; i < 10; ++i) {
      std::string name = "p";  // in steps: GCC 12 warns falsely on "p" + std::string
      const std::string file = dir.file(name.append(std::to_string(i)).append(".bmp"));
      qvtest::WritePicture(file, qvtest::Filled(16, 12, 0xFF000000u | static_cast<uint32_t>(i * 20) << 16));
      project.FileList().Add(file, true);
    }
    project.Setting().ProductName = "Bob's Saver";
    project.Setting().Publisher = "Sea & Co";
    project.Setting().Website = "http://example.org/sea";
    services.dialogs = &dialogs;
    services.exePath = exe;
    services.firstArgument = "/S";
    services.setApplicationTitle = [this](const std::string& t) { titles.push_back(t); };
    services.runWindow = [this](TfmQVCOnfigWindow& w) {
      opened.push_back(w.Name());
      w.FormShow();
      if (user) user(w);
      w.FormClose();
    };
    TSkinRecord main{kMainForm,
                     {{"NextLabel", Act(atNextPicture)},
                      {"PrevLabel", Act(atPreviousPicture)},
                      {"FullLabel", Act(atPreviewSelectedFile)},
                      {"SettingsShape", Act(atOpenSetting)},
                      {"WallButton", Act(atSetWallpaper)},
                      {"CloseBevel", Act(atCloseWindow)},
                      {"UrlImage", Act(atOpenUrl, "<Website>")},
                      {"ThumbsLabel", Act(atShowWindow, " Thumbs ")},
                      {"MissingLabel", Act(atShowWindow, "Nowhere")},
                      {"PlainButton", Act(atCloseWindow)},
                      {"Hidden", Act(7)}}};
    TSkinRecord thumbs{kThumbsForm, {{"Done", Act(atCloseWindow)}}};
    skin.LoadSkinText(SkinFileText({main, thumbs}));
  }

  std::string SettingsFile() const { return dir.file("Sea Life.ini"); }
  void WriteSettings(const std::string& text) { qvtest::WriteFile(SettingsFile(), text); }
  TIniFile Settings() const { return TIniFile::FromFile(SettingsFile()); }

  bool Show(const std::string& name = kMainWindow, std::string* why = nullptr) {
    return ShowSkinWindow(skin, project, name, services, why);
  }
  // Runs the main window with `what` done while it is open.
  void WithMain(std::function<void(TfmQVCOnfigWindow&)> what) {
    user = [what](TfmQVCOnfigWindow& w) {
      if (w.Name() == kMainWindow) what(w);
    };
    ASSERT_TRUE(Show());
  }

  static TControl& Find(TfmQVCOnfigWindow& w, const char* name) {
    TSkinComponent* c = w.Components().Find(name);
    if (!c) throw std::runtime_error(std::string("no component ") + name);
    return *c->control;
  }
  // A click as the widget reports it.
  static void Click(TfmQVCOnfigWindow& w, const char* name) {
    TControl& c = Find(w, name);
    ASSERT_TRUE(c.OnClick) << name << " has no click handler";
    c.OnClick(c);
  }
  static std::string PreviewFile(TfmQVCOnfigWindow& w) {
    return static_cast<TQVPreview&>(Find(w, "Preview")).FileName();
  }
  static TQVThumbnail2& Grid(TfmQVCOnfigWindow& w) { return static_cast<TQVThumbnail2&>(Find(w, "Grid")); }
};

TEST_F(ConfigWindow, NextAndPreviousStopAtTheEndsOfThePictureList) {
  WriteSettings("[Setting]\r\nIndex=8\r\n");
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_EQ(w.CurrentIndex(), 8);
    Click(w, "NextLabel");
    EXPECT_EQ(w.CurrentIndex(), 9);
    Click(w, "NextLabel");
    EXPECT_EQ(w.CurrentIndex(), 9);
    EXPECT_EQ(PreviewFile(w), dir.file("p9.bmp"));
    for (int i = 0; i < 11; ++i) Click(w, "PrevLabel");
    EXPECT_EQ(w.CurrentIndex(), 0);
    EXPECT_EQ(PreviewFile(w), dir.file("p0.bmp"));
  });
  EXPECT_EQ(Settings().ReadInteger("Setting", "Index", -1), 0);
}

TEST_F(ConfigWindow, AnIndexPastTheListOpensOnTheFirstPictureAndOneAtItsEndOnTheLast) {
  int seen = -1, selectedRow = -1;
  std::string shown;
  user = [&](TfmQVCOnfigWindow& w) {
    seen = w.CurrentIndex();
    shown = PreviewFile(w);
    selectedRow = Grid(w).Row() * Grid(w).ColCount() + Grid(w).Col();
  };
  WriteSettings("[Setting]\r\nIndex=12\r\n");
  ASSERT_TRUE(Show());
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(shown, dir.file("p0.bmp"));
  WriteSettings("[Setting]\r\nIndex=10\r\n");
  ASSERT_TRUE(Show());
  EXPECT_EQ(seen, 9);
  EXPECT_EQ(shown, dir.file("p9.bmp"));
  WriteSettings("[Setting]\r\nIndex=6\r\n");
  ASSERT_TRUE(Show());
  EXPECT_EQ(seen, 6);
  EXPECT_EQ(selectedRow, 6);  // the grid's cell of picture 6 is selected
}

TEST_F(ConfigWindow, TagsShowAndHideComponentsButSheetsAndTimers) {
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_FALSE(Find(w, "Hidden").Visible());  // Tag 2
    EXPECT_TRUE(Find(w, "Shown").Visible());    // Tag 3, though its description hides it
    EXPECT_TRUE(Find(w, "Sheet").Visible());    // Tag 0, but a tab sheet
    EXPECT_FALSE(Find(w, "Timer1").Visible());  // timers are left as they are
    EXPECT_FALSE(static_cast<TEdit&>(Find(w, "Entry")).ReadOnly());
    // A preview is a picture control and takes clicks; a grid does not.
    EXPECT_TRUE(Find(w, "Preview").OnClick);
    EXPECT_FALSE(Find(w, "Grid").OnClick);
  });
}

TEST_F(ConfigWindow, UncheckedPicturesAreWrittenAsFavouritesAndShownSoOnReopening) {
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_TRUE(Grid(w).Marked(1));
    Grid(w).SetMarked(1, false);
    Grid(w).SetMarked(4, false);
  });
  EXPECT_EQ(Settings().ReadSectionKeys("Files"), (std::vector<std::string>{"1", "4"}));
  std::vector<bool> marks;
  WithMain([&](TfmQVCOnfigWindow& w) {
    for (int i = 0; i < 10; ++i) marks.push_back(Grid(w).Marked(i));
  });
  EXPECT_EQ(marks, (std::vector<bool>{true, false, true, true, false, true, true, true, true, true}));
  // What the window wrote is what run mode reads: favourites mode plays the checked ones.
  TIniDocument doc = TIniDocument::FromFile(SettingsFile());
  doc.WriteInteger("Setting", "ImageMode", 2);
  doc.SaveAtomically(SettingsFile());
  TQVCProject run = project;
  ApplyUserSettings(run, UserSettingsFiles(exe).ForReading());
  EXPECT_FALSE(run.FileList().Enabled(1));
  EXPECT_FALSE(run.FileList().Enabled(4));
  EXPECT_TRUE(run.FileList().Enabled(2));
}

TEST_F(ConfigWindow, ClosingWithoutTheSettingsDialogStillWritesTheIndex) {
  WithMain([&](TfmQVCOnfigWindow& w) {
    Click(w, "NextLabel");
    Click(w, "NextLabel");
  });
  EXPECT_EQ(qvtest::ReadFile(SettingsFile()), "[Setting]\r\nIndex=2\r\n");
}

TEST_F(ConfigWindow, AnExeStartedWithoutSlashCReadsAndWritesNothingAndDisablesOk) {
  exe = dir.file("saver.exe");
  qvtest::WriteFile(exe, "engine");
  services.exePath = exe;
  const std::string file = dir.file("saver.ini");
  qvtest::WriteFile(file, "[Setting]\r\nIndex=5\r\n[Files]\r\n2=\r\n");
  bool okEnabled = true;
  services.runSettingsDialog = [&](TfmSettingWindow& d) {
    okEnabled = d.Button1Enabled;
    return true;
  };
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_FALSE(w.UserSettingsApply());
    EXPECT_EQ(w.CurrentIndex(), 0);
    EXPECT_FALSE(Grid(w).Marked(2));  // no favourites were read: nothing is checked
    Click(w, "NextLabel");
    Click(w, "SettingsShape");
  });
  EXPECT_FALSE(okEnabled);
  EXPECT_EQ(qvtest::ReadFile(file), "[Setting]\r\nIndex=5\r\n[Files]\r\n2=\r\n");
  EXPECT_TRUE(titles.empty());
  // The same file started with /C (any case) does apply them.
  services.firstArgument = "/c";
  WithMain([&](TfmQVCOnfigWindow& w) { EXPECT_EQ(w.CurrentIndex(), 5); });
  EXPECT_EQ(titles, (std::vector<std::string>{"Bob's Saver"}));
}

TEST_F(ConfigWindow, TheSettingsDialogWritesWhatRunModeReads) {
  WriteSettings("[Setting]\r\nSpeed=12\r\n[MusicList]\r\nC:\\old.mp3=\r\n");
  services.runSettingsDialog = [&](TfmSettingWindow& d) {
    EXPECT_TRUE(d.Button1Enabled);
    EXPECT_EQ(d.tbSpeed.Position, 12);
    EXPECT_EQ(d.lstMusic.Items.empty(), true);  // rows are added when the dialog shows
    d.FormShow();
    EXPECT_EQ(d.lstMusic.Items, (std::vector<std::string>{"C:\\old.mp3"}));
    d.tbSpeed.Position = 18;
    d.cbSound.Checked = false;
    d.cbImageSize.ItemIndex = 0;
    d.cbCustomMusic.Checked = true;
    d.cbShuffleMusic.Checked = false;
    d.txtDuration = "45";
    return d.Button1Click();
  };
  WithMain([&](TfmQVCOnfigWindow& w) { Click(w, "SettingsShape"); });
  const TIniFile ini = Settings();
  EXPECT_EQ(ini.ReadInteger("Setting", "Speed", -1), 18);
  EXPECT_EQ(ini.ReadInteger("Setting", "Duration", -1), 45);
  // The project in memory is not changed by the dialog.
  const int32_t speedBefore = project.Setting().Speed;
  TQVCProject run = project;
  ApplyUserSettings(run, UserSettingsFiles(exe).ForReading());
  EXPECT_EQ(run.Setting().Speed, 360);
  EXPECT_FALSE(run.Setting().Sound);
  EXPECT_FALSE(run.Setting().Stretch);
  EXPECT_EQ(run.Setting().Duration, 45);
  EXPECT_EQ(run.Setting().MusicFile, "C:\\old.mp3");
  EXPECT_EQ(run.Setting().MusicMode, 1);
  EXPECT_EQ(project.Setting().Speed, speedBefore);

  // Cancel writes nothing.
  const std::string before = qvtest::ReadFile(SettingsFile());
  services.runSettingsDialog = [](TfmSettingWindow& d) {
    d.tbSpeed.Position = 2;
    return false;
  };
  WithMain([&](TfmQVCOnfigWindow& w) { Click(w, "SettingsShape"); });
  EXPECT_EQ(Settings().ReadInteger("Setting", "Speed", -1), 18);
}

TEST_F(ConfigWindow, OpeningFoldsTheUserSettingsIntoTheProject) {
  project.Setting().Stretch = true;
  project.Setting().Proportional = true;
  WriteSettings("[Setting]\r\nImageSize=1\r\nSpeed=18\r\nDuration=20\r\nImageMode=3\r\nSound=0\r\n");
  ASSERT_TRUE(Show());
  EXPECT_TRUE(project.Setting().Stretch);
  EXPECT_FALSE(project.Setting().Proportional);
  EXPECT_EQ(project.Setting().Speed, 360);
  EXPECT_EQ(project.Setting().Duration, 20);
  EXPECT_EQ(project.Setting().ShowImageMode, 3);
  EXPECT_FALSE(project.Setting().Sound);
  // A project speed off the table stays when the file names none.
  project.Setting().Speed = 77;
  WriteSettings("[Setting]\r\nIndex=1\r\n");
  ASSERT_TRUE(Show());
  EXPECT_EQ(project.Setting().Speed, 77);
}

TEST_F(ConfigWindow, WallpaperAsksFirstThenWritesTheBitmapBesideTheScreensaver) {
  std::vector<std::string> handed;
  services.setDesktopWallpaper = [&](const std::string& file, std::string& how) {
    handed.push_back(file);
    how = "Set through the test desktop.";
    return true;
  };
  dialogs.confirmAnswers = {false, true};
  WithMain([&](TfmQVCOnfigWindow& w) {
    Click(w, "NextLabel");
    Click(w, "WallButton");
    EXPECT_TRUE(handed.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Sea Life.scr.bmp")));
    Click(w, "WallButton");
  });
  ASSERT_EQ(handed, (std::vector<std::string>{dir.file("Sea Life.scr.bmp")}));
  EXPECT_EQ(dialogs.shown.at(0), std::string("confirm: ") + kWallpaperQuestion);
  EXPECT_EQ(dialogs.shown.at(2), "information: Set through the test desktop.");
  const TPicture written = qvtest::ReadPicture(dir.file("Sea Life.scr.bmp"));
  EXPECT_EQ(written.bitmap.Width(), 16);
  EXPECT_EQ(written.bitmap.Pixel(3, 3), 0xFF140000u);  // picture 1

  // Without a desktop way the file is written and the user told so.
  services.setDesktopWallpaper = [](const std::string&, std::string& how) {
    how = "No desktop here.";
    return false;
  };
  dialogs.shown.clear();
  dialogs.confirmAnswers = {true};
  WithMain([&](TfmQVCOnfigWindow& w) { Click(w, "WallButton"); });
  EXPECT_EQ(dialogs.shown.at(1), "information: The picture was written to " + dir.file("Sea Life.scr.bmp") +
                                     ".\r\nNo desktop here.");
}

TEST_F(ConfigWindow, AWallpaperPictureThatCannotBeReadIsReported) {
  qvtest::WriteFile(dir.file("p0.bmp"), "BM broken");
  dialogs.confirmAnswers = {true};
  bool handed = false;
  services.setDesktopWallpaper = [&](const std::string&, std::string&) { return handed = true; };
  WithMain([&](TfmQVCOnfigWindow& w) { Click(w, "WallButton"); });
  EXPECT_FALSE(handed);
  // The preview said so once when it could not show it, the wallpaper again.
  ASSERT_EQ(dialogs.shown.size(), 3u);
  EXPECT_EQ(dialogs.shown[0].rfind("error: ", 0), 0u) << dialogs.shown[0];
  EXPECT_EQ(dialogs.shown[2].rfind("error: ", 0), 0u) << dialogs.shown[2];
}

// A skin may give its preview an action, as any picture control; and a
// picture that cannot be shown is said once and shows the control's colour.
TEST_F(ConfigWindow, APreviewRunsItsActionAndSaysOnceWhyAPictureDoesNotShow) {
  TSkinRecord main{kMainForm, {{"Preview", Act(atNextPicture)}}};
  skin.LoadSkinText(SkinFileText({main}));
  qvtest::WriteFile(dir.file("p1.bmp"), "BM broken");
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_EQ(w.CurrentIndex(), 0);
    Click(w, "Preview");
    EXPECT_EQ(w.CurrentIndex(), 1) << "the click ran the preview's action";
    auto& preview = static_cast<TQVPreview&>(Find(w, "Preview"));
    EXPECT_EQ(preview.Picture().Pixel(3, 3), ColorToPixel(preview.Color()));
    Click(w, "Preview");
    w.SelectPicture(1);
  });
  ASSERT_EQ(dialogs.shown.size(), 1u) << "once for the picture, however often it is shown";
  EXPECT_NE(dialogs.shown[0].find("p1.bmp"), std::string::npos) << dialogs.shown[0];
}

TEST_F(ConfigWindow, OpenUrlOpensTheProjectsWebsiteAndReportsAFailure) {
  std::vector<std::string> targets;
  services.openDocument = [&](const std::string& target, std::string& why) {
    targets.push_back(target);
    why = "no opener";
    return targets.size() == 1;
  };
  WithMain([&](TfmQVCOnfigWindow& w) {
    Click(w, "UrlImage");
    Click(w, "UrlImage");
  });
  EXPECT_EQ(targets, (std::vector<std::string>{"http://example.org/sea", "http://example.org/sea"}));
  EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"error: Cannot open http://example.org/sea: no opener"}));
}

TEST_F(ConfigWindow, ShowWindowRunsTheNamedSkinWindowInsideAndReportsAMissingOne) {
  std::vector<int> indexInside;
  int afterwards = -1, gridCell = -1;
  user = [&](TfmQVCOnfigWindow& w) {
    if (w.Name() == "Thumbs") {
      indexInside.push_back(w.CurrentIndex());
      auto& grid = static_cast<TQVThumbnail2&>(Find(w, "Grid2"));
      indexInside.push_back(grid.Row() * grid.ColCount() + grid.Col());
      // A picture chosen in there...
      grid.SelectCell(7 % grid.ColCount(), 7 / grid.ColCount());
      Click(w, "Done");
      EXPECT_TRUE(w.CloseRequested());
      return;
    }
    Click(w, "NextLabel");
    Click(w, "ThumbsLabel");
    // ...is the picture here afterwards.
    afterwards = w.CurrentIndex();
    gridCell = Grid(w).Row() * Grid(w).ColCount() + Grid(w).Col();
    Click(w, "MissingLabel");
  };
  WriteSettings("[Setting]\r\nIndex=3\r\n");
  ASSERT_TRUE(Show());
  EXPECT_EQ(opened, (std::vector<std::string>{"MainWindow", "Thumbs"}));
  EXPECT_EQ(indexInside, (std::vector<int>{4, 4})) << "the picture the main window shows, highlighted";
  EXPECT_EQ(afterwards, 7);
  EXPECT_EQ(gridCell, 7);
  EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"error: the skin has no window named \"Nowhere\""}));
  EXPECT_EQ(Settings().ReadInteger("Setting", "Index", -1), 7);
}

TEST_F(ConfigWindow, PreviewShowsTheSelectedPictureAndCloseAndModalButtonsClose) {
  std::vector<std::string> single;
  services.showSinglePicture = [&](const TQVCProject& p, const std::string& file) {
    EXPECT_EQ(&p, &project);
    single.push_back(file);
  };
  int closes = 0;
  WithMain([&](TfmQVCOnfigWindow& w) {
    w.onClose = [&] { ++closes; };
    Click(w, "NextLabel");
    Click(w, "FullLabel");
    Click(w, "Hidden");  // an action type the engine does not know
    EXPECT_FALSE(w.CloseRequested());
    Click(w, "CloseBevel");
    EXPECT_TRUE(w.CloseRequested());
  });
  EXPECT_EQ(single, (std::vector<std::string>{dir.file("p1.bmp")}));
  EXPECT_EQ(closes, 1);
  WithMain([&](TfmQVCOnfigWindow& w) {
    Click(w, "OkButton");  // bkOK: no action, but its modal result closes
    EXPECT_TRUE(w.CloseRequested());
  });
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_FALSE(Find(w, "PlainButton").OnClick);  // a plain button takes no clicks
  });
}

TEST_F(ConfigWindow, PlaceholdersAreFilledInCaptionsDescendingIntoPanelsOnly) {
  WithMain([&](TfmQVCOnfigWindow& w) {
    EXPECT_EQ(w.Caption(), "Bob's Saver settings");
    EXPECT_EQ(static_cast<TLabel&>(Find(w, "Name")).Caption(), "Bob's Saver");
    EXPECT_EQ(static_cast<TLabel&>(Find(w, "InPanel")).Caption(), "by Sea & Co");
    EXPECT_EQ(static_cast<TMyMemo&>(Find(w, "Memo")).Text(), "Bob's Saver\r\nhttp://example.org/sea");
    EXPECT_EQ(static_cast<TLabel&>(Find(w, "OnSheet")).Caption(), "<ScreensaverName>");
    EXPECT_EQ(static_cast<TPanel&>(Find(w, "Panel1")).Caption(), "<Website>");  // panels' own captions stay
  });
}

TEST_F(ConfigWindow, AWindowThatCannotBeBuiltIsNotShownAndSaysWhy) {
  std::string why;
  EXPECT_FALSE(Show("Elsewhere", &why));
  EXPECT_EQ(why, "the skin has no window named \"Elsewhere\"");
  skin.LoadSkinText(SkinFileText({{"object MainWindow: TfmForm\r\n  object G: TStringGrid\r\n  end\r\nend", {}}}));
  EXPECT_FALSE(Show(kMainWindow, &why));
  EXPECT_EQ(why, "the skin's window \"MainWindow\" cannot be built: line 4: unknown class TStringGrid (of G)");
  EXPECT_TRUE(opened.empty());
}

TEST_F(ConfigWindow, AReadOnlySettingsFileIsReportedAndTheWindowStillCloses) {
  WriteSettings("[Setting]\r\nIndex=1\r\n");
  ASSERT_EQ(::chmod(SettingsFile().c_str(), 0444), 0);
  WithMain([&](TfmQVCOnfigWindow& w) { Click(w, "NextLabel"); });
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find("read-only"), std::string::npos) << dialogs.shown[0];
  EXPECT_EQ(qvtest::ReadFile(SettingsFile()), "[Setting]\r\nIndex=1\r\n");
}

TEST_F(ConfigWindow, AnimatedPicturesShowTheirPreviewInTheGridAndTheirPictureInThePreview) {
  TProjectFileParts parts;
  parts.title = "Harbour";
  parts.preview = EncodeJPEG(qvtest::Filled(8, 4, 0xFF00FF00u), 95);
  parts.picture = EncodeJPEG(qvtest::Filled(16, 8, 0xFF0000FFu), 95);
  parts.mask = {16, 8, 16 * 8 * 10};
  const std::vector<uint8_t> bytes = EncodeProjectFile(parts);
  qvtest::WriteFile(dir.file("harbour.qvp"), std::string(bytes.begin(), bytes.end()));
  project.FileList().Clear();
  project.FileList().Add(dir.file("harbour.qvp"), true);
  WithMain([&](TfmQVCOnfigWindow& w) {
    ASSERT_NE(Grid(w).Thumbnail(0), nullptr);
    const uint32_t thumb = Grid(w).Thumbnail(0)->Pixel(40, 30);
    EXPECT_GT((thumb >> 8) & 0xFF, 0xF0u);
    EXPECT_LT((thumb >> 16) & 0xFF, 0x10u);
    EXPECT_EQ(Grid(w).Title(0), "Harbour");
    const TBitmap32& shown = static_cast<TQVPreview&>(Find(w, "Preview")).Picture();
    EXPECT_GT(shown.Pixel(30, 20) & 0xFF, 0xF0u);
  });
  EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

TEST_F(ConfigWindow, TheBuiltInWindowRunsTheSameActions) {
  std::vector<std::string> single;
  services.showSinglePicture = [&](const TQVCProject&, const std::string& file) { single.push_back(file); };
  bool closed = false;
  user = [&](TfmQVCOnfigWindow& w) {
    EXPECT_EQ(w.Caption(), "Bob's Saver");
    EXPECT_EQ(static_cast<TLabel&>(Find(w, "WebsiteLabel")).Caption(), "http://example.org/sea");
    auto& grid = static_cast<TQVThumbnail2&>(Find(w, "Pictures"));
    EXPECT_EQ(grid.PictureCount(), 10);
    EXPECT_TRUE(grid.ShowCheckBox());
    EXPECT_TRUE(Find(w, "Preview").Visible());
    Click(w, "NextButton");
    Click(w, "FullScreenButton");
    grid.SetMarked(7, false);
    Click(w, "CloseButton");
    closed = w.CloseRequested();
  };
  ASSERT_TRUE(ShowSkinWindow(BuiltInSkin(), project, kMainWindow, services));
  EXPECT_TRUE(closed);
  EXPECT_EQ(single, (std::vector<std::string>{dir.file("p1.bmp")}));
  EXPECT_EQ(Settings().ReadSectionKeys("Files"), (std::vector<std::string>{"7"}));
  EXPECT_EQ(Settings().ReadInteger("Setting", "Index", -1), 1);
}

TEST_F(ConfigWindow, WindowsOpenedInsideEachOtherAreBounded) {
  skin.LoadSkinText(SkinFileText({{"object MainWindow: TForm\r\n  object Again: TLabel\r\n    Tag = 1\r\n  end\r\nend",
                                   {{"Again", Act(atShowWindow, "MainWindow")}}}}));
  user = [&](TfmQVCOnfigWindow& w) { Click(w, "Again"); };
  ASSERT_TRUE(Show());
  EXPECT_EQ(opened.size(), static_cast<size_t>(kMaxOpenWindows));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find("would open more than 8 windows"), std::string::npos);
  EXPECT_EQ(services.openWindows, 0);
}

}  // namespace
}  // namespace qv
