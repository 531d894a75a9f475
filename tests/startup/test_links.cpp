// Symbolic links, which a POSIX system lets anyone plant: extraction never
// writes through one. (Windows lets only the privileged make links; its
// build leaves this out and plants hard links instead, in win32/.)
#include <gtest/gtest.h>

#include <filesystem>

#include "project/uBlockContainer.h"
#include "support/TempDir.h"

namespace {

TEST(Links, ExtractionNeverWritesThroughALink) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("victim"), "precious");
  std::filesystem::create_symlink(dir.file("victim"), dir.file("out"));
  qvtest::WriteFile(dir.file("c"), qv::BlockContainerBytes({"overwritten?"}));
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("out")}), 0);
  EXPECT_EQ(qvtest::ReadFile(dir.file("victim")), "precious");
}

}  // namespace
