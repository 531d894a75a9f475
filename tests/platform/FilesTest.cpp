#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Files.h"
#include "support/ReadOutcome.h"
#include "support/TempDir.h"

namespace {

using qv::platform::TCreateResult;

TEST(Files, OnlyRegularFilesWithinTheCapAreRead) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("a.txt"), "hello");
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("a.txt"), 5), "hello");
  EXPECT_EQ(qv::platform::ReadWholeFile(dir.file("a.txt"), 5), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("a.txt"), 4), "refused: larger than 0 MiB");
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("none"), 100), "missing");
  EXPECT_EQ(qvtest::ReadOutcome(dir.path(), 100), "refused: a folder, not a file");
  EXPECT_EQ(qvtest::ReadOutcome("/dev/zero", 100), "refused: not a regular file");
}

TEST(Files, AFileThatCannotBeReadIsNamedWithTheReason) {
  qvtest::TempDir dir;
  try {
    qv::platform::ReadWholeFile(dir.file("none"), 100);
    FAIL();
  } catch (const qv::EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read " + dir.file("none") + ": no such file");
  }
  try {
    qv::platform::OpenFileToRead(dir.path(), 100);
    FAIL();
  } catch (const qv::EQVError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read " + dir.path() + ": a folder, not a file");
  }
  qvtest::WriteFile(dir.file("a.txt"), "hello");
  qv::platform::TFile file = qv::platform::OpenFileToRead(dir.file("a.txt"), 5);
  EXPECT_EQ(file.Size(), 5u);
}

TEST(Files, AFifoIsRefusedWithoutWaitingForAWriter) {
  qvtest::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("pipe"), 100), "refused: not a regular file");
}

TEST(Files, ExclusiveCreationNeverOpensATakenNameOrFollowsALink) {
  qvtest::TempDir dir;
  qv::platform::TFile file;
  ASSERT_EQ(qv::platform::CreateExclusive(dir.file("new"), file), TCreateResult::Created);
  ASSERT_TRUE(file.Write("abc", 3));
  ASSERT_TRUE(file.Close());
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(qv::platform::CreateExclusive(dir.file("new"), file), TCreateResult::Exists);
  EXPECT_EQ(qvtest::ReadFile(dir.file("new")), "abc");

  std::filesystem::create_symlink(dir.file("target"), dir.file("link"));
  EXPECT_EQ(qv::platform::CreateExclusive(dir.file("link"), file), TCreateResult::Exists);
  EXPECT_FALSE(std::filesystem::exists(dir.file("target")));
  EXPECT_FALSE(qv::platform::IsOwnRegularFile(dir.file("link")));
  EXPECT_TRUE(qv::platform::IsOwnRegularFile(dir.file("new")));
}

TEST(Files, APrivateFolderIsMadeOnceAndOnlyForItsOwner) {
  qvtest::TempDir dir;
  EXPECT_EQ(qv::platform::CreatePrivateFolder(dir.file("f")), TCreateResult::Created);
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(qv::platform::CreatePrivateFolder(dir.file("f")), TCreateResult::Exists);
  EXPECT_EQ(qv::platform::CreatePrivateFolder(dir.file("none/f")), TCreateResult::Failed);
}

TEST(Files, ReplacementPutsTheNewFileInPlaceAndKeepsThePermissions) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("s.ini"), "old");
  ::chmod(dir.file("s.ini").c_str(), 0640);
  qv::platform::TFile file;
  std::string temp, reason;
  ASSERT_TRUE(qv::platform::CreateUnique(dir.file(".s.ini."), file, temp));
  EXPECT_EQ(temp.rfind(dir.file(".s.ini."), 0), 0u);
  qv::platform::CopyPermissions(dir.file("s.ini"), file);
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Close());
  ASSERT_TRUE(qv::platform::ReplaceFileAtomically(temp, dir.file("s.ini"), reason));
  EXPECT_EQ(qvtest::ReadFile(dir.file("s.ini")), "new");
  EXPECT_FALSE(std::filesystem::exists(temp));
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("s.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_FALSE(qv::platform::ReplaceFileAtomically(dir.file("gone"), dir.file("s.ini"), reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(qvtest::ReadFile(dir.file("s.ini")), "new");
}

}  // namespace
