#include <gtest/gtest.h>

#include <filesystem>

#include "project/uLongPath.h"
#include "support/TempDir.h"

using qv::ExpandLongPath;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

namespace fs = std::filesystem;

TEST(LongPath, IsTheAbsoluteNormalPathOfAnExistingFile) {
  TempDir dir;
  fs::create_directories(dir.file("a/b"));
  WriteFile(dir.file("a/saver.scr"), "x");
  const std::string real = fs::canonical(dir.path()).string();
  EXPECT_EQ(ExpandLongPath(dir.file("a/b/../saver.scr")), real + "/a/saver.scr");
  EXPECT_EQ(ExpandLongPath(dir.file("a/./b")), real + "/a/b");
  const fs::path old = fs::current_path();
  fs::current_path(dir.file("a/b"));
  EXPECT_EQ(ExpandLongPath("../saver.scr"), real + "/a/saver.scr");
  fs::current_path(old);
}

TEST(LongPath, ResolvesLinksToTheRealFile) {
  TempDir dir;
  WriteFile(dir.file("real.scr"), "x");
  fs::create_symlink(dir.file("real.scr"), dir.file("link.scr"));
  EXPECT_EQ(ExpandLongPath(dir.file("link.scr")), fs::canonical(dir.path()).string() + "/real.scr");
}

TEST(LongPath, IsEmptyForWildcardsNetworkPathsAndMissingFiles) {
  TempDir dir;
  WriteFile(dir.file("saver.scr"), "x");
  EXPECT_EQ(ExpandLongPath(dir.file("*.scr")), "");
  EXPECT_EQ(ExpandLongPath(dir.file("saver.sc?")), "");
  EXPECT_EQ(ExpandLongPath(std::string("/").append(dir.file("saver.scr"))), "");
  EXPECT_EQ(ExpandLongPath("\\\\server\\share\\saver.scr"), "");
  EXPECT_EQ(ExpandLongPath(dir.file("gone.scr")), "");
  EXPECT_EQ(ExpandLongPath(""), "");
  fs::create_symlink(dir.file("gone.scr"), dir.file("dangling.scr"));
  EXPECT_EQ(ExpandLongPath(dir.file("dangling.scr")), "");
}

}  // namespace
