#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "project/uBlockContainer.h"
#include "project/uQVProject.h"
#include "startup/uOverlay.h"
#include "support/TempDir.h"

using qvtest::ReadFile;
using qvtest::TempDir;
using qvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

TEST(EngineBaseName, IsTheFileNameCutAtItsFirstDot) {
  EXPECT_EQ(qv::EngineBaseName("/savers/Sea Life.scr"), "Sea Life");
  EXPECT_EQ(qv::EngineBaseName("/savers/a.b.scr"), "a");
  EXPECT_EQ(qv::EngineBaseName("/sav.ers/noext"), "noext");
}

TEST(ProjectTempFolder, IsNamedFromTheBaseNameAndTheRunToken) {
  TempDir tmp;
  qv::TProjectTempFolder folder(tmp.slash(), "/x/My Saver.scr", 123456);
  EXPECT_EQ(folder.ProjectTempFolder(), tmp.slash() + "My Saver3456/");
  EXPECT_EQ(folder.ProjectTempFolder(), tmp.slash() + "My Saver3456/");  // the same on every call
  struct stat st{};
  ASSERT_EQ(::stat(folder.ProjectTempFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(ProjectTempFolder, ATokenFromANegativeTickCarriesItsSign) {
  TempDir tmp;
  qv::TProjectTempFolder folder(tmp.slash(), "/x/saver.scr", 0xFFFFFFFFu - 12344);  // -12345 as signed
  EXPECT_EQ(folder.RunToken(), -2345);
  EXPECT_EQ(folder.ProjectTempFolder(), tmp.slash() + "saver-2345/");
}

TEST(ProjectTempFolder, ANameThatIsTakenMovesToTheNextToken) {
  TempDir tmp;
  fs::create_directory(tmp.file("saver7"));            // a stale or foreign folder
  fs::create_symlink("/", tmp.file("saver8"));          // a planted link
  qv::TProjectTempFolder folder(tmp.slash(), "/x/saver.scr", 7);
  EXPECT_EQ(folder.ProjectTempFolder(), tmp.slash() + "saver9/");
  EXPECT_TRUE(fs::is_empty(tmp.file("saver7")));
}

// A screensaver file: engine bytes, then the overlay.
std::string Screensaver(const std::string& names, const std::vector<std::string>& pictures,
                        const std::string& settings, const std::string& fileList, int settingsBlocks = 3) {
  std::vector<std::string> inner = {fileList, settings, "[UI]\r\nUIFile=C:\\skins\\x.qvu\r\n"};
  if (settingsBlocks == 4) inner.push_back(qv::BlockContainerBytes({"", ""}));
  return std::string("\x7f" "ELF engine image", 17) +
         qv::BlockContainerBytes(
             {qv::BlockContainerBytes(inner), names, qv::BlockContainerBytes(pictures), "skin text"});
}

const char kFileList[] = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\nqvimage1.BMP=0\r\n";
const char kSettings[] = "[General]\r\nProductName=Harbour\r\n[Advance]\r\nPreviewFile=C:\\work\\Preview.JPG\r\n";

TEST(ExtractProject, ExtractsPicturesAndPointsTheProjectIntoTheFolder) {
  TempDir tmp;
  WriteFile(tmp.file("Harbour.scr"),
            Screensaver("C:\\Pictures\\QVImage0.jpg\r\nQVImage1.bmp\r\npreview.jpg\r\n", {"jpeg", "bmp", "prev"},
                        kSettings, kFileList));
  qv::TProjectTempFolder folder(tmp.slash(), tmp.file("Harbour.scr"), 42);
  qv::TQVCProject project;
  qv::ExtractProject(project, tmp.file("Harbour.scr"), folder);
  const std::string dir = folder.ProjectTempFolder();

  EXPECT_EQ(project.Setting().ProductName, "Harbour");
  EXPECT_EQ(ReadFile(dir + "QVImage0.jpg"), "jpeg");  // the folder part of the name line is dropped
  EXPECT_EQ(ReadFile(dir + "QVImage1.bmp"), "bmp");
  ASSERT_EQ(project.FileList().Count(), 2u);
  EXPECT_EQ(project.FileList().Names()[0], dir + "QVImage0.jpg");
  // A stored name spelled in another case finds the extracted file.
  EXPECT_EQ(project.FileList().Names()[1], dir + "QVImage1.bmp");
  EXPECT_EQ(project.FileList().Flags()[1], "FALSE");
  EXPECT_EQ(project.Setting().PreviewFile, dir + "preview.jpg");
  EXPECT_EQ(project.UISetting().UIFile, dir + "QVGUI.qvu");
  EXPECT_EQ(ReadFile(dir + "QVGUI.qvu"), "skin text");
  // The settings container's intermediate files are gone.
  for (const char* n : {"QVQVC.~1.tmp", "QVQVC.~2.tmp", "QVQVC.~3.tmp", "QVQVC.~4.tmp"})
    EXPECT_FALSE(fs::exists(tmp.file(n))) << n;

  qv::DeleteProjectFiles(folder);
  EXPECT_FALSE(fs::exists(dir));
}

TEST(ExtractProject, NameLinesThatAreNoFileNamesAreSkipped) {
  TempDir tmp;
  WriteFile(tmp.file("s.scr"), Screensaver("\r\n.\r\n..\r\n..\\..\\escape.txt\r\nqvc.RES\r\n/etc/QVImage0.jpg\r\n",
                                           {"a", "b", "c", "d", "e", "pic"}, kSettings, kFileList));
  qv::TProjectTempFolder folder(tmp.slash(), tmp.file("s.scr"), 1);
  qv::TQVCProject project;
  qv::ExtractProject(project, tmp.file("s.scr"), folder);
  const std::string dir = folder.ProjectTempFolder();
  EXPECT_EQ(ReadFile(dir + "escape.txt"), "d");  // only its file-name part, inside the folder
  EXPECT_FALSE(fs::exists(tmp.file("escape.txt")));
  EXPECT_EQ(ReadFile(dir + "QVImage0.jpg"), "pic");
  // A picture named like the settings container does not replace it.
  EXPECT_EQ(project.Setting().ProductName, "Harbour");
  qv::DeleteProjectFiles(folder);
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_TRUE(fs::exists(tmp.file("s.scr")));
}

TEST(ExtractProject, ThreeAndFourBlockSettingsLoadTheSame) {
  TempDir tmp;
  for (int blocks : {3, 4}) {
    const std::string exe = tmp.file(std::string("s").append(std::to_string(blocks)).append(".scr"));
    WriteFile(exe, Screensaver("QVImage0.jpg\r\n", {"x"}, kSettings + std::string("[Default]\r\nDuration=7\r\n"),
                               kFileList, blocks));
    qv::TProjectTempFolder folder(tmp.slash(), exe, 5);
    qv::TQVCProject project;
    qv::ExtractProject(project, exe, folder);
    EXPECT_EQ(project.Setting().ProductName, "Harbour") << blocks;
    EXPECT_EQ(project.Setting().Duration, 7) << blocks;
    EXPECT_EQ(project.FileList().Count(), 2u) << blocks;
    qv::DeleteProjectFiles(folder);
  }
}

TEST(ExtractProject, AFileWithoutOverlayKeepsTheDefaults) {
  TempDir tmp;
  WriteFile(tmp.file("plain"), std::string(10000, 'e'));
  qv::TProjectTempFolder folder(tmp.slash(), tmp.file("plain"), 9);
  qv::TQVCProject project;
  qv::ExtractProject(project, tmp.file("plain"), folder);
  EXPECT_EQ(project.Setting().ProductName, "My Screensaver");
  EXPECT_EQ(project.FileList().Count(), 0u);
  qv::DeleteProjectFiles(folder);
  EXPECT_TRUE(fs::is_empty(tmp.path()) || !fs::exists(tmp.file("plain9")));
}

TEST(ExtractProject, ATruncatedOverlayDoesNoHarm) {
  TempDir tmp;
  const std::string full = Screensaver("QVImage0.jpg\r\nQVImage1.bmp\r\n", {std::string(4000, 'j'), "b"},
                                       kSettings, kFileList);
  for (size_t cut : {size_t{20}, size_t{40}, full.size() / 2, full.size() - 3}) {
    WriteFile(tmp.file("t.scr"), full.substr(0, cut));
    qv::TProjectTempFolder folder(tmp.slash(), tmp.file("t.scr"), static_cast<uint32_t>(cut));
    qv::TQVCProject project;
    qv::ExtractProject(project, tmp.file("t.scr"), folder);
    const std::string dir = folder.ProjectTempFolder();
    qv::DeleteProjectFiles(folder);
    EXPECT_FALSE(fs::exists(dir)) << cut;
  }
}

// A download that stopped early: what is whole plays, the cut picture does
// not, and the caller learns how much is missing.
TEST(ExtractProject, ACutFileSaysWhatItLacksAndKeepsOnlyWholePictures) {
  TempDir tmp;
  const std::string full = Screensaver("QVImage0.jpg\r\nQVImage1.bmp\r\n", {std::string(4000, 'j'), std::string(3000, 'b')},
                                       kSettings, kFileList);
  auto extract = [&](size_t cut, bool keepFiles = false) {
    WriteFile(tmp.file("t.scr"), full.substr(0, cut));
    qv::TProjectTempFolder folder(tmp.slash(), tmp.file("t.scr"), static_cast<uint32_t>(cut));
    qv::TQVCProject project;
    const qv::TOverlayShortfall shortfall = qv::ExtractProject(project, tmp.file("t.scr"), folder);
    const std::string dir = folder.ProjectTempFolder();
    const bool first = fs::exists(dir + "QVImage0.jpg"), second = fs::exists(dir + "QVImage1.bmp");
    if (!keepFiles) qv::DeleteProjectFiles(folder);
    return std::tuple{shortfall, first, second};
  };
  auto [whole, a, b] = extract(full.size());
  EXPECT_FALSE(whole.Any());
  EXPECT_EQ(whole.Describe(), "");
  EXPECT_TRUE(a && b);

  // Cut in the skin's text: exactly 5 of its 9 bytes are missing.
  auto [inSkin, x, y] = extract(full.size() - 5);
  EXPECT_EQ(inSkin.missingBytes, 5u);
  EXPECT_TRUE(inSkin.exact);
  EXPECT_EQ(inSkin.lostPictures, 0u);
  EXPECT_TRUE(x && y);

  // Without the skin block its length is lost too: at least its 4 bytes.
  auto [noSkin, m, n] = extract(full.size() - 13);
  EXPECT_EQ(noSkin.missingBytes, 4u);
  EXPECT_FALSE(noSkin.exact);
  EXPECT_EQ(noSkin.Describe(), "at least 4 bytes of its project are missing");
  EXPECT_TRUE(m && n);

  // Cut in the second picture: its last 1000 bytes and the skin block.
  auto [cut, first, second] = extract(full.size() - 13 - 1000);
  EXPECT_EQ(cut.missingBytes, 1004u);
  EXPECT_TRUE(first) << "the whole picture is there";
  EXPECT_FALSE(second) << "the cut one is not";
  EXPECT_EQ(cut.lostPictures, 1u);
  EXPECT_EQ(cut.Describe(), "at least 1004 bytes of its project are missing (1 picture lost)");
}

}  // namespace

namespace {

TEST(ExtractedProject, RemovesWhatItExtractedWhenItGoesEvenAfterAnError) {
  TempDir tmp;
  WriteFile(tmp.file("Harbour.scr"), Screensaver("QVImage0.jpg\r\n", {"jpeg"}, kSettings, kFileList));
  std::string dir;
  try {
    qv::TExtractedProject extracted(tmp.file("Harbour.scr"), tmp.slash(), 42);
    dir = extracted.TempFolder();
    EXPECT_EQ(extracted.Project().Setting().ProductName, "Harbour");
    EXPECT_EQ(extracted.ExePath(), tmp.file("Harbour.scr"));
    EXPECT_EQ(ReadFile(dir + "QVImage0.jpg"), "jpeg");
    throw std::runtime_error("the mode failed");
  } catch (const std::runtime_error&) {
  }
  ASSERT_FALSE(dir.empty());
  EXPECT_FALSE(fs::exists(dir));
}

}  // namespace

namespace {

// A folder as a killed run leaves it: its files and its run lock, free.
void LeaveStaleFolder(const std::string& folder) {
  fs::create_directory(folder);
  WriteFile(folder + "/QVImage0.jpg", "picture");
  WriteFile(folder + "/QVRun.lock", "");
}

TEST(StaleFolders, AKilledRunsFolderGoesAndEverythingElseStays) {
  TempDir tmp;
  LeaveStaleFolder(tmp.file("Harbour1234"));
  LeaveStaleFolder(tmp.file("Harbour-77"));
  LeaveStaleFolder(tmp.file("Harbourside1"));   // another engine's name
  LeaveStaleFolder(tmp.file("Harbour12a"));     // not a run token
  fs::create_directory(tmp.file("Harbour55"));  // no lock: not proven dead
  WriteFile(tmp.file("Harbour55/keep.txt"), "x");
  WriteFile(tmp.file("Harbour66"), "a file of that name");
  fs::create_directory(tmp.file("elsewhere"));
  LeaveStaleFolder(tmp.file("elsewhere/Harbour9"));
  fs::create_directory_symlink(tmp.file("elsewhere/Harbour9"), tmp.file("Harbour99"));

  qv::SweepStaleFolders(tmp.slash(), "Harbour");
  EXPECT_FALSE(fs::exists(tmp.file("Harbour1234")));
  EXPECT_FALSE(fs::exists(tmp.file("Harbour-77")));
  for (const char* kept : {"Harbourside1", "Harbour12a", "Harbour55/keep.txt", "Harbour66", "elsewhere/Harbour9/QVImage0.jpg",
                           "Harbour99"})
    EXPECT_TRUE(fs::exists(tmp.file(kept))) << kept;
}

TEST(StaleFolders, AFolderWhoseRunIsAliveStays) {
  TempDir tmp;
  // A run alive in another process holds its lock.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    qv::TProjectTempFolder folder(tmp.slash(), "/x/Harbour.scr", 42);
    const bool made = !folder.ProjectTempFolder().empty();
    (void)!::write(ready[1], &made, 1);
    ::pause();
    ::_exit(0);
  }
  bool made = false;
  ASSERT_EQ(::read(ready[0], &made, 1), 1);
  ASSERT_TRUE(made);
  // One alive in this process holds its lock too.
  qv::TProjectTempFolder mine(tmp.slash(), "/x/Harbour.scr", 77);
  ASSERT_FALSE(mine.ProjectTempFolder().empty());

  qv::SweepStaleFolders(tmp.slash(), "Harbour");
  EXPECT_TRUE(fs::exists(tmp.file("Harbour42/QVRun.lock")));
  EXPECT_TRUE(fs::exists(tmp.file("Harbour77/QVRun.lock")));

  // Killed, its folder goes at the next sweep.
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  qv::SweepStaleFolders(tmp.slash(), "Harbour");
  EXPECT_FALSE(fs::exists(tmp.file("Harbour42")));
  EXPECT_TRUE(fs::exists(tmp.file("Harbour77/QVRun.lock")));
  qv::DeleteProjectFiles(mine);
  EXPECT_FALSE(fs::exists(tmp.file("Harbour77")));
}

TEST(StaleFolders, TheRunLockCannotBeExtractedOver) {
  EXPECT_FALSE(qv::AcceptablePictureName("qvrun.LOCK"));
}

}  // namespace
