// The file services on Windows: names in UTF-8 reach the disk as the same
// letters, nothing is ever opened through a taken name, only files on a disk
// are read, replacement works onto an existing file, and locks behave as the
// run folders need.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "common/Utf8Path.h"
#include "platform/Files.h"
#include "platform/PathRules.h"
#include "platform/win32/WinText.h"
#include "support/NotRegularFiles.h"
#include "support/ReadOutcome.h"
#include "support/TempDir.h"

namespace {

using qv::platform::TCreateResult;
namespace fs = std::filesystem;

// "Crème brûlée ü €" in UTF-8 and as the system sees it.
const char kName[] = "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e \xC3\xBC \xE2\x82\xAC";
const wchar_t kWideName[] = L"Cr\u00E8me br\u00FBl\u00E9e \u00FC \u20AC";

bool ExistsWide(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring WideFolder(const qvtest::TempDir& dir) { return qv::platform::win32::SystemPath(dir.path()); }

TEST(Win32Files, NamesWithSpacesAndAccentedLettersReachTheDiskAsTheSameLetters) {
  qvtest::TempDir dir;
  const std::string folder = dir.file(kName);
  ASSERT_EQ(qv::platform::CreatePrivateFolder(folder), TCreateResult::Created);
  EXPECT_TRUE(ExistsWide(WideFolder(dir) + L"\\" + kWideName));
  EXPECT_TRUE(qv::platform::IsOwnFolder(folder));

  const std::string file = folder + "/" + kName + ".txt";
  qv::platform::TFile out;
  ASSERT_EQ(qv::platform::CreateExclusive(file, out), TCreateResult::Created);
  ASSERT_TRUE(out.Write("old", 3));
  ASSERT_TRUE(out.Close());
  EXPECT_TRUE(ExistsWide(WideFolder(dir) + L"\\" + kWideName + L"\\" + kWideName + L".txt"));
  EXPECT_TRUE(qv::platform::IsOwnRegularFile(file));

  std::string reason;
  EXPECT_EQ(qvtest::ReadOutcome(file, 100), "old");
  ASSERT_TRUE(qv::platform::ReplaceFileContents(file, "new", reason)) << reason;
  EXPECT_EQ(qvtest::ReadFile(file), "new");
  EXPECT_TRUE(fs::exists(qv::PathFromUtf8(file)));

  std::FILE* stream = qv::platform::OpenStream(file, "rb");
  ASSERT_NE(stream, nullptr);
  char got[4] = {};
  EXPECT_EQ(std::fread(got, 1, 3, stream), 3u);
  std::fclose(stream);
  EXPECT_STREQ(got, "new");

  qv::platform::RemoveFile(file);
  qv::platform::RemoveEmptyFolder(folder);
  EXPECT_FALSE(ExistsWide(WideFolder(dir) + L"\\" + kWideName));
}

TEST(Win32Files, ExclusiveCreationNeverOpensATakenName) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("taken"), "keep");
  qv::platform::TFile file;
  EXPECT_EQ(qv::platform::CreateExclusive(dir.file("taken"), file), TCreateResult::Exists);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(qvtest::ReadFile(dir.file("taken")), "keep");
  EXPECT_EQ(qv::platform::CreatePrivateFolder(dir.file("taken")), TCreateResult::Exists);
  EXPECT_EQ(qv::platform::CreatePrivateFolder(dir.file("no/such/parent")), TCreateResult::Failed);
  EXPECT_EQ(qv::platform::CreateExclusive(dir.file("no/such/file"), file), TCreateResult::Failed);

