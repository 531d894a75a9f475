// The look-ups built on this system's file-name rules (POSIX: letter case
// counts, names written on Windows are none of ours).
#include "platform/PathRules.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

TEST(PathRules, AStoredNameIsFoundIgnoringLetterCase) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("song.mp3"), "x");
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), "song.mp3"), dir.file("song.mp3"));
  EXPECT_EQ(qv::platform::FindInFolder(dir.slash(), "Song.MP3"), dir.file("song.mp3"));
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), "other.mp3"), "");
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), ".."), "");
}

TEST(PathRules, AnExactNameWinsOverOneThatDiffersInCase) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("Song.mp3"), "x");
  qvtest::WriteFile(dir.file("song.mp3"), "y");
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), "song.mp3"), dir.file("song.mp3"));
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), "Song.mp3"), dir.file("Song.mp3"));
}

std::string Split(std::string_view stored) {
  std::string folder, name;
  if (!qv::platform::SplitLocalPath(stored, folder, name)) return "not local";
  return folder + " | " + name;
}

TEST(PathRules, OnlyNamesOfThisSystemAreLocalPaths) {
  EXPECT_FALSE(qv::platform::FileNamesIgnoreCase());
  EXPECT_FALSE(qv::platform::StoredNamesAreLocalPaths());
  EXPECT_EQ(Split("/home/a/bird.wav"), "/home/a | bird.wav");
  EXPECT_EQ(Split("/bird.wav"), "/ | bird.wav");
  EXPECT_EQ(Split("sounds/bird.wav"), "sounds | bird.wav");
  EXPECT_EQ(Split("bird.wav"), " | bird.wav");
  EXPECT_EQ(Split("C:\\Sounds\\bird.wav"), "not local");
  EXPECT_EQ(Split("C:bird.wav"), "not local");
  EXPECT_EQ(Split("a\\b.wav"), "not local");
}

}  // namespace
