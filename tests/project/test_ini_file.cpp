#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/Error.h"
#include "project/uIniFile.h"
#include "support/TempDir.h"

using qv::TIniDocument;
using qv::TIniFile;
using qvtest::ReadFile;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

TEST(IniRead, NamesIgnoreCaseAndValuesAreTrimmed) {
  TIniFile ini = TIniFile::FromText("[Default]\r\n  DURATION  =  45  \r\nProductName = My  Saver \r\n");
  EXPECT_EQ(ini.ReadInteger("default", "Duration", 30), 45);
  EXPECT_EQ(ini.ReadString("DEFAULT", "productname", ""), "My  Saver");
  EXPECT_TRUE(ini.SectionExists("dEfAuLt"));
  EXPECT_FALSE(ini.SectionExists("General"));
}

TEST(IniRead, MissingKeySectionOrFileGivesTheDefault) {
  TIniFile ini = TIniFile::FromText("[A]\nx=1\n");
  EXPECT_EQ(ini.ReadString("A", "y", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("B", "x", "dflt"), "dflt");
  TempDir dir;
  TIniFile missing = TIniFile::FromFile(dir.file("none.ini"));
  EXPECT_EQ(missing.ReadInteger("A", "x", 7), 7);
  EXPECT_TRUE(missing.ReadSectionKeys("A").empty());
}

TEST(IniRead, FirstKeyAndFirstSectionWin) {
  TIniFile ini = TIniFile::FromText("[S]\nk=first\nK=second\n[s]\nk=third\nlater=1\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
  // A repeated section is not merged: its keys cannot be reached.
  EXPECT_EQ(ini.ReadString("S", "later", "none"), "none");
  EXPECT_EQ(ini.ReadSectionKeys("S"), (std::vector<std::string>{"k", "K"}));
  EXPECT_EQ(ini.SectionCount(), 2u) << "a repeated section counts again";
  EXPECT_EQ(TIniFile::FromText("x=1\n[a\n;[b]\n[ c ]\n[]\n").SectionCount(), 2u);
}

TEST(IniRead, KeysComeBackInFileOrderWithBareLinesListed) {
  TIniFile ini = TIniFile::FromText("[FileList]\nB.jpg=1\n; comment=1\nA.jpg=0\nbare line\n\nC.jpg=\n");
  EXPECT_EQ(ini.ReadSectionKeys("FileList"), (std::vector<std::string>{"B.jpg", "A.jpg", "bare line", "C.jpg"}));
  // A line without "=" has no value to read.
  EXPECT_EQ(ini.ReadString("FileList", "bare line", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("FileList", "C.jpg", "dflt"), "");
}

TEST(IniRead, ValueKeepsEverythingAfterTheFirstEquals) {
  TIniFile ini = TIniFile::FromText("[W]\nWebsite=http://x.test/?a=1&b=2\n");
  EXPECT_EQ(ini.ReadString("W", "Website", ""), "http://x.test/?a=1&b=2");
}

TEST(IniRead, MatchingQuotesAroundAValueAreDropped) {
  TIniFile ini = TIniFile::FromText("[Q]\na=\"two words\"\nb='x'\nc=\"open\nd=\"\n");
  EXPECT_EQ(ini.ReadString("Q", "a", ""), "two words");
  EXPECT_EQ(ini.ReadString("Q", "b", ""), "x");
  EXPECT_EQ(ini.ReadString("Q", "c", ""), "\"open");
  EXPECT_EQ(ini.ReadString("Q", "d", ""), "\"");
}

TEST(IniRead, ByteOrderMarkAndBothLineEndsAreAccepted) {
  TIniFile ini = TIniFile::FromText("\xEF\xBB\xBF[General]\r\nProductName=Sea\nPublisher=Me\r\n");
  EXPECT_EQ(ini.ReadString("General", "ProductName", ""), "Sea");
  EXPECT_EQ(ini.ReadString("General", "Publisher", ""), "Me");
}

TEST(IniRead, IntegersFollowStrToIntDef) {
  TIniFile ini = TIniFile::FromText(
      "[N]\ndec=-12\nplus=+7\nhex=$1F\nchex=0x1f\nall=$FFFFFFFF\nbig=2147483648\nmin=-2147483648\n"
      "junk=12abc\nspace=1 2\nempty=\nsign=-\nwide=$100000000\nfloat=1.5\n");
  EXPECT_EQ(ini.ReadInteger("N", "dec", 0), -12);
  EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 7);
  EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("N", "chex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("N", "all", 0), -1);
  EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
  for (const char* key : {"big", "junk", "space", "empty", "sign", "wide", "float"})
    EXPECT_EQ(ini.ReadInteger("N", key, 99), 99) << key;
}

TEST(IniRead, BooleansAreIntegersWithZeroFalse) {
  TIniFile ini = TIniFile::FromText("[B]\nzero=0\none=1\nseven=7\nword=TRUE\n");
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_TRUE(ini.ReadBool("B", "seven", false));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
}

TEST(IniBadInput, GarbageLinesAreSkipped) {
  std::string text = "stray=before any section\n[Good]\nx=1\n[Unclosed\ny=2\n=no name\n\x01\x02\xff\xfe\n[]\nz=3\n";
  TIniFile ini = TIniFile::FromText(text);
  EXPECT_EQ(ini.ReadString("", "stray", "none"), "none");
  // The header without "]" is ignored; what follows stays in [Good].
  EXPECT_EQ(ini.ReadInteger("Good", "y", 0), 2);
  EXPECT_FALSE(ini.SectionExists("Unclosed"));
  EXPECT_EQ(ini.ReadInteger("", "z", 0), 3);
  EXPECT_EQ(ini.ReadSectionKeys("Good"), (std::vector<std::string>{"x", "y", "\x01\x02\xff\xfe"}));
}

TEST(IniBadInput, NulBytesDoNotHideTheLinesAround) {
  std::string text = std::string("[A]\na=1\nb\0c=2\n", 14) + std::string("d=\0\0\n", 5) + "e=5\n";
  TIniFile ini = TIniFile::FromText(text);
  EXPECT_EQ(ini.ReadInteger("A", "a", 0), 1);
  EXPECT_EQ(ini.ReadInteger("A", "e", 0), 5);
  EXPECT_EQ(ini.ReadSectionKeys("A").size(), 4u);
}

TEST(IniBadInput, AVeryLongLineIsReadWhole) {
  std::string value(10 << 20, 'v');
  TIniFile ini = TIniFile::FromText("[L]\nlong=" + value + "\nafter=1\n");
  EXPECT_EQ(ini.ReadString("L", "long", "").size(), value.size());
  EXPECT_EQ(ini.ReadInteger("L", "after", 0), 1);
}

TEST(IniBadInput, AnOversizedFileReadsAsEmptyAndCannotBeEdited) {
  TempDir dir;
  const std::string path = dir.file("big.ini");
  std::string text = "[A]\nx=1\n";
  text.resize(qv::kMaxIniFileSize + 1, ' ');
  WriteFile(path, text);
  EXPECT_EQ(TIniFile::FromFile(path).ReadInteger("A", "x", 0), 0);
  EXPECT_THROW(TIniDocument::FromFile(path), qv::EQVError);
}

TEST(IniBadInput, AFolderIsNotReadAsAFile) {
  TempDir dir;
  EXPECT_FALSE(TIniFile::FromFile(dir.path()).SectionExists("A"));
  EXPECT_THROW(TIniDocument::FromFile(dir.path()), qv::EQVError);
}

TEST(IniDocument, ReplacesTheFirstKeyInPlaceAndKeepsEverythingElse) {
  TIniDocument doc = TIniDocument::FromText("; top\n[Setting]\nimagesize=0\nSpeed=3\n\n[Other]\nkeep=me\n");
  doc.WriteString("Setting", "ImageSize", "2");
  EXPECT_EQ(doc.Text(), "; top\r\n[Setting]\r\nimagesize=2\r\nSpeed=3\r\n\r\n[Other]\r\nkeep=me\r\n");
}

TEST(IniDocument, AppendsANewKeyAfterTheSectionsLastLine) {
  TIniDocument doc = TIniDocument::FromText("[Setting]\nSpeed=3\n\n[Other]\nkeep=me\n");
  doc.WriteInteger("Setting", "Index", 4);
  doc.WriteBool("New", "Flag", true);
  EXPECT_EQ(doc.Text(), "[Setting]\r\nSpeed=3\r\nIndex=4\r\n\r\n[Other]\r\nkeep=me\r\n[New]\r\nFlag=1\r\n");
}

TEST(IniDocument, ReplacingASectionPutsItWhereItsFirstCopyStood) {
  TIniDocument doc = TIniDocument::FromText("[Files]\n1=\n\n[Setting]\nIndex=0\n[files]\n9=\n");
  doc.ReplaceSection("Files", {{"3", ""}, {"5", ""}});
  EXPECT_EQ(doc.Text(), "[Files]\r\n3=\r\n5=\r\n\r\n[Setting]\r\nIndex=0\r\n");
  doc.EraseSection("FILES");
  EXPECT_EQ(doc.Text(), "[Setting]\r\nIndex=0\r\n");
  doc.ReplaceSection("MusicList", {{"/m/a.mp3", ""}});
  EXPECT_EQ(doc.Parsed().ReadSectionKeys("MusicList"), (std::vector<std::string>{"/m/a.mp3"}));
}

TEST(IniDocument, RefusesTextsThatWouldBreakTheFile) {
  TIniDocument doc = TIniDocument::FromText("[A]\nx=1\n");
  EXPECT_THROW(doc.WriteString("A", "k=v", "1"), qv::EQVError);
  EXPECT_THROW(doc.WriteString("A", ";k", "1"), qv::EQVError);
  EXPECT_THROW(doc.WriteString("A", "k", "line\nbreak"), qv::EQVError);
  EXPECT_THROW(doc.WriteString("A]", "k", "1"), qv::EQVError);
  EXPECT_THROW(doc.ReplaceSection("A", {{"good", ""}, {" padded", ""}}), qv::EQVError);
  EXPECT_EQ(doc.Text(), "[A]\r\nx=1\r\n");
}

TEST(IniDocument, ByteOrderMarkIsKept) {
  TIniDocument doc = TIniDocument::FromText("\xEF\xBB\xBF[A]\nx=1\n");
  doc.WriteString("A", "x", "2");
  EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[A]\r\nx=2\r\n");
}

class IniSave : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("saver.ini");
};

TEST_F(IniSave, WritesTheDocumentAndLeavesNoTemporaryFile) {
  TIniDocument doc;
  doc.WriteInteger("Setting", "Index", 3);
  doc.SaveAtomically(path);
  EXPECT_EQ(ReadFile(path), "[Setting]\r\nIndex=3\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(IniSave, KeepsTheOldFilesModeAndOtherSections) {
  WriteFile(path, "[Other]\nkeep=me\n[Setting]\nIndex=1\n");
  ::chmod(path.c_str(), 0644);
  TIniDocument doc = TIniDocument::FromFile(path);
  doc.WriteInteger("Setting", "Index", 2);
  doc.SaveAtomically(path);
  EXPECT_EQ(ReadFile(path), "[Other]\r\nkeep=me\r\n[Setting]\r\nIndex=2\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(IniSave, WritesThroughASymlinkToItsTarget) {
  const std::string real = dir.file("real.ini");
  WriteFile(real, "[A]\n");
  std::filesystem::create_symlink(real, path);
  TIniDocument doc;
  doc.WriteInteger("A", "x", 1);
  doc.SaveAtomically(path);
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadFile(real), "[A]\r\nx=1\r\n");
}

TEST_F(IniSave, FailsCleanlyInAMissingFolder) {
  TIniDocument doc;
  doc.WriteInteger("A", "x", 1);
  EXPECT_THROW(doc.SaveAtomically(dir.file("missing/saver.ini")), qv::EQVError);
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_F(IniSave, AFailedWriteLeavesTheOldFileIntactAndRemovesTheTemporary) {
  const std::string old = "[Setting]\r\nIndex=1\r\n";
  WriteFile(path, old);
  TIniDocument doc = TIniDocument::FromFile(path);
  doc.WriteString("Setting", "Big", std::string(64 << 10, 'b'));

  // A file size limit makes the write itself fail, even for root.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  bool threw = false;
  try {
    doc.SaveAtomically(path);
  } catch (const qv::EQVError&) {
    threw = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_TRUE(threw);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
