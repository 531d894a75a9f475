#include "config_ui/FSettingWindow.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/Error.h"
#include "platform/doubles/RecordingDialogs.h"
#include "project/uQVProject.h"
#include "support/TempDir.h"

namespace qv {
namespace {

const TSettingControl& Find(const std::string& name) {
  for (const TSettingControl& c : TfmSettingWindow::Controls())
    if (name == c.name) return c;
  throw std::runtime_error("no control " + name);
}

TEST(SettingsLayout, ControlsHaveTheirNamesPlacesAndTexts) {
  using K = TSettingControl::TKind;
  using P = TSettingControl::TParent;
  EXPECT_STREQ(TfmSettingWindow::kCaption, "Settings");
  EXPECT_EQ(TfmSettingWindow::kClientWidth, 364);
  EXPECT_EQ(TfmSettingWindow::kClientHeight, 297);
  struct Place {
    const char* name;
    K kind;
    P parent;
    int left, top, width, height;
    const char* caption;
  };
  const Place places[] = {
      {"Button1", K::Button, P::Form, 198, 264, 75, 25, "OK"},
      {"Button2", K::Button, P::Form, 278, 264, 75, 25, "Cancel"},
      {"PageControl1", K::PageControl, P::Form, 8, 8, 345, 249, ""},
      {"tbSpeed", K::TrackBar, P::DisplayPage, 136, 189, 162, 20, ""},
      {"lstMusic", K::ListView, P::MusicPage, 7, 32, 324, 157, ""},
      {"Button3", K::Button, P::MusicPage, 8, 195, 38, 21, "Add"},
      {"Button4", K::Button, P::MusicPage, 50, 195, 49, 21, "Remove"},
      {"GroupBox1", K::GroupBox, P::Form, 13, 334, 297, 114, "Play Mode"},
  };
  for (const Place& p : places) {
    const TSettingControl& c = Find(p.name);
    EXPECT_EQ(c.kind, p.kind) << p.name;
    EXPECT_EQ(c.parent, p.parent) << p.name;
    EXPECT_EQ((TRect{c.left, c.top, c.left + c.width, c.top + c.height}),
              (TRect{p.left, p.top, p.left + p.width, p.top + p.height}))
        << p.name;
    EXPECT_EQ(c.caption, p.caption) << p.name;
  }
  const std::pair<const char*, std::pair<int, int>> tops[] = {
      {"cbMusic", {29, 14}},        {"cbSound", {142, 14}},       {"cbDirectX", {29, 40}},
      {"cbImageQuality", {141, 67}}, {"cbImageSize", {141, 97}},  {"cbShowImageMode", {141, 127}},
      {"txtDuration", {140, 157}},  {"UpDown1", {167, 157}},      {"cbCustomMusic", {7, 7}},
      {"cbShuffleMusic", {137, 7}}, {"cbTransition", {22, 341}}};
  for (const auto& [name, at] : tops) {
    EXPECT_EQ(Find(name).left, at.first) << name;
    EXPECT_EQ(Find(name).top, at.second) << name;
  }
  EXPECT_EQ(Find("cbImageQuality").width, 154);
  EXPECT_EQ(Find("txtDuration").width, 27);
  EXPECT_EQ(Find("cbImageQuality").items, (std::vector<std::string>{"Highest (Slower)", "Normal ", "Low (Faster)"}));
  EXPECT_EQ(Find("cbShowImageMode").items[2], "User's favorite (checked images) - Random");
  EXPECT_EQ(Find("PageControl1").items, (std::vector<std::string>{"Display Mode", "Background Music", "Screens"}));
  EXPECT_EQ(Find("cbMonitors").parent, P::ScreensPage);
  EXPECT_EQ(Find("cbMonitors").items.size(), 3u);
  EXPECT_EQ(Find("cbPanZoom").parent, P::ScreensPage);
  EXPECT_EQ(Find("txtPanZoomPercent").parent, P::ScreensPage);
  // The screens page keeps inside the page the other two share.
  for (const TSettingControl& c : TfmSettingWindow::Controls())
    if (c.parent == P::ScreensPage) {
      EXPECT_LE(c.left + c.width, Find("TabSheet3").width) << c.name;
      EXPECT_LE(c.top + c.height, Find("TabSheet3").height) << c.name;
    }
  EXPECT_EQ(Find("cbDirectX").caption, "Use DirectX (Faster Animation)");
  EXPECT_EQ(Find("Label3").caption, "Reset");
  EXPECT_EQ(Find("Label3").parent, P::GroupBox1);
  EXPECT_GE(Find("cbTransition").top, TfmSettingWindow::kClientHeight) << "below the client area";
  EXPECT_EQ(Find("lstMusic").items, (std::vector<std::string>{"File"}));
  std::set<std::string> names;
  for (const TSettingControl& c : TfmSettingWindow::Controls()) EXPECT_TRUE(names.insert(c.name).second) << c.name;
}

TEST(SettingsLayout, RangesStartWhereTheDialogDoes) {
  std::vector<std::string> music;
  platform::TRecordingDialogs dialogs;
  TfmSettingWindow dialog(music, dialogs);
  EXPECT_EQ(dialog.UpDown1.Min, 1) << "every duration a project may carry";
  EXPECT_EQ(dialog.UpDown1.Max, 999);
  EXPECT_EQ(dialog.UpDown1.Position, 10);
  EXPECT_EQ(dialog.txtDuration, "10");
  EXPECT_EQ(dialog.tbSpeed.Min, 0);
  EXPECT_EQ(dialog.tbSpeed.Max, 20);
  EXPECT_EQ(dialog.tbSpeed.Position, 10);
  EXPECT_TRUE(dialog.cbTransition.Checked);
  EXPECT_STREQ(TfmSettingWindow::kMusicFilter, "Music Files|*.mp3;*.ogg;*.flac;*.wav;*.mid;*.midi");
}

class SettingsDialog : public ::testing::Test {
 protected:
  std::vector<std::string> music{"/music/a.mp3", "/music/b.wav"};
  platform::TRecordingDialogs dialogs;
  TfmSettingWindow dialog{music, dialogs};