  std::string first, second;
  qv::platform::TFile a, b;
  ASSERT_TRUE(qv::platform::CreateUnique(dir.file(".x."), a, first));
  ASSERT_TRUE(qv::platform::CreateUnique(dir.file(".x."), b, second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first.size(), dir.file(".x.").size() + 6);
}

TEST(Win32Files, OnlyFilesOnADiskWithinTheCapAreRead) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("a.txt"), "hello");
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("a.txt"), 4), "refused: larger than 0 MiB");
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("none"), 100), "missing");
  EXPECT_EQ(qvtest::ReadOutcome(dir.file("none/deeper"), 100), "missing");
  EXPECT_EQ(qvtest::ReadOutcome(dir.path(), 100), "refused: a folder, not a file");
  for (const std::string& device : qvtest::EndlessDevices())
    EXPECT_EQ(qvtest::ReadOutcome(device, 100).rfind("refused: ", 0), 0u) << device;
  EXPECT_EQ(qvtest::ReadOutcome("NUL", 100), "refused: not a regular file");
  // A pipe nobody writes to is refused at once, not waited on.
  qvtest::Pipe pipe(dir.path(), "pipe");
  ASSERT_TRUE(pipe.Made());
  EXPECT_EQ(qvtest::ReadOutcome(pipe.path(), 100), "refused: not a regular file");
}

TEST(Win32Files, ReplacementWorksOntoAnExistingFileAndOntoANewName) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("s.ini"), "old");
  for (const char* target : {"s.ini", "fresh.ini"}) {
    qv::platform::TFile file;
    std::string temp, reason;
    ASSERT_TRUE(qv::platform::CreateUnique(dir.file(".s.ini."), file, temp));
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(qv::platform::ReplaceFileAtomically(temp, dir.file(target), reason)) << target << ": " << reason;
    EXPECT_EQ(qvtest::ReadFile(dir.file(target)), "new") << target;
    EXPECT_FALSE(fs::exists(qv::PathFromUtf8(temp))) << target;
  }
  // A plain rename also takes the place of an existing file, as on POSIX.
  qvtest::WriteFile(dir.file("from"), "from");
  EXPECT_TRUE(qv::platform::RenameFile(dir.file("from"), dir.file("s.ini")));
  EXPECT_EQ(qvtest::ReadFile(dir.file("s.ini")), "from");
}

TEST(Win32Files, AReadOnlyFileIsSeenAndNeverReplaced) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("r.ini"), "keep");
  EXPECT_FALSE(qv::platform::IsReadOnlyFile(dir.file("r.ini")));
  const std::wstring wide = qv::platform::win32::SystemPath(dir.file("r.ini"));
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(qv::platform::IsReadOnlyFile(dir.file("r.ini")));
  std::string reason;
  EXPECT_FALSE(qv::platform::ReplaceFileContents(dir.file("r.ini"), "new", reason));
  EXPECT_EQ(reason, "the file is read-only");
  EXPECT_EQ(qvtest::ReadFile(dir.file("r.ini")), "keep");
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(qv::platform::FolderIsWritable(dir.path()));
  EXPECT_FALSE(qv::platform::FolderIsWritable(dir.file("missing")));
  // The probe of the folder left nothing behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(qv::PathFromUtf8(dir.path())), fs::directory_iterator()), 1);
}

TEST(Win32Files, ALockIsSeenByEveryOtherOpenFileAndEndsWithItsFile) {
  qvtest::TempDir dir;
  qv::platform::TFile lock;
  ASSERT_EQ(qv::platform::CreateExclusive(dir.file("run.lock"), lock), TCreateResult::Created);
  ASSERT_TRUE(qv::platform::LockFile(lock));
  EXPECT_FALSE(qv::platform::LockIsFree(dir.file("run.lock")));
  // The lock bars no reader: it sits beyond the data.
  EXPECT_NO_THROW(qv::platform::ReadWholeFile(dir.file("run.lock"), 10));
  // An open, locked file may be renamed (the run lock is made so).
  EXPECT_TRUE(qv::platform::RenameFile(dir.file("run.lock"), dir.file("QVRun.lock")));
  EXPECT_FALSE(qv::platform::LockIsFree(dir.file("QVRun.lock")));
  lock.Close();
  EXPECT_TRUE(qv::platform::LockIsFree(dir.file("QVRun.lock")));
  EXPECT_FALSE(qv::platform::LockIsFree(dir.file("missing.lock")));
  EXPECT_FALSE(qv::platform::LockIsFree(dir.path()));
}

