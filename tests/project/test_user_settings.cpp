#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "common/Error.h"
#include "project/uIniFile.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "support/TempDir.h"

using qv::TQVCProject;
using qvtest::ReadFile;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

TQVCProject ProjectWith(size_t pictures) {
  TQVCProject p;
  for (size_t i = 0; i < pictures; ++i) p.FileList().Add("QVImage" + std::to_string(i) + ".jpg", true);
  return p;
}

std::vector<bool> EnabledFlags(const TQVCProject& p) {
  std::vector<bool> out;
  for (size_t i = 0; i < p.FileList().Count(); ++i) out.push_back(p.FileList().Enabled(i));
  return out;
}

class ApplySettings : public ::testing::Test {
 protected:
  TempDir dir;
  std::string ini = dir.file("saver.ini");
  TQVCProject project = ProjectWith(10);

  void Apply(const std::string& text) {
    WriteFile(ini, text);
    qv::ApplyUserSettings(project, ini);
  }
};

TEST_F(ApplySettings, MissingFileLeavesTheProjectAsMade) {
  project.Setting().DirectX = false;
  qv::ApplyUserSettings(project, dir.file("none.ini"));
  EXPECT_FALSE(project.Setting().DirectX);
  EXPECT_EQ(project.Setting().DirectXQuality, 0);
}

TEST_F(ApplySettings, MonitorsAndPanZoomAreTheUsersWhenGivenElseTheProjects) {
  project.Setting().Monitors = 2;
  project.Setting().PanZoomPercent = 90;
  Apply("[Setting]\r\nIndex=0\r\n");
  EXPECT_EQ(project.Setting().Monitors, 2);
  EXPECT_FALSE(project.Setting().PanZoom);
  EXPECT_EQ(project.Setting().PanZoomPercent, 90);
  Apply("[Setting]\r\nMonitors=1\r\nPanZoom=1\r\nPanZoomPercent=60\r\n");
  EXPECT_EQ(project.Setting().Monitors, 1);
  EXPECT_TRUE(project.Setting().PanZoom);
  EXPECT_EQ(project.Setting().PanZoomPercent, 60);
}

TEST_F(ApplySettings, SpeedIndexGoesThroughTheTable) {
  Apply("[Setting]\r\nSpeed=10\r\n");
  EXPECT_EQ(project.Setting().Speed, 100);
  Apply("[Setting]\r\nSpeed=18\r\n");
  EXPECT_EQ(project.Setting().Speed, 360);
  project.Setting().Speed = 75;
  Apply("[Setting]\r\nIndex=0\r\n");
  EXPECT_EQ(project.Setting().Speed, 75);
}

TEST_F(ApplySettings, SpeedOutsideTheTableIsIgnored) {
  project.Setting().Speed = 75;
  for (const char* bad : {"21", "-2", "999999"}) {
    Apply(std::string("[Setting]\r\nSpeed=") + bad + "\r\n");
    EXPECT_EQ(project.Setting().Speed, 75) << bad;
  }
}

TEST_F(ApplySettings, ImageSizeChoosesStretchAndProportions) {
  Apply("[Setting]\r\nImageSize=0\r\n");
  EXPECT_FALSE(project.Setting().Stretch);
  EXPECT_FALSE(project.Setting().Proportional);
  Apply("[Setting]\r\nImageSize=1\r\n");
  EXPECT_TRUE(project.Setting().Stretch);
  EXPECT_FALSE(project.Setting().Proportional);
  Apply("[Setting]\r\nImageSize=2\r\n");
  EXPECT_TRUE(project.Setting().Stretch);
  EXPECT_TRUE(project.Setting().Proportional);
  Apply("[Setting]\r\nIndex=1\r\n");
  EXPECT_TRUE(project.Setting().Stretch);
  EXPECT_TRUE(project.Setting().Proportional);
}

