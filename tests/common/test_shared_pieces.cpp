#include <gtest/gtest.h>

#include <filesystem>

#include "common/MulDiv.h"
#include "common/Paths.h"
#include "common/Random.h"
#include "support/TempDir.h"

namespace {

TEST(Random, StepsTheStateAndTakesTheUpperHalfOfTheProduct) {
  qv::RandSeed = 0;
  EXPECT_EQ(qv::Random(100), 0u);  // state 1: (1 * 100) >> 32
  EXPECT_EQ(qv::RandSeed, 1u);
  EXPECT_EQ(qv::Random(100), 3u);  // state 134775814
  EXPECT_EQ(qv::RandSeed, 134775814u);
  qv::RandSeed = 0xFFFFFFFFu;
  qv::Random(10);
  EXPECT_EQ(qv::RandSeed, 0xFFFFFFFFu * 134775813u + 1u);
  EXPECT_EQ(qv::Random(0), 0u);
  for (int i = 0; i < 1000; ++i) EXPECT_LT(qv::Random(7), 7u);
}

TEST(Random, AGuardPutsTheStateBack) {
  qv::RandSeed = 1234;
  {
    qv::TRandomStateGuard guard;
    qv::RandSeed = 99;
    qv::Random(5);
  }
  EXPECT_EQ(qv::RandSeed, 1234u);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(qv::MulDiv(256, 50, 100), 128);
  EXPECT_EQ(qv::MulDiv(1, 1, 2), 1);
  EXPECT_EQ(qv::MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(qv::MulDiv(3, 1, 2), 2);
  EXPECT_EQ(qv::MulDiv(5, -1, 2), -3);
  EXPECT_EQ(qv::MulDiv(1, 1, 3), 0);
  EXPECT_EQ(qv::MulDiv(2, 1, 3), 1);
  EXPECT_EQ(qv::MulDiv(1024, 37, 100), 379);  // 378.88
  EXPECT_EQ(qv::MulDiv(0x40000000, 4, 2), -1);  // does not fit
  EXPECT_EQ(qv::MulDiv(7, 7, 0), -1);
}

TEST(Paths, TheFileNamePartFollowsTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(qv::FileNamePart("C:\\Pictures\\QVImage0.jpg"), "QVImage0.jpg");
  EXPECT_EQ(qv::FileNamePart("/a/b\\c.gif"), "c.gif");
  EXPECT_EQ(qv::FileNamePart("plain.bmp"), "plain.bmp");
  EXPECT_EQ(qv::UpperExtension("C:\\x.y\\Photo.Jpeg"), ".JPEG");
  EXPECT_EQ(qv::UpperExtension("C:\\x.y\\noext"), "");
}

TEST(Paths, AStoredNameIsFoundIgnoringLetterCase) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("song.mp3"), "x");
  EXPECT_EQ(qv::FindInFolder(dir.path(), "song.mp3"), dir.file("song.mp3"));
  EXPECT_EQ(qv::FindInFolder(dir.slash(), "Song.MP3"), dir.file("song.mp3"));
  EXPECT_EQ(qv::FindInFolder(dir.path(), "other.mp3"), "");
  EXPECT_EQ(qv::FindInFolder(dir.path(), ".."), "");
}

}  // namespace