TEST(Win32Files, ANamedLockHasOneHolderAndLeavesNothingBehind) {
  qvtest::TempDir dir;
  qv::platform::TFile first, second;
  ASSERT_TRUE(qv::platform::TakeNamedLock(dir.file("voice.lock"), first));
  EXPECT_FALSE(qv::platform::TakeNamedLock(dir.file("voice.lock"), second));
  qv::platform::ReleaseNamedLock(dir.file("voice.lock"), first);
  EXPECT_FALSE(fs::exists(qv::PathFromUtf8(dir.file("voice.lock"))));
  EXPECT_TRUE(qv::platform::TakeNamedLock(dir.file("voice.lock"), second));
  qv::platform::ReleaseNamedLock(dir.file("voice.lock"), second);
}

TEST(Win32Files, FoldersAreMadeWithTheirParentsAndAgeIsTold) {
  qvtest::TempDir dir;
  EXPECT_TRUE(qv::platform::CreateFolders(dir.file("a/b/c")));
  EXPECT_TRUE(qv::platform::CreateFolders(dir.file("a/b/c/")));  // again: nothing to do
  EXPECT_TRUE(qv::platform::IsOwnFolder(dir.file("a/b/c")));
  qvtest::WriteFile(dir.file("a/f"), "x");
  EXPECT_FALSE(qv::platform::CreateFolders(dir.file("a/f/g")));
  const int64_t age = qv::platform::SecondsSinceChange(dir.file("a/f"));
  EXPECT_GE(age, 0);
  EXPECT_LT(age, 60);
  fs::last_write_time(qv::PathFromUtf8(dir.file("a/f")), fs::file_time_type::clock::now() - std::chrono::hours(1));
  EXPECT_GE(qv::platform::SecondsSinceChange(dir.file("a/f")), 3590);
  EXPECT_EQ(qv::platform::SecondsSinceChange(dir.file("none")), -1);
}

TEST(Win32Files, PathsTooLongForThePlainFormStillWork) {
  qvtest::TempDir dir;
  std::string folder = dir.path();
  while (folder.size() < 300) folder += "/a-rather-long-folder-name";
  ASSERT_TRUE(qv::platform::CreateFolders(folder));
  const std::string file = folder + "/" + kName + ".bin";
  qv::platform::TFile out;
  ASSERT_EQ(qv::platform::CreateExclusive(file, out), TCreateResult::Created);
  ASSERT_TRUE(out.Write("deep", 4));
  out.Close();
  EXPECT_EQ(qvtest::ReadOutcome(file, 100), "deep");
  EXPECT_TRUE(qv::platform::IsOwnRegularFile(file));
  qv::platform::RemoveFile(file);
  EXPECT_EQ(qvtest::ReadOutcome(file, 100), "missing");
}

TEST(Win32Files, TheTemporaryPathIsAFolderGivenWithForwardSlashes) {
  const std::string temp = qv::platform::TempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '/');
  EXPECT_EQ(temp.find('\\'), std::string::npos) << temp;
  EXPECT_TRUE(fs::is_directory(qv::PathFromUtf8(temp))) << temp;
  EXPECT_EQ(qv::platform::RuntimeFolder(), temp);
  EXPECT_EQ(qv::platform::CurrentUserId().rfind("S-1-", 0), 0u) << qv::platform::CurrentUserId();
}

TEST(Win32Files, StoredNamesAreLocalPathsAndFoundInTheirOwnSpelling) {
  EXPECT_TRUE(qv::platform::FileNamesIgnoreCase());
  EXPECT_TRUE(qv::platform::StoredNamesAreLocalPaths());
  std::string folder, name;
  ASSERT_TRUE(qv::platform::SplitLocalPath("C:\\Sounds\\bird.wav", folder, name));
  EXPECT_EQ(folder + " | " + name, "C:\\Sounds | bird.wav");
  ASSERT_TRUE(qv::platform::SplitLocalPath("C:\\bird.wav", folder, name));
  EXPECT_EQ(folder + " | " + name, "C:\\ | bird.wav");
  ASSERT_TRUE(qv::platform::SplitLocalPath("a/b\\c.wav", folder, name));
  EXPECT_EQ(folder + " | " + name, "a/b | c.wav");

  qvtest::TempDir dir;
  qvtest::WriteFile(dir.file("Song.mp3"), "x");
  EXPECT_EQ(qv::platform::FindInFolder(dir.path(), "song.MP3"), dir.file("Song.mp3"));
}

}  // namespace
