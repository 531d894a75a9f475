// Hard links, which anyone may make on Windows (symbolic links need a
// privilege): a name planted as a link to another file is never written
// through, and the one long form of a path uses forward slashes.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "common/Utf8Path.h"
#include "project/uBlockContainer.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "platform/win32/WinText.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using qv::platform::win32::SystemPath;

bool PlantLink(const std::string& victim, const std::string& name) {
  return CreateHardLinkW(SystemPath(name).c_str(), SystemPath(victim).c_str(), nullptr) != 0;
}

TEST(Win32Links, ExtractionNeverWritesThroughAPlantedLink) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("victim"), "precious");
  ASSERT_TRUE(PlantLink(dir.file("victim"), dir.file("out")));
  qvtest::WriteFile(dir.file("c"), qv::BlockContainerBytes({"extracted"}));
  // A name of our own is taken over: the link goes, a new file comes.
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("out")}), 1);
  EXPECT_EQ(qvtest::ReadFile(dir.file("out")), "extracted");
  EXPECT_EQ(qvtest::ReadFile(dir.file("victim")), "precious");
}

TEST(Win32Links, AContainerIsNotWrittenThroughAPlantedIntermediateName) {
  qvtest::TempDir dir, temp;
  std::vector<qv::TBlockSource> blocks;
  for (const char* block : {"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\n",
                            "[General]\r\nProductName=Sea Life\r\n", "[UI]\r\nUIFile=C:\\s\\sea.qvu\r\n"})
    blocks.push_back({"", block});
  std::FILE* out = std::fopen(dir.file("QVC.res").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  qv::WriteBlockContainer(out, blocks);
  std::fclose(out);
  qvtest::WriteFile(dir.file("victim"), "precious");
  ASSERT_TRUE(PlantLink(dir.file("victim"), temp.file("QVQVC.~2.tmp")));

  qv::TQVCProject project;
  project.LoadContainer(dir.file("QVC.res"), temp.slash());
  EXPECT_EQ(qvtest::ReadFile(dir.file("victim")), "precious");
  EXPECT_EQ(project.Setting().ProductName, "Sea Life");
  // Only what this load created is removed.
  EXPECT_EQ(qvtest::ReadFile(temp.file("QVQVC.~2.tmp")), "precious");
  EXPECT_EQ(std::distance(fs::directory_iterator(qv::PathFromUtf8(temp.path())), fs::directory_iterator()), 1);
}

TEST(Win32Paths, TheLongFormIsAbsoluteNormalAndUsesForwardSlashes) {
  qvtest::TempDir dir;
  fs::create_directories(qv::PathFromUtf8(dir.file("a/b")));
  qvtest::WriteFile(dir.file("a/Sea Life.scr"), "x");
  const std::string real = qv::ExpandLongPath(dir.path());
  ASSERT_FALSE(real.empty());
  EXPECT_EQ(real.find('\\'), std::string::npos) << real;
  EXPECT_EQ(real[1], ':') << real;
  EXPECT_EQ(qv::ExpandLongPath(dir.file("a/b/../Sea Life.scr")), real + "/a/Sea Life.scr");
  std::string backslashed = dir.file("a\\b\\..\\Sea Life.scr");
  EXPECT_EQ(qv::ExpandLongPath(backslashed), real + "/a/Sea Life.scr");
  EXPECT_EQ(qv::ExpandLongPath("\\\\server\\share\\saver.scr"), "");
  EXPECT_EQ(qv::ExpandLongPath("//server/share/saver.scr"), "");
  EXPECT_EQ(qv::ExpandLongPath(dir.file("a/gone.scr")), "");
}

}  // namespace