TEST_F(ApplySettings, CustomMusicInOrderReplacesTheProjectsMusic) {
  project.Setting().MusicFile = "QVMusic.mp3";
  Apply("[Setting]\r\nCustomMusic=1\r\nShuffleMusic=0\r\n[MusicList]\r\nC:\\m\\a.mp3=\r\nC:\\m\\b.wav=\r\n");
  EXPECT_EQ(project.Setting().MusicFile, "C:\\m\\a.mp3;C:\\m\\b.wav");
  EXPECT_EQ(project.Setting().MusicMode, 1);
}

TEST_F(ApplySettings, CustomMusicShuffledWithAnEmptyListMeansNoMusic) {
  project.Setting().MusicFile = "QVMusic.mp3";
  project.Setting().MusicMode = 1;
  Apply("[Setting]\r\nCustomMusic=1\r\n");
  EXPECT_EQ(project.Setting().MusicFile, "");
  EXPECT_EQ(project.Setting().MusicMode, 0);
}

TEST_F(ApplySettings, WithoutCustomMusicTheListIsNotUsed) {
  project.Setting().MusicFile = "QVMusic.mp3";
  Apply("[Setting]\r\nShuffleMusic=0\r\n[MusicList]\r\n/m/a.mp3=\r\n");
  EXPECT_EQ(project.Setting().MusicFile, "QVMusic.mp3");
  EXPECT_EQ(project.Setting().MusicMode, 0);
}

TEST_F(ApplySettings, SelectedImageModeEnablesOnlyTheSelectedPicture) {
  Apply("[Setting]\r\nImageMode=3\r\nIndex=4\r\n");
  std::vector<bool> only4(10, false);
  only4[4] = true;
  EXPECT_EQ(EnabledFlags(project), only4);
  EXPECT_EQ(project.Setting().ShowImageMode, 3);
}

TEST_F(ApplySettings, SelectedIndexOutOfRangeSelectsTheFirstPicture) {
  std::vector<bool> only0(10, false);
  only0[0] = true;
  for (const char* index : {"12", "10", "-3"}) {
    project.FileList().SetAllEnabled(true);
    Apply(std::string("[Setting]\r\nImageMode=3\r\nIndex=") + index + "\r\n");
    EXPECT_EQ(EnabledFlags(project), only0) << index;
  }
}

TEST_F(ApplySettings, FavouritesModeDisablesTheUncheckedPictures) {
  Apply("[Setting]\r\nImageMode=2\r\n[Files]\r\n0=\r\n2=\r\n");
  std::vector<bool> expected(10, true);
  expected[0] = expected[2] = false;
  EXPECT_EQ(EnabledFlags(project), expected);
}

TEST_F(ApplySettings, FilesSectionIsIgnoredOutsideFavouritesMode) {
  Apply("[Setting]\r\nImageMode=0\r\n[Files]\r\n0=\r\n2=\r\n");
  EXPECT_EQ(EnabledFlags(project), std::vector<bool>(10, true));
}

TEST_F(ApplySettings, HandEditedFilesKeysThatAreNoPictureIndexAreIgnored) {
  Apply("[Setting]\r\nImageMode=2\r\n[Files]\r\n-1=\r\n10=\r\n$3=\r\nfive=\r\n 7 =\r\n99999999999999999999=\r\n");
  std::vector<bool> expected(10, true);
  expected[7] = false;
  EXPECT_EQ(EnabledFlags(project), expected);
}

