#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/Error.h"
#include "project/uBlockContainer.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"
#include "support/TempDir.h"

using qv::TQVCFileList;
using qv::TQVCProject;
using qv::TQVCSetting;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

TEST(ProjectSettings, WithoutDefaultSectionKeepTheDefaults) {
  TQVCSetting s;
  s.LoadFromText("[General]\r\nProductName=Sea Life\r\n");
  EXPECT_EQ(s.ProductName, "Sea Life");
  EXPECT_EQ(s.Duration, 30);
  EXPECT_EQ(s.TransitionTime, 2000);
  EXPECT_EQ(s.Speed, 100);
  EXPECT_EQ(s.TransitionEffects.substr(0, 6), "1,2,3,");
  EXPECT_EQ(s.TransitionEffects.substr(s.TransitionEffects.size() - 8), ",168,169");
  EXPECT_EQ(std::count(s.TransitionEffects.begin(), s.TransitionEffects.end(), ','), 168);
}

TEST(ProjectSettings, ASettingsTextThatLacksTheDisplayKeysGivesTheirDefaults) {
  // Values written out here, not taken from the key table, so a wrong
  // default in the table shows.
  TQVCSetting s;
  s.LoadFromText("[General]\r\nPublisher=Harbour Works\r\n[Default]\r\nDuration=12\r\n[Advance]\r\nMusicMode=1\r\n");
  EXPECT_EQ(s.ProductName, "My Screensaver");
  EXPECT_EQ(s.Publisher, "Harbour Works");
  EXPECT_TRUE(s.Stretch);
  EXPECT_FALSE(s.Proportional);
  EXPECT_TRUE(s.Random);
  EXPECT_EQ(s.ShowImageMode, 0);
  EXPECT_FALSE(s.DirectX);
  EXPECT_EQ(s.DirectXQuality, 0);
  EXPECT_TRUE(s.Sound);
  EXPECT_TRUE(s.Music);
  EXPECT_TRUE(s.Transition);
  EXPECT_EQ(s.Duration, 12);
}

TEST(ProjectSettings, SoundOffWithMusicOnKeepsMusic) {
  TQVCSetting s;
  s.LoadFromText("[Default]\r\nSound=0\r\nMusic=1\r\n");
  EXPECT_FALSE(s.Sound);
  EXPECT_TRUE(s.Music);
}

TEST(ProjectSettings, AMissingKeyKeepsTheCurrentValue) {
  TQVCSetting s;
  s.Duration = 12;
  s.LoadFromText("[Default]\r\nSpeed=240\r\nDuration=soon\r\n");
  EXPECT_EQ(s.Speed, 240);
  EXPECT_EQ(s.Duration, 12);
}

TEST(ProjectSettings, IniTextRoundTripsEveryKey) {
  TQVCSetting s;
  s.ProductName = "Sea = Life";
  s.Proportional = true;
  s.Speed = 360;
  s.MusicFile = "C:\\m\\a.mp3;C:\\m\\b.wav";
  s.BuildSmallThumbs = false;
  const std::string text = s.ToIniText();
  EXPECT_EQ(text.rfind("[General]\r\nProductName=Sea = Life\r\nPublisher=\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n[Default]\r\nStretch=1\r\nProportional=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n[Build]\r\nBuildMethod=2\r\n"), std::string::npos);

  TQVCSetting back;
  back.LoadFromText(text);
  for (const qv::TSettingField& f : qv::SettingFields()) EXPECT_EQ(f.GetIniValue(back), f.GetIniValue(s)) << f.key;
}

TEST(ProjectSettings, KeysBeyondTheCreatorsAreWrittenOnlyWhenTheyDifferFromTheirDefault) {
  TQVCSetting s;
  EXPECT_EQ(s.ToIniText().find("Monitors"), std::string::npos) << "a project that does not use them reads as made";
  EXPECT_EQ(s.ToIniText().find("PanZoom"), std::string::npos);
  s.PanZoom = true;
  s.Monitors = 2;
  const std::string text = s.ToIniText();
  EXPECT_NE(text.find("\r\nDirectXQuality=0\r\nMonitors=2\r\nPanZoom=1\r\n[Advance]"), std::string::npos) << text;
  TQVCSetting back;
  back.LoadFromText(text);
  EXPECT_EQ(back.Monitors, 2);
  EXPECT_TRUE(back.PanZoom);
  EXPECT_EQ(back.PanZoomPercent, 75);
}

TEST(ProjectSettings, IniTextRefusesALineBreakInAText) {
  TQVCSetting s;
  s.Website = "http://a\r\n[Default]";
  EXPECT_THROW(s.ToIniText(), qv::EQVError);
}

TEST(SettingFields, ListEveryKeyOnceInSectionOrder) {
  const auto& fields = qv::SettingFields();
  EXPECT_EQ(fields.size(), 33u);
  const char* order[] = {"General", "Default", "Advance", "Build"};
  size_t at = 0;
  for (const qv::TSettingField& f : fields) {
    while (at < 4 && std::string(f.section) != order[at]) ++at;
    ASSERT_LT(at, 4u) << f.key << " out of section order";
    EXPECT_EQ(qv::FindSettingField(f.section, f.key), &f);
  }
  EXPECT_EQ(qv::FindSettingField("default", "TRANSITIONEFFECTS")->kind, qv::TSettingField::Text);
  EXPECT_EQ(qv::FindSettingField("General", "Speed"), nullptr);
}

