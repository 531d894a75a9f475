// Symbolic links, which a POSIX system lets anyone plant: the settings path
// follows one to the real engine, and a container's intermediate files are
// never written through one. (Windows lets only the privileged make links;
// its build leaves these out and plants hard links instead, in win32/.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "project/uBlockContainer.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"
#include "support/TempDir.h"

using qvtest::TempDir;
using qvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

TEST(Links, TheSettingsPathFollowsALinkToTheRealEngine) {
  TempDir dir;
  const std::string real = qv::ExpandLongPath(dir.path());
  fs::create_directories(dir.file("engines"));
  WriteFile(dir.file("engines/sea.scr"), "engine");
  fs::create_symlink(dir.file("engines/sea.scr"), dir.file("link.scr"));
  EXPECT_EQ(qv::UserSettingsPath(dir.file("link.scr")), real + "/engines/sea.ini");
}

TEST(Links, AContainerIsNotWrittenThroughAPlantedIntermediateName) {
  TempDir dir, temp;
  const std::string file = dir.file("QVC.res");
  std::vector<qv::TBlockSource> blocks;
  for (const char* block : {"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\n",
                            "[General]\r\nProductName=Sea Life\r\n", "[UI]\r\nUIFile=C:\\s\\sea.qvu\r\n"})
    blocks.push_back({"", block});
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  qv::WriteBlockContainer(out, blocks);
  std::fclose(out);
  const std::string victim = dir.file("victim");
  WriteFile(victim, "precious");
  const std::string planted = temp.file("QVQVC.~2.tmp");
  fs::create_symlink(victim, planted);

  qv::TQVCProject project;
  project.LoadContainer(file, temp.slash());
  EXPECT_EQ(qvtest::ReadFile(victim), "precious");
  EXPECT_EQ(project.Setting().ProductName, "Sea Life");
  // Only what this load created is removed.
  EXPECT_TRUE(fs::is_symlink(planted));
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

}  // namespace