// Closing the configuration window writes Index alone: the show must stay the
// creator's, the accelerated path and its working size included.
TEST_F(ApplySettings, KeysTheFileDoesNotHoldKeepTheProjectsValues) {
  project.Setting().Sound = false;
  project.Setting().Duration = 12;
  project.Setting().ShowImageMode = 1;
  project.Setting().DirectX = false;
  project.Setting().DirectXQuality = 0;
  Apply("[Setting]\r\nIndex=3\r\n");
  const qv::TQVCSetting& s = project.Setting();
  EXPECT_FALSE(s.DirectX);
  EXPECT_EQ(s.DirectXQuality, 0);
  EXPECT_FALSE(s.Sound);
  EXPECT_EQ(s.Duration, 12);
  EXPECT_EQ(s.ShowImageMode, 1);

  project.Setting().DirectX = true;
  project.Setting().DirectXQuality = 2;
  Apply("[Setting]\r\nIndex=3\r\n");
  EXPECT_TRUE(project.Setting().DirectX);
  EXPECT_EQ(project.Setting().DirectXQuality, 2);
  Apply("[Setting]\r\nDirectX=0\r\nDirectXQuality=1\r\n");
  EXPECT_FALSE(project.Setting().DirectX);
  EXPECT_EQ(project.Setting().DirectXQuality, 1);
}

class SettingsPath : public ::testing::Test {
 protected:
  TempDir dir;
  // The scratch folder's own real path, as ExpandLongPath gives it.
  std::string real = qv::ExpandLongPath(dir.path());
  std::string Make(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(dir.file(relative)).parent_path());
    WriteFile(dir.file(relative), "engine");
    return dir.file(relative);
  }
};

TEST_F(SettingsPath, ReplacesTheExtension) {
  EXPECT_EQ(qv::UserSettingsPath(Make("Sea Life.scr")), real + "/Sea Life.ini");
  EXPECT_EQ(qv::UserSettingsPath(Make("sea.life.scr")), real + "/sea.life.ini");
}

TEST_F(SettingsPath, CutsAtTheLastDotOfTheWholePath) {
  EXPECT_EQ(qv::UserSettingsPath(Make("a.b/saver.scr")), real + "/a.b/saver.ini");
  // Without a dot in the file name the folder's dot is the last one.
  EXPECT_EQ(qv::UserSettingsPath(Make("x.y/saver")), real + "/x.ini");
}

TEST_F(SettingsPath, IsEmptyForAnEngineThatCannotBeFound) {
  EXPECT_EQ(qv::UserSettingsPath(dir.file("gone.scr")), "");
}

TEST_F(SettingsPath, ApplyForAnScrFileOrTheConfigureSwitch) {
  EXPECT_TRUE(qv::UserSettingsApply(Make("sea.SCR"), ""));
  EXPECT_FALSE(qv::UserSettingsApply(Make("qvsaver.exe"), ""));
  EXPECT_TRUE(qv::UserSettingsApply(Make("qvsaver.exe"), "/c"));
  EXPECT_FALSE(qv::UserSettingsApply(Make("qvsaver.exe"), "/S"));
}

class ConfigurationFile : public ::testing::Test {
 protected:
  TempDir dir;
  std::string ini = dir.file("saver.ini");
  TQVCProject project = ProjectWith(10);
};

TEST_F(ConfigurationFile, WithoutAFileTheDialogStartsFromTheProject) {
  project.Setting().Speed = 360;
  project.Setting().Stretch = true;
  project.Setting().Proportional = true;
  project.Setting().DirectXQuality = 2;
  qv::TUserSettings u = qv::ReadUserSettings(ini, project);
  EXPECT_EQ(u.Speed, 18);
  EXPECT_EQ(u.ImageSize, 2);
  EXPECT_EQ(u.DirectXQuality, 2);
  EXPECT_FALSE(u.CustomMusic);
  EXPECT_TRUE(u.ShuffleMusic);
  project.Setting().Speed = 77;
  project.Setting().Stretch = false;
  u = qv::ReadUserSettings(ini, project);
  EXPECT_EQ(u.Speed, -1) << "the project's own speed, which the table lacks";
  EXPECT_EQ(u.ImageSize, -1) << "not stretched, keeping the shape: the list has no such choice";
  project.Setting().Proportional = false;
  EXPECT_EQ(qv::ReadUserSettings(ini, project).ImageSize, 0);
}

