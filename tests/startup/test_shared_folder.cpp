#include <gtest/gtest.h>

#include <filesystem>

#include "startup/uSharedFolder.h"
#include "support/TempDir.h"

using qv::LocateProjectFile;
using qv::TLookupKind;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

namespace fs = std::filesystem;

class SharedFolder : public ::testing::Test {
 protected:
  TempDir home, system;
  void MakeCommon(const TempDir& data, const std::string& spelled = "Torvane/Common") {
    fs::create_directories(data.file(spelled));
  }
};

TEST_F(SharedFolder, IsTheFirstDataFolderThatHoldsIt) {
  MakeCommon(system);
  EXPECT_EQ(qv::SharedCommonFolder({home.slash(), system.slash()}), system.file("Torvane/Common/"));
  MakeCommon(home);
  EXPECT_EQ(qv::SharedCommonFolder({home.slash(), system.slash()}), home.file("Torvane/Common/"));
}

TEST_F(SharedFolder, IsEmptyWhenNoDataFolderHoldsIt) {
  fs::create_directories(home.file("Torvane"));
  WriteFile(system.file("Torvane"), "a file, not a folder");
  EXPECT_EQ(qv::SharedCommonFolder({home.slash(), system.slash(), ""}), "");
  EXPECT_EQ(qv::SharedCommonFolder({}), "");
}

TEST_F(SharedFolder, IsFoundWhateverTheLetterCase) {
  MakeCommon(home, "torvane/COMMON");
  EXPECT_EQ(qv::SharedCommonFolder({home.slash()}), home.file("torvane/COMMON/"));
}

class ProjectFileLookup : public ::testing::Test {
 protected:
  TempDir temp, exe, shared;
  void SetUp() override {
    fs::create_directories(exe.file("sounds"));
    fs::create_directories(shared.file("images"));
    fs::create_directories(shared.file("Sounds"));
  }
  std::string Find(const std::string& stored, TLookupKind kind) {
    return LocateProjectFile(stored, kind, temp.slash(), exe.slash(), shared.slash());
  }
};

TEST_F(ProjectFileLookup, SoundsAreTriedInTheFourPlacesInOrder) {
  const std::string stored = "C:\\Program Files\\Torvane\\Common\\sounds\\Bird.wav";
  WriteFile(exe.file("sounds/bird.wav"), "4");
  EXPECT_EQ(Find(stored, TLookupKind::Sound), exe.file("sounds/bird.wav"));
  WriteFile(shared.file("Sounds/BIRD.WAV"), "3");
  EXPECT_EQ(Find(stored, TLookupKind::Sound), shared.file("Sounds/BIRD.WAV"));
  WriteFile(temp.file("Bird.wav"), "2");
  EXPECT_EQ(Find(stored, TLookupKind::Sound), temp.file("Bird.wav"));
  const std::string local = exe.file("own.wav");
  WriteFile(local, "1");
  EXPECT_EQ(Find(local, TLookupKind::Sound), local);
}

TEST_F(ProjectFileLookup, PicturesUseOnlyTheStoredPathAndTheSharedImages) {
  WriteFile(temp.file("fish.gif"), "temp");
  WriteFile(exe.file("sounds/fish.gif"), "exe");
  EXPECT_EQ(Find("C:\\art\\fish.gif", TLookupKind::Picture), "");
  WriteFile(shared.file("images/Fish.GIF"), "shared");
  EXPECT_EQ(Find("C:\\art\\fish.gif", TLookupKind::Picture), shared.file("images/Fish.GIF"));
}

TEST_F(ProjectFileLookup, NothingFoundGivesAnEmptyPath) {
  EXPECT_EQ(Find("C:\\x\\none.wav", TLookupKind::Sound), "");
  EXPECT_EQ(Find("", TLookupKind::Sound), "");
  EXPECT_EQ(LocateProjectFile("none.wav", TLookupKind::Sound, "", "", ""), "");
}

TEST_F(ProjectFileLookup, FoldersAndDotNamesAreNeverFiles) {
  fs::create_directories(temp.file("drums.wav"));
  EXPECT_EQ(Find("C:\\drums.wav", TLookupKind::Sound), "");
  EXPECT_EQ(Find("C:\\x\\..", TLookupKind::Sound), "");
  EXPECT_EQ(Find("C:\\x\\", TLookupKind::Sound), "");
}

}  // namespace