TEST(SettingFields, SetFromAnIniValueAsLoadingWould) {
  TQVCSetting s;
  const qv::TSettingField* speed = qv::FindSettingField("Default", "Speed");
  EXPECT_TRUE(speed->SetFromIniValue(s, "$10"));
  EXPECT_EQ(speed->GetInt(s), 16);
  EXPECT_FALSE(speed->SetFromIniValue(s, "fast"));
  EXPECT_EQ(s.Speed, 16);
  EXPECT_THROW(qv::FindSettingField("General", "ProductName")->GetInt(s), std::logic_error);
}

TEST(FileList, ReadsNamesInOrderWithTheirFlags) {
  TQVCFileList list;
  list.Add("stale.jpg", true);
  list.LoadFromText("[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nA.jpg=0\r\nB.jpg=1\r\nC.qvp=x\r\n");
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"A.jpg", "B.jpg", "C.qvp"}));
  EXPECT_EQ(list.Flags(), (std::vector<std::string>{"FALSE", "TRUE", "FALSE"}));
}

TEST(FileList, IniTextRoundTrips) {
  TQVCFileList list;
  list.Add("QVImage0.jpg", true);
  list.Add("QVImage1.jpg", false);
  EXPECT_EQ(list.ToIniText(), "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\nQVImage1.jpg=0\r\n");
  TQVCFileList back;
  back.LoadFromText(list.ToIniText());
  EXPECT_EQ(back.Names(), list.Names());
  EXPECT_EQ(back.Flags(), list.Flags());
  list.Add("a=b.jpg", true);
  EXPECT_THROW(list.ToIniText(), qv::EQVError);
}

TEST(IntermediateFiles, TakeTheNameUpToItsLastDot) {
  EXPECT_EQ(qv::ContainerIntermediateFile("/run/x/QVC.res", "/tmp/", 1), "/tmp/QVQVC.~1.tmp");
  EXPECT_EQ(qv::ContainerIntermediateFile("a.b.res", "/tmp/", 4), "/tmp/QVa.b.~4.tmp");
  EXPECT_EQ(qv::ContainerIntermediateFile("settings", "/tmp/", 2), "/tmp/QV~2.tmp");
  // The search starts one before the last character, so a final dot is not found.
  EXPECT_EQ(qv::ContainerIntermediateFile("odd.", "/tmp/", 3), "/tmp/QV~3.tmp");
  EXPECT_EQ(qv::ContainerIntermediateFile("a..", "/tmp/", 3), "/tmp/QVa.~3.tmp");
}

class Container : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir temp;
  std::string file = dir.file("QVC.res");

  const std::string fileList = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\nQVImage1.jpg=0\r\n";
  const std::string settings = "[General]\r\nProductName=Sea Life\r\n[Default]\r\nDuration=12\r\n";
  const std::string ui = "[UI]\r\nUIFile=C:\\s\\sea.qvu\r\n";

  void Write(const std::vector<std::string>& blocks) {
    std::vector<qv::TBlockSource> sources;
    for (const std::string& b : blocks) sources.push_back({"", b});
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    qv::WriteBlockContainer(out, sources);
    std::fclose(out);
  }
  size_t FilesInTemp() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(temp.path()), {})); }
};

TEST_F(Container, WithThreeOrFourBlocksLoadsTheSameAndCleansUp) {
  for (bool fourth : {false, true}) {
    std::vector<std::string> blocks = {fileList, settings, ui};
    if (fourth) blocks.push_back(std::string());
    Write(blocks);
    TQVCProject project;
    project.LoadContainer(file, temp.slash());
    EXPECT_EQ(project.FileList().Names(), (std::vector<std::string>{"QVImage0.jpg", "QVImage1.jpg"}));
    EXPECT_EQ(project.FileList().Flags(), (std::vector<std::string>{"TRUE", "FALSE"}));
    EXPECT_EQ(project.Setting().ProductName, "Sea Life");
    EXPECT_EQ(project.Setting().Duration, 12);
    EXPECT_EQ(project.Setting().Speed, 100);
    EXPECT_EQ(project.UISetting().UIFile, "C:\\s\\sea.qvu");
    EXPECT_EQ(FilesInTemp(), 0u);
  }
}

TEST_F(Container, WithAnotherBlockCountLoadsNothing) {
  for (size_t count : {size_t{2}, size_t{5}}) {
    std::vector<std::string> blocks = {fileList, settings, ui, "", ""};
    blocks.resize(count);
    Write(blocks);
    TQVCProject project;
    project.LoadContainer(file, temp.slash());
    EXPECT_EQ(project.FileList().Count(), 0u);
    EXPECT_EQ(project.Setting().ProductName, "My Screensaver");
    EXPECT_EQ(FilesInTemp(), 0u);
  }
}

TEST_F(Container, MissingFileLeavesTheDefaults) {
  TQVCProject project;
  project.LoadContainer(dir.file("none.res"), temp.slash());
  EXPECT_EQ(project.FileList().Count(), 0u);
  EXPECT_EQ(project.Setting().Duration, 30);
}

}  // namespace