TEST_F(ConfigurationFile, SettingsRoundTripAndKeepOtherKeys) {
  WriteFile(ini, "[Setting]\r\nIndex=4\r\n[Files]\r\n1=\r\n[Mine]\r\nkeep=1\r\n");
  qv::TUserSettings u = qv::UserSettingsFromProject(project);
  u.ImageSize = 1;
  u.ImageMode = 2;
  u.Speed = 18;
  u.Sound = false;
  u.Duration = 45;
  u.DirectX = true;
  u.CustomMusic = true;
  u.ShuffleMusic = false;
  u.MusicList = {"/m/a.mp3", "/m/b.wav"};
  u.Monitors = 1;
  u.PanZoom = true;
  u.PanZoomPercent = 55;
  qv::WriteUserSettings(ini, u);

  qv::TUserSettings back = qv::ReadUserSettings(ini, ProjectWith(10));
  EXPECT_EQ(back.Monitors, 1);
  EXPECT_TRUE(back.PanZoom);
  EXPECT_EQ(back.PanZoomPercent, 55);
  EXPECT_EQ(back.ImageSize, 1);
  EXPECT_EQ(back.ImageMode, 2);
  EXPECT_EQ(back.Speed, 18);
  EXPECT_FALSE(back.Sound);
  EXPECT_EQ(back.Duration, 45);
  EXPECT_TRUE(back.DirectX);
  EXPECT_TRUE(back.CustomMusic);
  EXPECT_FALSE(back.ShuffleMusic);
  EXPECT_EQ(back.MusicList, u.MusicList);

  qv::TIniFile file = qv::TIniFile::FromFile(ini);
  EXPECT_EQ(file.ReadInteger("Setting", "Index", -1), 4);
  EXPECT_EQ(file.ReadSectionKeys("Files"), (std::vector<std::string>{"1"}));
  EXPECT_EQ(file.ReadInteger("Mine", "keep", 0), 1);
  EXPECT_NE(ReadFile(ini).find("\r\nSound=0\r\n"), std::string::npos);
  EXPECT_NE(ReadFile(ini).find("[MusicList]\r\n/m/a.mp3=\r\n/m/b.wav=\r\n"), std::string::npos);
}

TEST_F(ConfigurationFile, MusicListKeepsARepeatedPathOnceAndLeavesOutUnstorablePaths) {
  qv::TUserSettings u;
  u.MusicList = {"/m/a.mp3", "/m/x=y.mp3", ";m.mp3", "/m/a.mp3", "/m/B.mp3"};
  qv::WriteUserSettings(ini, u);
  EXPECT_EQ(qv::ReadUserSettings(ini, project).MusicList, (std::vector<std::string>{"/m/a.mp3", "/m/B.mp3"}));
  u.MusicList.clear();
  qv::WriteUserSettings(ini, u);
  EXPECT_FALSE(qv::TIniFile::FromFile(ini).SectionExists("MusicList"));
}

TEST_F(ConfigurationFile, SelectedIndexBeyondTheCountOpensOnTheFirstPicture) {
  qv::WriteSelectedIndex(ini, 12);
  EXPECT_EQ(qv::ReadSelectedIndex(ini, 10), 0);
  qv::WriteSelectedIndex(ini, 10);
  EXPECT_EQ(qv::ReadSelectedIndex(ini, 10), 10);
  qv::WriteSelectedIndex(ini, -1);
  EXPECT_EQ(qv::ReadSelectedIndex(ini, 10), 0);
  EXPECT_EQ(qv::ReadSelectedIndex(dir.file("none.ini"), 10), 0);
}

