#include <gtest/gtest.h>

#include <filesystem>

#include "Fixtures.h"
#include "animation/uProject.h"
#include "common/Error.h"
#include "platform/doubles/RecordingDialogs.h"

namespace {

using qv::TProject;
using qv::TProjectFileParts;

class Project : public ::testing::Test {
 protected:
  qvtest::TSteppedWorld world;
  TProject project;
  std::string Write(const TProjectFileParts& parts, const std::string& name = "p.qvp") {
    return qvtest::WriteProject(world.dir, name, parts);
  }
};

// The threads of this process, where the system lists them.
int ThreadCount() {
  std::error_code ec;
  int n = 0;
  for (auto it = std::filesystem::directory_iterator("/proc/self/task", ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    ++n;
  return ec ? -1 : n;
}

// Reading an animated picture starts nothing: its objects are data until the
// engine plays it (the configuration window's previews and qvp info read
// many).
TEST_F(Project, LoadingAHundredObjectsStartsNoThread) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.objects.clear();
  for (int i = 0; i < 100; ++i) parts.objects += "[Obj" + std::to_string(i) + "]\r\nObjType=GIF\r\nFilename=g.gif\r\n";
  const int before = ThreadCount();
  if (before < 0) GTEST_SKIP() << "this system does not list a process's threads";
  ASSERT_TRUE(project.Load(Write(parts))) << project.LoadError();
  EXPECT_EQ(project.Objects().size(), 100u);
  EXPECT_EQ(ThreadCount(), before);
}

TEST_F(Project, LoadCopiesEveryPartOut) {
  ASSERT_TRUE(project.Load(Write(qvtest::FullParts()))) << project.LoadError();
  EXPECT_TRUE(project.Loaded());
  EXPECT_EQ(project.Title(), "Harbour");
  EXPECT_EQ(project.Comment(), "at dusk");
  EXPECT_EQ(project.Picture().Width(), 16);
  EXPECT_EQ(project.Mask().Height(), 8);
  EXPECT_EQ(project.Preview().Width(), 8);
  EXPECT_EQ(project.UnfittedWidth(), 16);
  EXPECT_EQ(project.UnfittedHeight(), 8);
  EXPECT_EQ(project.Area(0).Jitter, 4);
  EXPECT_EQ(project.Area(3).WaveCount, 7);
  EXPECT_EQ(project.Weather().Count, 200);
  EXPECT_EQ(project.SoundCount(), 2);
  EXPECT_EQ(project.Sound(0).Name, "C:\\Sounds\\gull.wav");
  EXPECT_EQ(project.Sound(0).IntervalMax, 20);
  ASSERT_EQ(project.Objects().size(), 1u);
  EXPECT_EQ(project.Objects()[0].Filename, "boat.bmp");
  EXPECT_EQ(project.Speed(), 100);
  project.SetSpeed(40);
  EXPECT_EQ(project.Speed(), 40);
  EXPECT_THROW(project.Area(4), qv::EQVError);
  EXPECT_THROW(project.Area(-1), qv::EQVError);
}

TEST_F(Project, WeatherOpacityZeroBecomesNineForSnowAndSixForRain) {
  TProjectFileParts parts = qvtest::FullParts();
  for (auto [kind, opacity, expected] : {std::tuple{1, 0, 9}, {2, 0, 6}, {0, 0, 0}, {1, 4, 4}, {2, 10, 10}}) {
    parts.weather.Kind = kind;
    parts.weather.Opacity = opacity;
    ASSERT_TRUE(project.Load(Write(parts)));
    EXPECT_EQ(project.Weather().Opacity, expected) << "kind " << kind;
  }
}

TEST_F(Project, TheSingleSoundNameTakesTheFirstFreeSlotUnlessItIsTheNoSoundMarker) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.sound = "<no Sound>";
  ASSERT_TRUE(project.Load(Write(parts)));
  EXPECT_EQ(project.SoundCount(), 2) << "the marker in any letter case adds nothing";

  parts.sound = "bell.wav";
  ASSERT_TRUE(project.Load(Write(parts)));
  ASSERT_EQ(project.SoundCount(), 3);
  EXPECT_EQ(project.Sound(2), (qv::TSoundSlot{"bell.wav", 0, 0, 0}));

  parts.later = 0;  // an older file: no slots at all
  ASSERT_TRUE(project.Load(Write(parts)));
  ASSERT_EQ(project.SoundCount(), 1);
  EXPECT_EQ(project.Sound(0), (qv::TSoundSlot{"bell.wav", 0, 0, 0}));
  EXPECT_TRUE(project.Objects().empty());

  parts.later = 3;
  for (int i = 0; i < 8; ++i) parts.sounds[static_cast<size_t>(i)] = {"s" + std::to_string(i), 2, 9, 0};
  ASSERT_TRUE(project.Load(Write(parts)));
  EXPECT_EQ(project.SoundCount(), 8);
  EXPECT_EQ(project.Sound(7).Name, "s7") << "with every slot taken the single name is dropped";

  parts.sounds[2].Name = "";
  parts.sound = "";
  ASSERT_TRUE(project.Load(Write(parts)));
  EXPECT_EQ(project.SoundCount(), 2) << "the first empty name ends the list";
}

TEST_F(Project, BuildSettingsAreReadFromTheCommaText) {
  ASSERT_TRUE(project.Load(Write(qvtest::FullParts())));
  EXPECT_EQ(project.Build().BuildScr, (qv::TBuildTarget{"harbour.scr", "C:\\My Music\\sea.mp3", true, false}));
  EXPECT_EQ(project.Build().BuildExe, (qv::TBuildTarget{"", "", false, true})) << "defaults";
}

TEST_F(Project, AFailedLoadSaysWhyWithoutAMessageAndLeavesNoOldContent) {
  ASSERT_TRUE(project.Load(Write(qvtest::FullParts())));
  TProjectFileParts parts = qvtest::FullParts();
  Write(parts, "bad.qvp");
  qvtest::Bytes bytes = qv::EncodeProjectFile(parts);
  bytes[0] = 'X';
  qvtest::WriteFile(world.dir.file("bad.qvp"), std::string(bytes.begin(), bytes.end()));
  EXPECT_FALSE(project.Load(world.dir.file("bad.qvp")));
  EXPECT_EQ(project.LoadError(), "Incorrect Project File!");
  EXPECT_FALSE(project.Loaded());
  EXPECT_TRUE(project.Picture().Empty());
  EXPECT_EQ(project.Title(), "");
  EXPECT_TRUE(project.Objects().empty());

  EXPECT_FALSE(project.Load(world.dir.file("none.qvp")));
  EXPECT_EQ(project.LoadError(), "File not found");
}

TEST_F(Project, AMaskOfAnotherSizeThanThePictureIsRefused) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.mask = {16, 7};
  EXPECT_FALSE(project.Load(Write(parts)));
  EXPECT_NE(project.LoadError().find("16 x 7"), std::string::npos) << project.LoadError();
  parts.mask = {16, 8};
  EXPECT_TRUE(project.Load(Write(parts))) << "a two-entry list of the picture's size";
}

TEST_F(Project, LoadHeaderReadsThePreviewAndTitleOrShowsTheFileAndTheError) {
  qv::platform::TRecordingDialogs dialogs;
  TProjectFileParts parts = qvtest::FullParts();
  parts.picture = {1, 2, 3};  // broken, but after the header
  const std::string file = Write(parts);
  ASSERT_TRUE(project.LoadHeader(file, dialogs));
  EXPECT_EQ(project.Title(), "Harbour");
  EXPECT_EQ(project.Preview().Width(), 8);
  EXPECT_TRUE(dialogs.shown.empty());

  qvtest::WriteFile(world.dir.file("x.qvp"), "QV06069X and more");
  EXPECT_FALSE(project.LoadHeader(world.dir.file("x.qvp"), dialogs));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0], "error: File: " + world.dir.file("x.qvp") + "\nIncorrect Project File!");
}


}  // namespace
