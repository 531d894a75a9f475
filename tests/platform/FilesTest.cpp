#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Files.h"
#include "support/TempDir.h"

namespace {

using qv::platform::TCreateResult;
using qv::platform::TOpenResult;

TEST(Files, OnlyRegularFilesWithinTheCapAreRead) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("a.txt"), "hello");
  std::string bytes, reason;
  EXPECT_EQ(qv::platform::ReadRegularFile(dir.file("a.txt"), 5, bytes, reason), TOpenResult::Ok);
  EXPECT_EQ(bytes, "hello");
  EXPECT_EQ(qv::platform::ReadRegularFile(dir.file("a.txt"), 4, bytes, reason), TOpenResult::Refused);
  EXPECT_EQ(bytes, "hello");  // a refused read leaves the output alone
  EXPECT_EQ(qv::platform::ReadRegularFile(dir.file("none"), 100, bytes, reason), TOpenResult::Missing);
  EXPECT_EQ(qv::platform::ReadRegularFile(dir.path(), 100, bytes, reason), TOpenResult::Refused);
  EXPECT_EQ(qv::platform::ReadRegularFile("/dev/zero", 100, bytes, reason), TOpenResult::Refused);
  EXPECT_EQ(reason, "not a regular file");
}

TEST(Files, AFifoIsRefusedWithoutWaitingForAWriter) {
  qvtest::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::string bytes, reason;
  EXPECT_EQ(qv::platform::ReadRegularFile(dir.file("pipe"), 100, bytes, reason), TOpenResult::Refused);
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