TEST_F(ConfigurationFile, UncheckedFavouritesComeBackUnchecked) {
  WriteFile(ini, "[Setting]\r\nIndex=2\r\n[Files]\r\n7=\r\n");
  std::vector<bool> checked(10, true);
  checked[1] = checked[4] = false;
  qv::SaveFavourites(ini, checked);
  EXPECT_EQ(qv::TIniFile::FromFile(ini).ReadSectionKeys("Files"), (std::vector<std::string>{"1", "4"}));
  EXPECT_NE(ReadFile(ini).find("[Files]\r\n1=\r\n4=\r\n"), std::string::npos);
  EXPECT_EQ(qv::LoadFavourites(ini, 10), checked);
  EXPECT_EQ(qv::ReadSelectedIndex(ini, 10), 2);
  EXPECT_EQ(qv::LoadFavourites(dir.file("none.ini"), 3), std::vector<bool>(3, true));
}

TEST_F(ConfigurationFile, WritersFailWithoutTouchingAnythingWhenTheFolderIsMissing) {
  EXPECT_THROW(qv::WriteSelectedIndex(dir.file("gone/saver.ini"), 1), qv::EQVError);
  EXPECT_THROW(qv::SaveFavourites("", {true}), qv::EQVError);
}

}  // namespace

namespace {

TEST_F(ConfigurationFile, AFileTheUserMadeReadOnlyIsReportedAndKept) {
  WriteFile(ini, "[Setting]\r\nIndex=3\r\n");
  ::chmod(ini.c_str(), 0444);
  try {
    qv::WriteSelectedIndex(ini, 5);
    FAIL() << "wrote a read-only file";
  } catch (const qv::EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFile(ini), "[Setting]\r\nIndex=3\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(ConfigurationFile, WhatASaveCutShortLeftIsRemovedByTheNextSave) {
  WriteFile(dir.file(".saver.ini.AbC123"), "");  // a crash an hour ago
  std::filesystem::last_write_time(dir.file(".saver.ini.AbC123"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  WriteFile(dir.file(".saver.ini.XyZ789"), "");  // another save, just now
  WriteFile(dir.file(".other.ini.AbC123"), "");
  qv::WriteSelectedIndex(ini, 2);
  EXPECT_FALSE(std::filesystem::exists(dir.file(".saver.ini.AbC123")));
  EXPECT_TRUE(std::filesystem::exists(dir.file(".saver.ini.XyZ789")));
  EXPECT_TRUE(std::filesystem::exists(dir.file(".other.ini.AbC123")));
  EXPECT_EQ(qv::ReadSelectedIndex(ini, 10), 2);
}

TEST_F(SettingsPath, WhenTheScreensaversFolderCannotBeWrittenTheUsersOwnFileTakesOver) {
  const std::string exe = Make("system/Sea Life.scr");
  WriteFile(real + "/system/Sea Life.ini", "[Setting]\r\nIndex=4\r\n[Other]\r\nKeep=1\r\n");
  const qv::TUserSettingsFiles files = qv::UserSettingsFiles(exe, dir.file("config"));
  EXPECT_EQ(files.perUser, dir.file("config") + "/qvsaver/Sea Life.ini");
  EXPECT_EQ(files.ForReading(), files.beside);
  // A writable folder keeps the file beside the screensaver.
  EXPECT_EQ(files.ForWriting(true), files.beside);
  // An unwritable one starts the user's own file from it; from then on that
  // file is read and written.
  const std::string target = files.ForWriting(false);
  EXPECT_EQ(target, files.perUser);
  qv::WriteSelectedIndex(target, 7);
  EXPECT_EQ(files.ForReading(), files.perUser);
  EXPECT_EQ(files.ForWriting(true), files.perUser);
  EXPECT_EQ(qv::ReadSelectedIndex(files.ForReading(), 10), 7);
  EXPECT_NE(ReadFile(files.perUser).find("Keep=1"), std::string::npos);
  EXPECT_EQ(ReadFile(files.beside), "[Setting]\r\nIndex=4\r\n[Other]\r\nKeep=1\r\n");
}

}  // namespace