  static TUserSettings Sample() {
    TUserSettings s;
    s.ImageSize = 1;
    s.ImageMode = 3;
    s.Speed = 18;
    s.Sound = false;
    s.Music = true;
    s.Transition = false;
    s.Duration = 45;
    s.DirectX = true;
    s.DirectXQuality = 2;
    s.CustomMusic = true;
    s.ShuffleMusic = false;
    s.MusicList = {"/music/a.mp3", "/music/b.wav"};
    s.Monitors = 2;
    s.PanZoom = true;
    s.PanZoomPercent = 60;
    return s;
  }
};

TEST_F(SettingsDialog, EveryValueGoesInAndComesBackUnchanged) {
  const TUserSettings s = Sample();
  dialog.SetValues(s, true);
  EXPECT_EQ(dialog.cbImageSize.ItemIndex, 1);
  EXPECT_EQ(dialog.cbShowImageMode.ItemIndex, 3);
  EXPECT_EQ(dialog.tbSpeed.Position, 18);
  EXPECT_EQ(dialog.txtDuration, "45");
  EXPECT_FALSE(dialog.cbTransition.Checked);
  dialog.FormShow();
  ASSERT_TRUE(dialog.Button1Click());
  const TUserSettings back = dialog.Values();
  EXPECT_EQ(back.ImageSize, s.ImageSize);
  EXPECT_EQ(back.ImageMode, s.ImageMode);
  EXPECT_EQ(back.Speed, s.Speed);
  EXPECT_EQ(back.Sound, s.Sound);
  EXPECT_EQ(back.Music, s.Music);
  EXPECT_EQ(back.Transition, s.Transition) << "passes through the dialog unchanged";
  EXPECT_EQ(back.Duration, s.Duration);
  EXPECT_EQ(back.DirectX, s.DirectX);
  EXPECT_EQ(back.DirectXQuality, s.DirectXQuality);
  EXPECT_EQ(back.CustomMusic, s.CustomMusic);
  EXPECT_EQ(back.ShuffleMusic, s.ShuffleMusic);
  EXPECT_EQ(back.MusicList, s.MusicList);
  EXPECT_EQ(back.Monitors, 2);
  EXPECT_TRUE(back.PanZoom);
  EXPECT_EQ(back.PanZoomPercent, 60);
  EXPECT_TRUE(dialog.Button1Enabled);
  dialog.SetValues(s, false);
  EXPECT_FALSE(dialog.Button1Enabled) << "OK only where user settings apply";
}

TEST_F(SettingsDialog, ListsWithoutAChoiceKeepTheValueTheyWereGiven) {
  TUserSettings s = Sample();
  s.ImageSize = 7;
  s.ImageMode = -1;
  dialog.SetValues(s, true);
  EXPECT_EQ(dialog.cbImageSize.ItemIndex, -1);
  EXPECT_EQ(dialog.Values().ImageSize, 7);
  EXPECT_EQ(dialog.Values().ImageMode, -1);
  s.Duration = 5000;
  dialog.SetValues(s, true);
  EXPECT_EQ(dialog.txtDuration, "999") << "the up-down keeps to its range";
  s.Monitors = 5;
  s.PanZoomPercent = 20;
  dialog.SetValues(s, true);
  EXPECT_EQ(dialog.cbMonitors.ItemIndex, -1);
  EXPECT_EQ(dialog.txtPanZoomPercent, "50");
  EXPECT_EQ(dialog.Values().Monitors, 5);
  EXPECT_EQ(dialog.Values().PanZoomPercent, 20) << "shown as the nearest it can, kept as given";
}

TEST_F(SettingsDialog, TheShareKeptInViewStaysFrom50To100) {
  dialog.SetValues(Sample(), true);
  dialog.PercentUpDownClick(-1);
  EXPECT_EQ(dialog.txtPanZoomPercent, "59");
  dialog.txtPanZoomPercent = "100";
  dialog.PercentUpDownClick(1);
  EXPECT_EQ(dialog.txtPanZoomPercent, "100");
  dialog.txtPanZoomPercent = " 80 ";
  EXPECT_EQ(dialog.Values().PanZoomPercent, 80);
  for (const char* bad : {"49", "101", "", "7x"}) {
    dialog.txtPanZoomPercent = bad;
    EXPECT_FALSE(dialog.Button1Click()) << bad;
    EXPECT_THROW(dialog.Values(), EQVError) << bad;
  }
  ASSERT_EQ(dialogs.shown.size(), 4u);
  EXPECT_NE(dialogs.shown[0].find("from 50 to 100"), std::string::npos);
}

// The demo plays 8-second pictures; an OK that changes nothing must write a
// file that gives the same show, whatever the project carries.
TEST(SettingsDialogOk, WithoutAChangeTheShowStaysAsItWas) {
  struct TCase {
    int32_t duration, speed;
    bool stretch, proportional, directX;
    int32_t quality;
  };
  for (const TCase& c : {TCase{8, 100, true, true, false, 0}, TCase{1, 115, false, true, true, 2},
                         TCase{999, 360, true, false, true, 1}, TCase{5, 10, false, false, false, 0}}) {
    qvtest::TempDir dir;
    const std::string file = dir.file("saver.ini");
    TQVCProject project;
    project.FileList().Add("QVImage0.jpg", true);
    TQVCSetting& s = project.Setting();
    s.Duration = c.duration;
    s.Speed = c.speed;
    s.Stretch = c.stretch;
    s.Proportional = c.proportional;
    s.DirectX = c.directX;
    s.DirectXQuality = c.quality;
    s.ShowImageMode = 1;

    std::vector<std::string> music;
    platform::TRecordingDialogs dialogs;
    TfmSettingWindow dialog(music, dialogs);
    dialog.SetValues(ReadUserSettings(file, project), true);
    EXPECT_EQ(dialog.txtDuration, std::to_string(c.duration)) << "the dialog shows the duration that plays";
    dialog.FormShow();
    ASSERT_TRUE(dialog.Button1Click());
    WriteUserSettings(file, dialog.Values());

    TQVCProject played = project;
    ApplyUserSettings(played, file);
    const TQVCSetting& p = played.Setting();
    EXPECT_EQ(p.Duration, c.duration);
    EXPECT_EQ(p.Speed, c.speed);
    EXPECT_EQ(p.Stretch, c.stretch);
    EXPECT_EQ(p.Proportional, c.proportional);
    EXPECT_EQ(p.DirectX, c.directX);
    EXPECT_EQ(p.DirectXQuality, c.quality);
    EXPECT_EQ(p.ShowImageMode, 1);

    // And a second visit reads back what the first wrote.
    dialog.SetValues(ReadUserSettings(file, project), true);
    ASSERT_TRUE(dialog.Button1Click());
    WriteUserSettings(file, dialog.Values());
    TQVCProject again = project;
    ApplyUserSettings(again, file);
    EXPECT_EQ(again.Setting().Speed, c.speed);
    EXPECT_EQ(again.Setting().Proportional, c.proportional);
  }
}

TEST_F(SettingsDialog, AMovedControlGivesItsNewValue) {
  TUserSettings s = Sample();
  s.Speed = -1;
  s.ImageSize = -1;
  dialog.SetValues(s, true);
  EXPECT_EQ(dialog.tbSpeed.Position, 10);
  EXPECT_EQ(dialog.cbImageSize.ItemIndex, 0) << "not stretched";
  dialog.tbSpeed.Position = 11;
  dialog.cbImageSize.ItemIndex = 2;
  dialog.UpDownClick(-1);
  const TUserSettings back = dialog.Values();
  EXPECT_EQ(back.Speed, 11);
  EXPECT_EQ(back.ImageSize, 2);
  EXPECT_EQ(back.Duration, 44);
}

TEST_F(SettingsDialog, CancelLeavesTheMusicListAsHandedIn) {
  dialog.FormShow();
  EXPECT_EQ(dialog.lstMusic.Items, music);
  dialogs.openFileAnswers = {qvtest::Rooted("music/c.mid")};
  dialog.Button3Click();
  dialog.lstMusic.Selected = 0;
  dialog.Button4Click();
  EXPECT_EQ(dialog.lstMusic.Items, (std::vector<std::string>{"/music/b.wav", qvtest::Rooted("music/c.mid")}));
  EXPECT_EQ(music, (std::vector<std::string>{"/music/a.mp3", "/music/b.wav"}));
  ASSERT_TRUE(dialog.Button1Click());
  EXPECT_EQ(music, (std::vector<std::string>{"/music/b.wav", qvtest::Rooted("music/c.mid")})) << "OK refills it, top to bottom";
}

TEST_F(SettingsDialog, AddingAFileTwiceShowsTwoRowsAndCancellingAddsNone) {
  dialog.FormShow();
  dialogs.openFileAnswers = {qvtest::Rooted("music/c.mid"), qvtest::Rooted("music/c.mid"), std::nullopt};
  dialog.Button3Click();
  dialog.Button3Click();
  dialog.Button3Click();
  EXPECT_EQ(dialog.lstMusic.Items.size(), 4u);
  EXPECT_EQ(dialog.lstMusic.Items[2], qvtest::Rooted("music/c.mid"));
  EXPECT_EQ(dialog.lstMusic.Items[3], qvtest::Rooted("music/c.mid"));
  ASSERT_EQ(dialogs.openFileOptions.size(), 3u);
  EXPECT_EQ(dialogs.openFileOptions[0].filter, "Music Files|*.mp3;*.ogg;*.flac;*.wav;*.mid;*.midi");
  EXPECT_TRUE(dialogs.openFileOptions[0].existingOnly);
  EXPECT_TRUE(dialogs.openFileOptions[0].hideReadOnly);
  EXPECT_TRUE(dialogs.openFileOptions[0].resizable);
}

TEST_F(SettingsDialog, RemoveWithNoRowSelectedDoesNothing) {
  dialog.FormShow();
  dialog.Button4Click();
  EXPECT_EQ(dialog.lstMusic.Items.size(), 2u);
  dialog.lstMusic.Selected = 7;
  dialog.Button4Click();
  EXPECT_EQ(dialog.lstMusic.Items.size(), 2u);
  dialog.lstMusic.Selected = 1;
  dialog.Button4Click();
  EXPECT_EQ(dialog.lstMusic.Items, (std::vector<std::string>{"/music/a.mp3"}));
  EXPECT_EQ(dialog.lstMusic.Selected, -1);
}

TEST_F(SettingsDialog, ResetPutsTheSpeedSliderBackTo10) {
  dialog.tbSpeed.Position = 3;
  dialog.Label3Click();
  EXPECT_EQ(dialog.tbSpeed.Position, 10);
}

TEST_F(SettingsDialog, ADurationThatIsNoNumberKeepsTheDialogOpenAndChangesNothing) {
  dialog.FormShow();
  dialog.lstMusic.Items.clear();
  for (const char* bad : {"abc", "", "0", "-5", "1e3"}) {
    dialog.txtDuration = bad;
    EXPECT_FALSE(dialog.Button1Click()) << bad;
    EXPECT_THROW(dialog.Values(), EQVError) << bad;
  }
  EXPECT_EQ(music.size(), 2u);
  EXPECT_EQ(dialogs.shown.size(), 5u);
  EXPECT_NE(dialogs.shown[0].find("'abc'"), std::string::npos);
  dialog.txtDuration = " 7 ";
  EXPECT_TRUE(dialog.Button1Click());
  EXPECT_EQ(dialog.Values().Duration, 7);
}

TEST_F(SettingsDialog, TheUpDownStepsFromTheTypedNumberWithinItsRange) {
  dialog.txtDuration = "500";
  dialog.UpDownClick(1);
  EXPECT_EQ(dialog.txtDuration, "501");
  dialog.txtDuration = "999";
  dialog.UpDownClick(1);
  EXPECT_EQ(dialog.txtDuration, "999");
  dialog.txtDuration = "x";
  dialog.UpDownClick(-1);
  EXPECT_EQ(dialog.txtDuration, "998") << "from its own position when the box holds no number";
  dialog.SetUpDownPosition(3);
  EXPECT_EQ(dialog.txtDuration, "3");
  dialog.SetUpDownPosition(0);
  EXPECT_EQ(dialog.txtDuration, "1");
}

}  // namespace
}  // namespace qv
