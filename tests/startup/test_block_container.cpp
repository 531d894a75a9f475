#include <gtest/gtest.h>

#include <filesystem>

#include "project/uBlockContainer.h"
#include "support/TempDir.h"

using qvtest::Le32;
using qvtest::ReadFile;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

std::string Marker() { return qv::BlockMarkerBytes(); }

TEST(BlockMarker, IsTheTagWithOneAddedToEveryCharacter) {
  EXPECT_EQ(Marker(), "|RWSFTSPVSDF~");
}

TEST(BlockMarker, IsFoundAfterLeadingBytesAndAcrossReadPieces) {
  TempDir dir;
  // 995 puts the marker across the first 1001-byte chunk; the others straddle
  // larger read pieces.
  for (size_t lead : {size_t{0}, size_t{995}, size_t{1001 - 13}, size_t{(1 << 20) - 6}, size_t{(1 << 20) + 3}}) {
    std::string bytes(lead, 'x');
    bytes += Marker() + Le32(7);
    WriteFile(dir.file("f"), bytes);
    qv::TBlockMarker m = qv::FindBlockMarker(dir.file("f"));
    ASSERT_TRUE(m.found) << lead;
    EXPECT_EQ(m.end, lead + 13) << lead;
    EXPECT_EQ(m.blockCount, 7u) << lead;
  }
}

TEST(BlockMarker, AByteThatBreaksAPartialMatchDoesNotStartANewOne) {
  TempDir dir;
  // "|R" matches two characters; the marker's own "|" then breaks the match
  // and is not tried as a first character, so this marker is missed...
  WriteFile(dir.file("f"), "|R" + Marker() + Le32(1));
  EXPECT_FALSE(qv::FindBlockMarker(dir.file("f")).found);
  // ...while a later complete marker is still found.
  WriteFile(dir.file("g"), "|R" + Marker() + Le32(1) + "-" + Marker() + Le32(3));
  qv::TBlockMarker m = qv::FindBlockMarker(dir.file("g"));
  ASSERT_TRUE(m.found);
  EXPECT_EQ(m.end, 2 + 13 + 4 + 1 + 13u);
  EXPECT_EQ(m.blockCount, 3u);
}

TEST(BlockMarker, MissingFileOrMarkerIsNotFound) {
  TempDir dir;
  EXPECT_FALSE(qv::FindBlockMarker(dir.file("absent")).found);
  WriteFile(dir.file("f"), std::string(5000, '|'));
  EXPECT_FALSE(qv::FindBlockMarker(dir.file("f")).found);
  WriteFile(dir.file("cut"), Marker() + "\x02");  // the count itself is cut off
  qv::TBlockMarker m = qv::FindBlockMarker(dir.file("cut"));
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.blockCount, 0u);
}

TEST(ExtractBlocks, WritesEachBlockToItsOutputInOrder) {
  TempDir dir;
  WriteFile(dir.file("c"), "engine bytes" + qv::BlockContainerBytes({"first", "", std::string(3000, 'z')}));
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("1"), dir.file("2"), dir.file("3")}), 3);
  EXPECT_EQ(ReadFile(dir.file("1")), "first");
  EXPECT_TRUE(std::filesystem::exists(dir.file("2")));  // a block of length 0 gives an empty file
  EXPECT_EQ(ReadFile(dir.file("2")), "");
  EXPECT_EQ(ReadFile(dir.file("3")), std::string(3000, 'z'));
}

TEST(ExtractBlocks, TakesNoMoreBlocksThanThereAreOutputsOrBlocks) {
  TempDir dir;
  WriteFile(dir.file("c"), qv::BlockContainerBytes({"a", "b", "c"}));
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("1")}), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("2")));
  // A count larger than the blocks present stops where the file ends.
  WriteFile(dir.file("d"), Marker() + Le32(9) + Le32(1) + "a");
  EXPECT_EQ(qv::ExtractBlocks(dir.file("d"), {dir.file("x"), dir.file("y"), dir.file("z")}), 1);
  EXPECT_EQ(ReadFile(dir.file("x")), "a");
  EXPECT_FALSE(std::filesystem::exists(dir.file("y")));
}

TEST(ExtractBlocks, ALengthBeyondTheEndCopiesWhatIsThere) {
  TempDir dir;
  WriteFile(dir.file("c"), Marker() + Le32(1) + Le32(0xFFFFFFF0u) + "partial");
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("1")}), 1);
  EXPECT_EQ(ReadFile(dir.file("1")), "partial");
}

TEST(ExtractBlocks, AnEmptyOutputSkipsItsBlock) {
  TempDir dir;
  WriteFile(dir.file("c"), qv::BlockContainerBytes({"skip me", "keep"}));
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {"", dir.file("2")}), 1);
  EXPECT_EQ(ReadFile(dir.file("2")), "keep");
}

TEST(BlockContainer, WrittenFromFilesAndBytesReadsBack) {
  TempDir dir;
  WriteFile(dir.file("pic"), std::string(5000, 'p'));
  std::string path = dir.file("out");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::vector<qv::TBlockSource> blocks{{dir.file("pic"), {}}, {{}, "inline"}};
  qv::WriteBlockContainer(f, blocks);
  std::fclose(f);
  EXPECT_EQ(std::filesystem::file_size(path), qv::BlockContainerSize(blocks));
  EXPECT_EQ(qv::ExtractBlocks(path, {dir.file("1"), dir.file("2")}), 2);
  EXPECT_EQ(ReadFile(dir.file("1")), std::string(5000, 'p'));
  EXPECT_EQ(ReadFile(dir.file("2")), "inline");
}

TEST(BlockContainer, TheEngineCarriesNoMarkerOfItsOwn) {
  // The first marker in a screensaver must be its overlay's.
  EXPECT_FALSE(qv::FindBlockMarker(QV_QVSAVER).found);
  EXPECT_FALSE(qv::FindBlockMarker(QV_QVTOOL).found);
}

}  // namespace

namespace {

TEST(ExtractBlocks, ReadsAContainerNestedInABlockOfAnother) {
  TempDir dir;
  const std::string inner = qv::BlockContainerBytes({"one", "two"});
  WriteFile(dir.file("c"), "lead" + qv::BlockContainerBytes({"first", inner, "after" + Marker() + Le32(1)}));
  std::vector<qv::TBlockRange> spans;
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {"", "", ""}, {}, &spans), 0);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1].length, inner.size());
  EXPECT_EQ(qv::ExtractBlocks(dir.file("c"), {dir.file("1"), dir.file("2"), dir.file("3")}, spans[1]), 2);
  EXPECT_EQ(ReadFile(dir.file("1")), "one");
  EXPECT_EQ(ReadFile(dir.file("2")), "two");
  // A range holds nothing beyond its end, not even a marker that follows.
  EXPECT_FALSE(qv::FindBlockMarker(dir.file("c"), {spans[0].offset, spans[0].length}).found);
}

}  // namespace
